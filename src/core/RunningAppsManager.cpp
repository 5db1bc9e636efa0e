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
    return services.defaults.integer(DefaultsKeys::hoursUntilClose).value_or(DefaultsKeys::hoursUntilCloseFallback);
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
    const Date date = services.idleClock.now();
    for (const auto& application : services.workspace.runningApplications()) {
        if (runningAppsValue.contains(application) || isExcluded(application)) {
            continue;
        }
        // Queued so that a caller in the middle of its work never sees the set change.
        services.mainQueue.post([self = shared_from_this(), application, date] { self->stamp(application, date); });
    }
}

// The file may be edited by hand while we run: a text that is no map leaves
// the switches as they were, and a member that is no switch costs no other.
void RunningAppsManager::loadToggleStatus() {
    const auto stored = services.defaults.data(DefaultsKeys::toggleStatus).value_or("");
    auto decoded = ToggleStatusCodec::decode(stored);
    if (!decoded) {
        return;
    }
    logUnreadableSwitches(decoded->unreadable);
    if (decoded->switches != toggleStatusValue) {
        willChange.send();
        toggleStatusValue = std::move(decoded->switches);
    }
}

void RunningAppsManager::logUnreadableSwitches(const std::vector<std::string>& names) {
    for (const auto& name : names) {
        if (unreadableSwitchesLogged.insert(name).second) {
            log.error("The automatic-quit switch of \"" + name + "\" is not true or false; it is kept as it is");
        }
    }
}

void RunningAppsManager::saveToggleStatus() { saveSwitches(toggleStatusValue); }

// Written into the text as stored now, so the members we do not change, hand
// edits and unreadable ones included, stay as they are.
void RunningAppsManager::saveSwitches(const ToggleStatus& changes) {
    const auto stored = services.defaults.data(DefaultsKeys::toggleStatus).value_or("");
    services.defaults.setData(DefaultsKeys::toggleStatus, ToggleStatusCodec::merge(stored, toggleStatusValue, changes));
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
        [self = shared_from_this(), application] { self->stamp(application, self->services.idleClock.now()); });
}

void RunningAppsManager::timerTick() {
    noticeWakeUp(services.clock.now());
    if (ownWindowHasFocus()) {
        checkOpenApps();
        return;
    }
    // Otherwise about once a minute: on the tick in a minute's first second.
    if (std::floor(std::fmod(services.clock.now(), 60.0)) == 0.0) {
        checkOpenApps();
    }
}

// The timer ticks every second; a far longer gap in a clock that counts sleep
// is the machine waking up, and opening the lid is not the moment to close
// anything: what went past its limit meanwhile gets the grace, warning first.
void RunningAppsManager::noticeWakeUp(Date now) {
    if (lastTick && now - *lastTick > wakeGapSeconds) {
        log.info("Woke up after " + std::to_string(std::llround((now - *lastTick) / 60)) +
                 " min; nothing is asked to quit for 5 min");
        startGrace();
    }
    lastTick = now;
}

bool RunningAppsManager::ownWindowHasFocus() const {
    const auto windows = services.ownApplication.windows();
    return std::ranges::any_of(windows,
                               [](const OwnApplication::Window& window) { return window.isKey || window.isMain; });
}

void RunningAppsManager::checkOpenApps() {
    log.debug("checkOpenApps");
    const auto running = services.workspace.runningApplications();
    const Date idleNow = services.idleClock.now();

    loadToggleStatus();

    dropAppsNoLongerRunning(running);
    dropExcludedApps();
    if (const auto frontmost = services.workspace.frontmostApplication(); frontmost && !isExcluded(*frontmost)) {
        stamp(*frontmost, idleNow);
    }
    trackNewApps();
    quitIdleApps(idleNow, services.clock.now());
}

