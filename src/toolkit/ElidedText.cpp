// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/ElidedText.h"

#include <QPainter>

namespace drowsel {

ElidedText::ElidedText(int minimumWidth, QWidget* parent) : QWidget(parent), minimumWidth(minimumWidth) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ElidedText::setText(const QString& text) {
    if (text == fullText) {
        return;
    }
    fullText = text;
    // A screen reader reads the whole name, not what fits.
    setAccessibleName(text);
    updateGeometry();
    update();
}

QString ElidedText::shownText() const { return fontMetrics().elidedText(fullText, Qt::ElideRight, width()); }

QSize ElidedText::sizeHint() const {
    return {std::max(minimumWidth, fontMetrics().horizontalAdvance(fullText)), fontMetrics().height()};
}

QSize ElidedText::minimumSizeHint() const { return {minimumWidth, fontMetrics().height()}; }

void ElidedText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

} // namespace drowsel
