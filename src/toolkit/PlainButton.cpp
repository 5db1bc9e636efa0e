// SPDX-License-Identifier: GPL-3.0-or-later
#include "toolkit/PlainButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QSvgRenderer>

namespace drowsel {

namespace {

constexpr int padding = 2;
constexpr double disabledOpacity = 0.35;

} // namespace

PlainButton::PlainButton(QString glyphPath, QWidget* parent)
    : QAbstractButton(parent), glyphPath(std::move(glyphPath)) {}

QSize PlainButton::glyphSize() const {
    const int side = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    return {side, side};
}

QSize PlainButton::sizeHint() const { return glyphSize() + QSize(2 * padding, 2 * padding); }

QPixmap PlainButton::glyph(const QSize& size) const {
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QSvgRenderer(glyphPath).render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    // The drawing gives the shape; the palette gives the colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), palette().color(QPalette::Active, QPalette::WindowText));
    return pixmap;
}

void PlainButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!isEnabled()) {
        painter.setOpacity(disabledOpacity);
    }
    const QRect glyphRect = QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, glyphSize(), rect());
    painter.drawPixmap(glyphRect.topLeft(), glyph(glyphRect.size()));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace drowsel
