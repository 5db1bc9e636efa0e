// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/WorkspaceIcons.h"
#include "core/CoreServices.h"
#include "core/RepeatCollapsingLogSink.h"
#include "platform/away/AwayWatch.h"
#include "platform/away/PresenceClock.h"
#include "platform/desktop/DesktopEntryLauncher.h"
#include "platform/log/JournalLogSink.h"
#include "platform/notify/DesktopNotifications.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtOwnApplication.h"
#include "platform/qt/QtTimerScheduler.h"
#include "platform/qt/SettingsFileStore.h"
#include "platform/record/RecentQuits.h"
#include "platform/session/SessionWorkspaces.h"
#include "platform/system/SystemClock.h"
#include "platform/work/WorkDetectors.h"
#include "toolkit/StoredSettings.h"
#include "toolkit/ViewEnvironment.h"

#include <memory>

namespace drowsel {

// The real services of a Linux desktop session, built once the Qt application
// exists. Lives as long as the process.
class LinuxPlatform {
public:
    static constexpr const char* bundleIdentifier = "com.drowsel.Drowsel";

    // Null when no display can be watched (logged).
    static std::unique_ptr<LinuxPlatform> open();

    CoreServices coreServices() {
        return {*workspace, ownApplication, store,         mainQueue,   timers, clock,
                presence,   logSink,        notifications, recentQuits, *work};
    }
    // The countdowns follow the clock idle time is counted on.
    ViewEnvironment viewEnvironment() { return {settings, presence, *icons}; }
    LogSink& log() { return logSink; }
    SessionWorkspaces& workspaces() { return *workspace; }
    SettingsFileStore& settingsFile() { return store; }
    StoredSettings& storedSettings() { return settings; }
    DesktopNotifications& desktopNotifications() { return notifications; }
    RecentQuits& recent() { return recentQuits; }

private:
    LinuxPlatform();
    // The sources of time away run only while only present time counts.
    void followCountOnlyActiveTime();

    SystemClock clock;
    PresenceClock presence{clock};
    JournalLogSink journal;
    RepeatCollapsingLogSink logSink{journal, clock};
    std::unique_ptr<SessionWorkspaces> workspace;
    std::unique_ptr<WorkspaceIcons> icons;
    QtOwnApplication ownApplication;
    SettingsFileStore store;
    StoredSettings settings{store};
    QtMainQueue mainQueue;
    QtTimerScheduler timers;
    DesktopNotifications notifications{Logger(logSink, bundleIdentifier, "notifications")};
    std::unique_ptr<WorkDetectors> work;
    std::unique_ptr<AwayWatch> away;
    ChangePublisher::Subscription countingChanges;
    RecentQuits recentQuits{Logger(logSink, bundleIdentifier, "record"), &DesktopEntryLauncher::launch};
};

} // namespace drowsel
