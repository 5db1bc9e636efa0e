// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RunningAppsManager.h"

#include "core/DefaultsKeys.h"
#include "core/ToggleStatusCodec.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

namespace drowsel {

RunningAppsManager::RunningAppsManager(ConstructionKey, const CoreServices& services)
    : services(services),
      log(services.logSink, services.ownApplication.bundleIdentifier().value_or(""), std::string(logCategory)) {
    loadToggleStatus();
}

std::shared_ptr<RunningAppsManager> RunningAppsManager::create(const CoreServices& services) {
    auto manager = std::make_shared<RunningAppsManager>(ConstructionKey{}, services);
    manager->trackNewApps();
    manager->log.debug("Init");
    // The subscription keeps the manager alive for as long as the workspace lives.
    services.workspace.addDeactivationObserver(
        [manager](const DeactivationNotification& notification) { manager->appDidDeactivate(notification); });
    manager->timer = services.timers.scheduleRepeating(std::chrono::seconds(1), [weak = manager->weak_from_this()] {
        if (const auto self = weak.lock()) {
            self->timerTick();
        }
    });
    return manager;
}

RunningAppsManager::~RunningAppsManager() { log.debug("RunningAppsManager is being deallocated"); }

std::int64_t RunningAppsManager::hoursUntilClose() const {
    return services.defaults.integer(DefaultsKeys::hoursUntilClose).value_or(hoursUntilCloseFallback);
}

bool RunningAppsManager::isExcluded(const ApplicationHandle& application) const {
    if (application->activationPolicy() != ActivationPolicy::regular) {
        return true;
    }
    const auto bundleIdentifier = application->bundleIdentifier();
    if (bundleIdentifier == services.ownApplication.bundleIdentifier()) {
        return true;
    }
    return std::ranges::find(excludedBundleIdentifiers, bundleIdentifier.value_or("")) !=
           excludedBundleIdentifiers.end();
}

void RunningAppsManager::trackNewApps() {
    const Date date = services.clock.now();
    for (const auto& application : services.workspace.runningApplications()) {
        if (runningAppsValue.contains(application) || isExcluded(application)) {
            continue;
        }
        // Queued so that a caller in the middle of its work never sees the set change.
        services.mainQueue.post([self = shared_from_this(), application, date] { self->stamp(application, date); });
    }
}

void RunningAppsManager::loadToggleStatus() {
    const auto stored = services.defaults.data(DefaultsKeys::toggleStatus).value_or("");
    if (auto decoded = ToggleStatusCodec::decode(stored)) {
        willChange.send();
        toggleStatusValue = std::move(*decoded);
    }
}

void RunningAppsManager::saveToggleStatus() {
    services.defaults.setData(DefaultsKeys::toggleStatus, ToggleStatusCodec::encode(toggleStatusValue));
}

void RunningAppsManager::appDidDeactivate(const DeactivationNotification& notification) {
    if (!notification.application) {
        return;
    }
    const auto& application = *notification.application;
    log.debug("didDeactivate: " + application->localizedName().value_or("Unknown"));
    if (isExcluded(application)) {
        return;
    }
    services.mainQueue.post(
        [self = shared_from_this(), application] { self->stamp(application, self->services.clock.now()); });
}

void RunningAppsManager::timerTick() {
    if (ownWindowHasFocus()) {
        checkOpenApps();
        return;
    }
    // Otherwise about once a minute: on the tick in a minute's first second.
    if (std::floor(std::fmod(services.clock.now(), 60.0)) == 0.0) {
        checkOpenApps();
    }
}

bool RunningAppsManager::ownWindowHasFocus() const {
    const auto windows = services.ownApplication.windows();
    return std::ranges::any_of(windows,
                               [](const OwnApplication::Window& window) { return window.isKey || window.isMain; });
}

void RunningAppsManager::checkOpenApps() {
    log.debug("checkOpenApps");
    const auto running = services.workspace.runningApplications();
    const Date sweepTime = services.clock.now();

    dropAppsNoLongerRunning(running);
    dropExcludedApps();
    if (const auto frontmost = services.workspace.frontmostApplication(); frontmost && !isExcluded(*frontmost)) {
        stamp(*frontmost, sweepTime);
    }
    trackNewApps();
    quitIdleApps(sweepTime);
}

void RunningAppsManager::dropAppsNoLongerRunning(const std::vector<ApplicationHandle>& running) {
    const std::unordered_set<ApplicationHandle> runningSet(running.begin(), running.end());
    // Told at every sweep, even when nothing goes: this is what refreshes the panel's times.
    willChange.send();
    std::erase_if(runningAppsValue, [&](const auto& entry) { return !runningSet.contains(entry.first); });
}

void RunningAppsManager::dropExcludedApps() {
    std::vector<ApplicationHandle> excluded;
    for (const auto& [application, date] : runningAppsValue) {
        if (isExcluded(application)) {
            excluded.push_back(application);
        }
    }
    for (const auto& application : excluded) {
        untrack(application);
    }
}

void RunningAppsManager::quitIdleApps(Date sweepTime) {
    const double limit = idleLimitSeconds(hoursUntilClose());
    const std::vector<std::pair<ApplicationHandle, Date>> tracked(runningAppsValue.begin(), runningAppsValue.end());
    for (const auto& [application, date] : tracked) {
        const double elapsed = sweepTime - date;
        if (!(elapsed > limit) || !application->isFinishedLaunching()) {
            continue;
        }
        if (!toggleFor(application.name())) {
            continue;
        }
        // Refused requests keep the entry and are asked again at the next sweep.
        if (application->terminate()) {
            untrack(application);
        }
    }
}

// Hours come from the settings file, which anyone can edit: a product too
// large to count in seconds means never, and a negative limit counts as zero
// so that the application in use and clocks set back are still spared.
double RunningAppsManager::idleLimitSeconds(std::int64_t hours) {
    constexpr std::int64_t secondsPerHour = 3600;
    if (hours <= 0) {
        return 0.0;
    }
    if (hours > std::numeric_limits<std::int64_t>::max() / secondsPerHour) {
        return std::numeric_limits<double>::infinity();
    }
    return static_cast<double>(hours * secondsPerHour);
}

void RunningAppsManager::resetIdleClock(const ApplicationHandle& application) {
    stamp(application, services.clock.now());
}

bool RunningAppsManager::toggleFor(const std::string& name) const {
    const auto entry = toggleStatusValue.find(name);
    return entry == toggleStatusValue.end() || entry->second;
}

void RunningAppsManager::setToggle(const std::string& name, bool isOn) {
    willChange.send();
    toggleStatusValue[name] = isOn;
    saveToggleStatus();
}

void RunningAppsManager::stamp(const ApplicationHandle& application, Date date) {
    willChange.send();
    runningAppsValue.insert_or_assign(application, date);
}

void RunningAppsManager::untrack(const ApplicationHandle& application) {
    willChange.send();
    runningAppsValue.erase(application);
}

} // namespace drowsel
