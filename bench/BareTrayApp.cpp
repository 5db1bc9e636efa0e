// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline Drowsel's start-up time and memory are compared with: a bare
// Qt tray application with an icon, an empty popup and a one-second timer.
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter(&pixmap).fillRect(3, 3, 12, 12, Qt::black);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.show();
    QTimer timer;
    timer.callOnTimeout([] {});
    timer.start(1000);
    return application.exec();
}
