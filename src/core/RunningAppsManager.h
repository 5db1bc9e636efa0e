// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ApplicationHandle.h"
#include "core/ChangePublisher.h"
#include "core/CoreServices.h"
#include "core/Date.h"
#include "core/DeactivationNotification.h"
#include "core/Logger.h"
#include "core/TimerScheduler.h"
#include "core/ToggleStatus.h"
#include "core/Work.h"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace drowsel {

// Knows when each regular application was last left and asks the ones idle
// past the user's limit to quit. Lives on the main thread for the life of the
// process; observers of objectWillChange() are told before every change of
// runningApps() and toggleStatus().
class RunningAppsManager : public std::enable_shared_from_this<RunningAppsManager> {
public:
    using RunningApps = std::unordered_map<ApplicationHandle, Date>;

    // Never tracked, compared letter case included.
    static constexpr std::array<std::string_view, 8> excludedBundleIdentifiers{"com.apple.loginwindow",
                                                                               "com.apple.systemuiserver",
                                                                               "com.apple.dock",
                                                                               "com.apple.finder",
                                                                               "com.apple.coreautha",
                                                                               "com.apple.Spotlight",
                                                                               "com.apple.notificationcenterui",
                                                                               "com.apple.Siri"};
    static constexpr std::string_view logCategory = "RunningAppsManager";
    // How long before its quit an application is warned, and how long after a
    // pause or a hold ends nothing is asked to quit.
    static constexpr double warningLeadSeconds = 300;
    static constexpr double graceSeconds = 300;
    // A gap between the one-second ticks longer than this is a wake-up.
    static constexpr double wakeGapSeconds = 90;

    // Loads the switches, queues the first tracking, subscribes to
    // deactivations and starts the one-second timer.
    static std::shared_ptr<RunningAppsManager> create(const CoreServices& services);
    ~RunningAppsManager();
    RunningAppsManager(const RunningAppsManager&) = delete;
    RunningAppsManager& operator=(const RunningAppsManager&) = delete;

    const RunningApps& runningApps() const { return runningAppsValue; }
    const ToggleStatus& toggleStatus() const { return toggleStatusValue; }
    ChangePublisher& objectWillChange() { return willChange; }

    // The idle limit in hours as stored now, or the fallback while absent.
    std::int64_t hoursUntilClose() const;

    bool isExcluded(const ApplicationHandle& application) const;
    void trackNewApps();
    void loadToggleStatus();
    void saveToggleStatus();
    void appDidDeactivate(const DeactivationNotification& notification);
    void timerTick();
    void checkOpenApps();

    // What keeps an application in use although it is in the background, as
    // found at the last sweep that asked.
    std::optional<Work> workOf(const ApplicationHandle& application) const;

    // What the rows do.
    void resetIdleClock(const ApplicationHandle& application);
    bool toggleFor(const std::string& name) const;
    void setToggle(const std::string& name, bool isOn);

    // What a warning's answers do: "Keep open" starts a new idle period,
    // "Quit now" asks at once.
    void keepOpen(const ApplicationHandle& application);
    void quitNow(const ApplicationHandle& application);

    // Nothing is asked to quit until the given time, or until resume().
    void pauseUntil(Date until);
    void resume();
    std::optional<Date> pausedUntil() const { return pausedUntilValue; }

    // Held while the user has no way to see or stop the quitting, such as
    // while no tray shows the program; lifted, it carries on at once.
    void setQuittingAllowed(bool allowed);

private:
    struct ConstructionKey {};

public:
    RunningAppsManager(ConstructionKey, const CoreServices& services);

private:
    void stamp(const ApplicationHandle& application, Date date);
    void untrack(const ApplicationHandle& application);
    void dropAppsNoLongerRunning(const std::vector<ApplicationHandle>& running);
    void dropExcludedApps();
    void quitIdleApps(Date idleNow, Date now);
    std::optional<Work> detectWork(const ApplicationHandle& application);
    bool sparesApplicationsAtWork() const;
    void endPauseIfDue(Date now);
    void noticeWakeUp(Date now);
    bool areQuitsHeld() const { return pausedUntilValue.has_value() || !quittingAllowed; }
    void startGrace();
    void askToQuit(const ApplicationHandle& application, Date idleSince, Date idleNow);
    void warn(const ApplicationHandle& application, double secondsLeft);
    void withdrawWarning(const ApplicationHandle& application);
    void withdrawAllWarnings();
    bool warnsBeforeQuitting() const;
    void saveSwitches(const ToggleStatus& changes);
    void logUnreadableSwitches(const std::vector<std::string>& names);
    bool ownWindowHasFocus() const;
    static double idleLimitSeconds(std::int64_t hours);

    CoreServices services;
    RunningApps runningAppsValue;
    std::unique_ptr<TimerScheduler::Timer> timer;
    ToggleStatus toggleStatusValue;
    std::unordered_set<std::string> unreadableSwitchesLogged;
    std::unordered_set<ApplicationHandle> warned;
    std::unordered_map<ApplicationHandle, Work> atWork;
    std::optional<Date> pausedUntilValue;
    bool quittingAllowed = true;
    std::optional<Date> lastTick;
    // Before this time nothing is asked to quit: the end of a pause or a sleep plus the grace.
    Date graceEnd = -std::numeric_limits<Date>::infinity();
    Logger log;
    ChangePublisher willChange;
};

} // namespace drowsel
