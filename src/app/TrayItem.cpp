// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayItem.h"

#include <QApplication>
#include <QPainter>
#include <QSvgRenderer>

namespace drowsel {

TrayItem::TrayItem(std::unique_ptr<QWidget> content) : trayPanel(std::move(content)) {
    redrawIcon();
    trayIcon.setToolTip(QStringLiteral("Drowsel"));
    connect(&trayIcon, &QSystemTrayIcon::activated, this, &TrayItem::activated);
    qApp->installEventFilter(this);
}

QIcon TrayItem::templateIcon(const QColor& colour) {
    QIcon icon;
    QSvgRenderer renderer(QStringLiteral(":/images/MenuBarIcon.svg"));
    // Drawn for the usual device pixel ratios, so a HiDPI tray stays sharp.
    for (const int scale : {1, 2, 3}) {
        QPixmap pixmap(iconSide * scale, iconSide * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(0, 0, pixmap.width(), pixmap.height()));
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), colour);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

bool TrayItem::eventFilter(QObject* watched, QEvent* event) {
    const bool lookChanged = event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ThemeChange;
    if (watched == qApp && lookChanged) {
        redrawIcon();
    }
    return QObject::eventFilter(watched, event);
}

void TrayItem::redrawIcon() { trayIcon.setIcon(templateIcon(trayPanel.palette().color(QPalette::WindowText))); }

void TrayItem::activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) {
        trayPanel.toggleNear(trayIcon.geometry());
    } else if (reason == QSystemTrayIcon::DoubleClick && !trayPanel.isVisible()) {
        trayPanel.openNear(trayIcon.geometry());
    }
}

} // namespace drowsel
