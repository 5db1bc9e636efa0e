// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayIconEngine.h"

namespace drowsel {

void TrayIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) {
    pixmaps.paint(painter, rect, Qt::AlignCenter, mode, state);
}

QSize TrayIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    return pixmaps.actualSize(size, mode, state);
}

QPixmap TrayIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    return pixmaps.pixmap(size, mode, state);
}

QPixmap TrayIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) {
    return pixmaps.pixmap(size, scale, mode, state);
}

QList<QSize> TrayIconEngine::availableSizes(QIcon::Mode mode, QIcon::State state) {
    return pixmaps.availableSizes(mode, state);
}

} // namespace drowsel
