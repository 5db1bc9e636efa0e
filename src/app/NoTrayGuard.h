// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TrayHostWatcher.h"
#include "core/Logger.h"
#include "core/RunningAppsManager.h"
#include "platform/notify/DesktopNotifications.h"
#include "toolkit/StoredValue.h"

#include <QCoreApplication>
#include <QTimer>

#include <optional>

namespace drowsel {

// Without a tray the user can neither see Drowsel nor stop it, so nothing is
// asked to quit then: applications stay tracked, a warning is logged and one
// notice says why, with a way to let quitting go on for those who run
// Drowsel without a tray on purpose ("quitWithoutTray"). When a tray comes,
// quitting carries on.
class NoTrayGuard {
    Q_DECLARE_TR_FUNCTIONS(drowsel::NoTrayGuard)

public:
    // A tray may take a moment to answer at login: the notice waits this long.
    static constexpr int noticeDelayMilliseconds = 5000;
    static constexpr auto quitAnywayKey = "quit-anyway";

    NoTrayGuard(TrayHostWatcher& hosts, RunningAppsManager& manager, DesktopNotifications& notifications,
                StoredSettings& settings, Logger log);

    // The setting may change in the file while we run.
    void update();

private:
    void noticeMissingTray();

    TrayHostWatcher& hosts;
    RunningAppsManager& manager;
    DesktopNotifications& notifications;
    StoredValue<bool> quitWithoutTray;
    Logger log;
    QTimer noticeDelay;
    bool trayWasThere = true;
    bool noticeSent = false;
    std::optional<DesktopNotifications::Notice> notice;
};

} // namespace drowsel
