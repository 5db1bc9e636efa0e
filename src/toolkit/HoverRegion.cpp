// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/HoverRegion.h"

#include <QEvent>
#include <QWidget>

namespace drowsel {

HoverRegion::HoverRegion(QWidget* widget, Callback onHover) : QObject(widget), onHover(std::move(onHover)) {
    widget->installEventFilter(this);
}

void HoverRegion::attach(QWidget* widget, Callback onHover) { new HoverRegion(widget, std::move(onHover)); }

bool HoverRegion::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        onHover(event->type() == QEvent::Enter);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace drowsel
