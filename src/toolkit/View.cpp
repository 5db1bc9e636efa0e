// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/View.h"

#include <QMetaObject>

namespace drowsel {

void View::setNeedsRedraw() {
    if (redrawPending) {
        return;
    }
    redrawPending = true;
    // Queued with the view as context: dropped if the view goes first.
    QMetaObject::invokeMethod(
        this,
        [this] {
            redrawPending = false;
            redraw();
        },
        Qt::QueuedConnection);
}

void View::observe(ChangePublisher& publisher) {
    subscriptions.push_back(publisher.subscribe([this] { setNeedsRedraw(); }));
}

} // namespace drowsel
