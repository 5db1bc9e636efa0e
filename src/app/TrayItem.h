// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TrayHostWatcher.h"
#include "app/TrayMenu.h"
#include "app/TrayPanel.h"

#include <QDateTime>
#include <QSystemTrayIcon>

#include <memory>
#include <optional>

namespace drowsel {

// The one tray item: the "MenuBarIcon" image at 18x18 in a single colour, or
// "PausedIcon" while paused; a click opens the panel with the given content
// next to the icon, a right click the menu. Trays that draw icons by name get
// the symbolic theme icon; an X11 tray gets the glyph in the colour it asks
// for, else in black or white, whichever stands out from the panel behind it.
class TrayItem : public QObject {
public:
    static constexpr int iconSide = 18;

    explicit TrayItem(std::unique_ptr<QWidget> content);

    void show() { trayIcon.show(); }
    QSystemTrayIcon& icon() { return trayIcon; }
    TrayPanel& panel() { return trayPanel; }
    TrayHostWatcher& trayHosts() { return hosts; }
    // The menu on the icon, over the model, which must outlive the item.
    void useMenu(TrayMenuModel& model);
    // Paused: the paused glyph and "Paused until <time>" as the tooltip.
    void setPausedUntil(std::optional<QDateTime> until);

    // The icon as a template: the image's shape alone, filled with the colour.
    static QIcon templateIcon(const QString& image, const QColor& colour);
    // Black or white, whichever contrasts more with the background.
    static QColor glyphColourOn(const QColor& background);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void redrawIcon();
    QColor glyphColour() const;
    void activated(QSystemTrayIcon::ActivationReason reason);

    TrayPanel trayPanel;
    TrayHostWatcher hosts;
    std::unique_ptr<TrayMenu> menu;
    QSystemTrayIcon trayIcon;
    std::optional<QDateTime> pausedUntil;
};

} // namespace drowsel
