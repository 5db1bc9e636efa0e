// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TrayPanel.h"

#include <QSystemTrayIcon>

#include <memory>

namespace drowsel {

// The one tray item: the "MenuBarIcon" image at 18x18 in a single colour, the
// panel's text colour, redrawn when the palette or theme changes; a click
// opens the panel with the given content next to the icon.
class TrayItem : public QObject {
public:
    static constexpr int iconSide = 18;

    explicit TrayItem(std::unique_ptr<QWidget> content);

    void show() { trayIcon.show(); }
    QSystemTrayIcon& icon() { return trayIcon; }
    TrayPanel& panel() { return trayPanel; }

    // The icon as a template: its shape alone, filled with the colour.
    static QIcon templateIcon(const QColor& colour);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void redrawIcon();
    void activated(QSystemTrayIcon::ActivationReason reason);

    TrayPanel trayPanel;
    QSystemTrayIcon trayIcon;
};

} // namespace drowsel
