// Thirty days of one tick a second on the fake clock, with applications
// launching, exiting, refusing to quit and being switched between: what the
// manager holds stays bounded by what runs, and its log does not speed up.
#include "core/DefaultsKeys.h"
#include "core/RunningAppsManager.h"
#include "fakes/CoreFakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <iostream>
#include <memory>

namespace drowsel {

namespace {

using Properties = fakes::FakeApplication::Properties;

constexpr int days = 30;
constexpr std::int64_t secondsPerDay = 24 * 3600;
constexpr std::size_t namePool = 12;

// A working day's worth of desktop life, the same every day up to the phase of
// its periods, driven one second at a time.
class Desktop {
public:
    explicit Desktop(fakes::CoreFakes& env) : env(env), managerPointer(RunningAppsManager::create(env.services())) {}

    RunningAppsManager& manager() { return *managerPointer; }

    void second(std::int64_t time) {
        if (time % 60 == 0) {
            minute(time / 60);
        }
        env.clock.advance(1.0);
        env.timers.fireAll();
        env.mainQueue.runAll();
    }

    // Applications that accepted a quit request go, as well-behaved ones do.
    void letQuitAppsExit() {
        for (const auto& application : std::vector(running.begin(), running.end())) {
            auto& fake = env.workspace.fake(application);
            if (fake.quitRequests > 0 && fake.properties.acceptsQuit) {
                exit(application);
            }
        }
    }

    bool exitedAppsAreReleased() const {
        return std::ranges::all_of(exited, [](const auto& application) { return application.expired(); });
    }
    std::size_t runningCount() const { return running.size(); }

private:
    void minute(std::int64_t minute) {
        letQuitAppsExit();
        if (minute % 7 == 0) {
            launch(minute);
        }
        if (minute % 13 == 0 && !running.empty()) {
            exit(running.front());
        }
        if (minute % 3 == 0 && !running.empty()) {
            switchTo(running[std::size_t(minute / 3) % running.size()]);
        }
        // Five minutes an hour with the panel open: a sweep every second.
        env.ownApplication.ownWindows.assign(minute % 60 < 5 ? 1 : 0, {.isKey = true, .isMain = false});
        if (minute % 1440 == 600) {
            manager().setToggle(nameFor(minute), minute % 2880 == 600);
        }
    }

    void launch(std::int64_t minute) {
        const auto kind = minute % 5;
        running.push_back(env.workspace.launch(Properties{
            .name = kind == 4 ? std::nullopt : std::optional(nameFor(minute)),
            .activationPolicy = kind == 3 ? ActivationPolicy::accessory : ActivationPolicy::regular,
            .finishedLaunching = kind != 2 || minute % 10 != 2,
            .acceptsQuit = kind != 1,
        }));
    }

    // By value: the handle may be an element of running.
    void exit(ApplicationHandle application) {
        exited.push_back(env.workspace.fake(application).weak_from_this());
        std::erase(running, application);
        env.workspace.exit(application);
        if (frontmost == application) {
            frontmost.reset();
        }
    }

    void switchTo(const ApplicationHandle& application) {
        if (frontmost && *frontmost != application) {
            env.workspace.deactivate(*frontmost);
        }
        frontmost = application;
        env.workspace.activate(application);
    }

    static std::string nameFor(std::int64_t minute) { return "App " + std::to_string(minute % namePool); }

    fakes::CoreFakes& env;
    std::shared_ptr<RunningAppsManager> managerPointer;
    std::deque<ApplicationHandle> running;
    std::optional<ApplicationHandle> frontmost;
    std::vector<std::weak_ptr<fakes::FakeApplication>> exited;
};

} // namespace

TEST(CoreSoakTest, ThirtyDaysOfTicksHoldOnlyWhatRuns) {
    fakes::CoreFakes env;
    env.defaults.setInteger(DefaultsKeys::hoursUntilClose, 2);
    Desktop desktop(env);
    const auto& manager = desktop.manager();

    std::vector<std::size_t> logLinesPerDay;
    std::vector<std::size_t> bucketsPerDay;
    for (int day = 0; day < days; ++day) {
        for (std::int64_t second = 0; second < secondsPerDay; ++second) {
            desktop.second(day * secondsPerDay + second);
        }
        // Settle: a sweep drops what exited, as the next minute's would.
        desktop.letQuitAppsExit();
        desktop.manager().checkOpenApps();
        env.mainQueue.runAll();

        EXPECT_LE(manager.runningApps().size(), desktop.runningCount()) << "day " << day;
        EXPECT_LE(manager.toggleStatus().size(), namePool);
        EXPECT_TRUE(desktop.exitedAppsAreReleased()) << "day " << day;
        EXPECT_EQ(env.mainQueue.pending(), 0u);
        EXPECT_EQ(env.timers.liveTimers(), 1u);
        EXPECT_EQ(env.workspace.observerCount(), 1u);
        bucketsPerDay.push_back(manager.runningApps().bucket_count());
        logLinesPerDay.push_back(env.log.lines.size());
        env.log.lines.clear();
    }

    EXPECT_EQ(bucketsPerDay.back(), bucketsPerDay.front()) << "the tracked map grew with time";
    const auto [fewest, most] = std::ranges::minmax(std::vector(logLinesPerDay.begin() + 1, logLinesPerDay.end()));
    EXPECT_LE(double(most), 1.05 * double(fewest)) << "log lines per day must not grow";
    std::cout << "log lines per day: " << fewest << " to " << most << "; tracked map buckets " << bucketsPerDay.back()
              << "\n";
}

} // namespace drowsel
