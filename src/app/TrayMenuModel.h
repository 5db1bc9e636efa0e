// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QIcon>
#include <QString>

#include <cstddef>
#include <optional>
#include <vector>

namespace drowsel {

// An application Drowsel quit, as the tray menu lists it.
struct RecentlyQuitEntry {
    QString name;
    QIcon icon;
    QDateTime quitAt;
    bool canReopen;
};

// The menu's checkable items, each a setting in the settings file.
enum class MenuSwitch { warnBeforeQuitting, spareApplicationsAtWork, countOnlyActiveTime };

// What the tray menu shows and does; the program's shell implements it over
// the manager and the settings.
class TrayMenuModel {
public:
    virtual ~TrayMenuModel() = default;
    virtual std::optional<QDateTime> pausedUntil() const = 0;
    virtual void pauseUntil(const QDateTime& until) = 0;
    virtual void resume() = 0;
    virtual std::vector<RecentlyQuitEntry> recentlyQuit() const = 0;
    virtual void reopen(std::size_t index) = 0;
    virtual bool isOn(MenuSwitch item) const = 0;
    virtual void setOn(MenuSwitch item, bool on) = 0;
    virtual void openSettings() = 0;
    virtual void quitDrowsel() = 0;
};

} // namespace drowsel
