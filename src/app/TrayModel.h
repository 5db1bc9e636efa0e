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
    bool warnsBeforeQuitting() const override { return warns.value(); }
    void setWarnsBeforeQuitting(bool warnsNow) override { warns.set(warnsNow); }
    void openSettings() override { parts.openSettings(); }
    void quitDrowsel() override;

private:
    void followManager();
    void storePause(const QString& until);

    Parts parts;
    Logger log;
    StoredValue<bool> warns;
    ChangePublisher::Subscription managerChanges;
    std::optional<QDateTime> shownPause;
    QString badStoredPause;
};

} // namespace drowsel
