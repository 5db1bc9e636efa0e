// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TrayItem.h"
#include "app/TrayMenuModel.h"
#include "core/ChangePublisher.h"
#include "core/Logger.h"
#include "core/RunningAppsManager.h"
#include "platform/qt/SettingsFileStore.h"
#include "platform/record/RecentQuits.h"
#include "toolkit/StoredValue.h"

#include <functional>

namespace drowsel {

// What the tray menu does, over the manager, the settings file and the record
// of quits. A pause is kept in the file as "pausedUntil", so it outlives a
// restart; the icon shows it for as long as it lasts.
class TrayModel : public TrayMenuModel {
public:
    struct Parts {
        RunningAppsManager& manager;
        SettingsFileStore& store;
        StoredSettings& settings;
        RecentQuits& recent;
        TrayItem& tray;
        std::function<void()> openSettings;
    };

    TrayModel(Parts parts, Logger log);

    // Takes up the pause stored in the file: at start, and after the file changed.
    void readStoredPause();

    std::optional<QDateTime> pausedUntil() const override;
    void pauseUntil(const QDateTime& until) override;
    void resume() override;
    std::vector<RecentlyQuitEntry> recentlyQuit() const override;
    void reopen(std::size_t index) override;
    bool isOn(MenuSwitch item) const override { return stored(item).value(); }
    void setOn(MenuSwitch item, bool on) override { stored(item).set(on); }
    void openSettings() override { parts.openSettings(); }
    void quitDrowsel() override;

private:
    void followManager();
    void storePause(const QString& until);
    StoredValue<bool>& stored(MenuSwitch item) const;

    Parts parts;
    Logger log;
    // Mutable: reading a stored value caches it.
    mutable StoredValue<bool> warns;
    mutable StoredValue<bool> spares;
    mutable StoredValue<bool> countsOnlyActiveTime;
    ChangePublisher::Subscription managerChanges;
    std::optional<QDateTime> shownPause;
    QString badStoredPause;
};

} // namespace drowsel
