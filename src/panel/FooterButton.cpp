// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/FooterButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace drowsel {

FooterButton::FooterButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setAccessibleName(text);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Reached with Tab; a click does not leave a focus frame behind.
    setFocusPolicy(Qt::TabFocus);
}

void FooterButton::setHighlighted(bool isHighlighted) {
    if (isHighlighted != highlighted) {
        highlighted = isHighlighted;
        update();
    }
}

QSize FooterButton::sizeHint() const {
    return {fontMetrics().horizontalAdvance(text()) + 2 * horizontalInset, fontMetrics().height() + 2 * verticalInset};
}

// A translation longer than the panel is cut, never widens it.
QSize FooterButton::minimumSizeHint() const { return {2 * horizontalInset, sizeHint().height()}; }

void FooterButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (highlighted) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Active, QPalette::Highlight));
        painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    }
    painter.setPen(highlighted ? QColor(Qt::white) : palette().color(QPalette::WindowText));
    const QRect textRect = rect().adjusted(horizontalInset, verticalInset, -horizontalInset, -verticalInset);
    const Qt::Alignment leading = QStyle::visualAlignment(layoutDirection(), Qt::AlignLeading | Qt::AlignVCenter);
    painter.drawText(textRect, static_cast<int>(leading),
                     fontMetrics().elidedText(text(), Qt::ElideRight, textRect.width()));
    drawFocusFrame(painter);
}

void FooterButton::drawFocusFrame(QPainter& painter) const {
    if (!hasFocus()) {
        return;
    }
    QStyleOptionFocusRect option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

} // namespace drowsel