void RunningAppsManager::dropAppsNoLongerRunning(const std::vector<ApplicationHandle>& running) {
    const std::unordered_set<ApplicationHandle> runningSet(running.begin(), running.end());
    // Told at every sweep, even when nothing goes: this is what refreshes the panel's times.
    willChange.send();
    std::erase_if(runningAppsValue, [&](const auto& entry) { return !runningSet.contains(entry.first); });
    std::erase_if(atWork, [&](const auto& entry) { return !runningSet.contains(entry.first); });
    std::erase_if(warned, [&](const ApplicationHandle& application) {
        if (runningSet.contains(application)) {
            return false;
        }
        services.warnings.withdraw(application);
        return true;
    });
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

// An application is warned at the first sweep that finds less than the lead
// left, then asked once its time is up. One already past its limit when first
// seen (a limit of zero, or one just lowered) is asked at once; after a pause
// or a hold the grace comes first, with its warning. Idle times are on the idle
// clock; the grace is on the clock that always runs.
void RunningAppsManager::quitIdleApps(Date idleNow, Date now) {
    endPauseIfDue(now);
    if (areQuitsHeld()) {
        return;
    }
    const double limit = idleLimitSeconds(hoursUntilClose());
    const bool warns = warnsBeforeQuitting();
    const std::vector<std::pair<ApplicationHandle, Date>> tracked(runningAppsValue.begin(), runningAppsValue.end());
    for (const auto& [application, date] : tracked) {
        if (!application->isFinishedLaunching() || !toggleFor(application.name())) {
            withdrawWarning(application);
            continue;
        }
        const double idleLeft = date + limit - idleNow;
        const double secondsLeft = std::max(idleLeft, graceEnd - now);
        const bool isDue = idleLeft < 0 && now >= graceEnd;
        // Stamped at this sweep, as the application in use is: never warned, whatever its limit.
        const bool isIdle = date < idleNow;
        // Only what is near its time is looked at, and what was at work at the last look.
        const bool needsLook = secondsLeft <= warningLeadSeconds || atWork.contains(application);
        if (isIdle && needsLook) {
            if (const auto work = detectWork(application)) {
                if (isDue) {
                    log.info("Spared " + application->localizedName().value_or("Unknown") + ": " + work->description());
                }
                stamp(application, idleNow);
                continue;
            }
        }
        if (isDue) {
            askToQuit(application, date, idleNow);
        } else if (warns && isIdle && secondsLeft <= warningLeadSeconds && !warned.contains(application)) {
            warn(application, secondsLeft);
        }
    }
}

// At work counts as in use; its start and end are noted for the rows and the log.
std::optional<Work> RunningAppsManager::detectWork(const ApplicationHandle& application) {
    const auto work = sparesApplicationsAtWork() ? services.work.workOf(application) : std::nullopt;
    const auto known = atWork.find(application);
    const auto name = application->localizedName().value_or("Unknown");
    if (work && (known == atWork.end() || known->second != *work)) {
        log.debug(name + " is at work: " + work->description());
        willChange.send();
        atWork.insert_or_assign(application, *work);
    } else if (!work && known != atWork.end()) {
        log.debug(name + " is no longer at work");
        willChange.send();
        atWork.erase(known);
    }
    return work;
}

bool RunningAppsManager::sparesApplicationsAtWork() const {
    return services.defaults.boolean(DefaultsKeys::spareApplicationsAtWork).value_or(true);
}

std::optional<Work> RunningAppsManager::workOf(const ApplicationHandle& application) const {
    const auto found = atWork.find(application);
    return found == atWork.end() ? std::nullopt : std::optional(found->second);
}

void RunningAppsManager::endPauseIfDue(Date now) {
    if (pausedUntilValue && now >= *pausedUntilValue) {
        resume();
    }
}

bool RunningAppsManager::warnsBeforeQuitting() const {
    return services.defaults.boolean(DefaultsKeys::warnBeforeQuitting).value_or(true);
}

// Refused requests keep the entry and are asked again at the next sweep.
void RunningAppsManager::askToQuit(const ApplicationHandle& application, Date idleSince, Date idleNow) {
    if (!application->terminate()) {
        return;
    }
    const auto idleMinutes = static_cast<std::int64_t>(std::max(0.0, idleNow - idleSince) / 60);
    const auto hours = idleMinutes / 60;
    log.info("Asked " + application->localizedName().value_or("Unknown") + " to quit after " +
             (hours > 0 ? std::to_string(hours) + " h " : "") + std::to_string(idleMinutes % 60) + " min idle");
    services.record.add(application, services.clock.now());
    untrack(application);
}

void RunningAppsManager::warn(const ApplicationHandle& application, double secondsLeft) {
    warned.insert(application);
    const int minutes = std::max(1, static_cast<int>(std::ceil(secondsLeft / 60)));
    services.warnings.warn(application, minutes, [weak = weak_from_this(), application](QuitWarnings::Answer answer) {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        if (answer == QuitWarnings::Answer::keepOpen) {
            self->keepOpen(application);
        } else {
            self->quitNow(application);
        }
    });
}

void RunningAppsManager::withdrawWarning(const ApplicationHandle& application) {
    if (warned.erase(application) > 0) {
        services.warnings.withdraw(application);
    }
}

void RunningAppsManager::withdrawAllWarnings() {
    const std::vector<ApplicationHandle> shown(warned.begin(), warned.end());
    for (const auto& application : shown) {
        withdrawWarning(application);
    }
}

void RunningAppsManager::keepOpen(const ApplicationHandle& application) {
    if (runningAppsValue.contains(application)) {
        stamp(application, services.idleClock.now());
    }
}

void RunningAppsManager::quitNow(const ApplicationHandle& application) {
    const auto found = runningAppsValue.find(application);
    if (found != runningAppsValue.end()) {
        withdrawWarning(application);
        askToQuit(application, found->second, services.idleClock.now());
    }
}

void RunningAppsManager::pauseUntil(Date until) {
    willChange.send();
    pausedUntilValue = until;
    withdrawAllWarnings();
    log.info("Paused for " + std::to_string(std::llround(std::max(0.0, until - services.clock.now()) / 60)) + " min");
}

void RunningAppsManager::resume() {
    if (!pausedUntilValue) {
        return;
    }
    willChange.send();
    pausedUntilValue.reset();
    log.info("Resumed");
    startGrace();
}

// Lifted, the quitting carries on at the next sweep as if never held.
void RunningAppsManager::setQuittingAllowed(bool allowed) {
    quittingAllowed = allowed;
    if (!allowed) {
        withdrawAllWarnings();
    }
}

// The end of a pause or a sleep is not the moment to close anything: what went
// past its limit meanwhile is warned first and asked after the grace.
void RunningAppsManager::startGrace() {
    if (!areQuitsHeld()) {
        graceEnd = services.clock.now() + graceSeconds;
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
    stamp(application, services.idleClock.now());
}

bool RunningAppsManager::toggleFor(const std::string& name) const {
    const auto entry = toggleStatusValue.find(name);
    return entry == toggleStatusValue.end() || entry->second;
}

// Only this switch is written, and the rest read back: a hand edit made since
// the last read is kept and shows.
void RunningAppsManager::setToggle(const std::string& name, bool isOn) {
    saveSwitches({{name, isOn}});
    willChange.send();
    toggleStatusValue[name] = isOn;
    loadToggleStatus();
}

// A new stamp starts a new idle period: any warning of the last one is void.
void RunningAppsManager::stamp(const ApplicationHandle& application, Date date) {
    willChange.send();
    runningAppsValue.insert_or_assign(application, date);
    withdrawWarning(application);
}

void RunningAppsManager::untrack(const ApplicationHandle& application) {
    willChange.send();
    runningAppsValue.erase(application);
    atWork.erase(application);
    withdrawWarning(application);
}

} // namespace drowsel
