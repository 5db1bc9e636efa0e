// SPDX-License-Identifier: GPL-3.0-or-later
// Figures for the core's hot paths, on faked services so that only the core's
// own work is measured.
#include "core/DefaultsKeys.h"
#include "core/RunningAppsManager.h"
#include "core/ToggleStatusCodec.h"
#include "fakes/CoreFakes.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <fstream>
#include <unistd.h>

namespace drowsel {
namespace {

// One sweep with n tracked applications, none idle long enough to quit: what
// runs once a minute for the life of the process.
void sweep(benchmark::State& state) {
    fakes::CoreFakes env;
    for (int i = 0; i < state.range(0); ++i) {
        env.workspace.launch({.name = "Application " + std::to_string(i),
                              .bundleIdentifier = "org.example.Application" + std::to_string(i)});
    }
    env.workspace.activate(env.workspace.runningApplications().front());
    auto manager = RunningAppsManager::create(env.services());
    env.mainQueue.runAll();

    for (auto _ : state) {
        manager->checkOpenApps();
    }
    state.counters["tracked"] = static_cast<double>(manager->runningApps().size());
}
BENCHMARK(sweep)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// Loading and saving the switch map with n entries through the store.
void loadAndSaveSwitches(benchmark::State& state) {
    fakes::CoreFakes env;
    ToggleStatus switches;
    for (int i = 0; i < state.range(0); ++i) {
        switches.emplace("Application " + std::to_string(i), i % 3 == 0);
    }
    env.defaults.setData(DefaultsKeys::toggleStatus, ToggleStatusCodec::encode(switches));
    auto manager = RunningAppsManager::create(env.services());

    for (auto _ : state) {
        manager->loadToggleStatus();
        manager->saveToggleStatus();
    }
    state.counters["switches"] = static_cast<double>(manager->toggleStatus().size());
}
BENCHMARK(loadAndSaveSwitches)->Arg(10'000)->Unit(benchmark::kMillisecond);

constexpr std::int64_t secondsPerDay = 24 * 3600;

// A working day's worth of desktop life, the same every day up to the phase of
// its periods, driven one second at a time as the event loop drives the
// manager: the timer ticks, then the tasks it queued run.
class SimulatedDesktop {
public:
    explicit SimulatedDesktop(fakes::CoreFakes& env) : env(env), manager(RunningAppsManager::create(env.services())) {}

    void second(std::int64_t time) {
        if (time % 60 == 0) {
            minute(time / 60);
        }
        env.clock.advance(1.0);
        env.timers.fireAll();
        env.mainQueue.runAll();
    }

    // Tracked applications that are no longer running: a leak if it stays above zero.
    std::size_t trackedButGone() const {
        return std::ranges::count_if(manager->runningApps(),
                                     [&](const auto& entry) { return std::ranges::count(running, entry.first) == 0; });
    }

    fakes::CoreFakes& env;
    std::shared_ptr<RunningAppsManager> manager;
    std::deque<ApplicationHandle> running;

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
            manager->setToggle(nameFor(minute), minute % 2880 == 600);
        }
    }

    // Applications that accepted a quit request go, as well-behaved ones do.
    void letQuitAppsExit() {
        for (const auto& application : std::vector(running.begin(), running.end())) {
            const auto& fake = fakes::FakeWorkspace::fake(application);
            if (fake.quitRequests > 0 && fake.properties.acceptsQuit) {
                exit(application);
            }
        }
    }

    // Every fifth refuses to quit, every fifth is a panel, some are still launching.
    void launch(std::int64_t minute) {
        const auto kind = minute % 5;
        running.push_back(env.workspace.launch({
            .name = kind == 4 ? std::nullopt : std::optional(nameFor(minute)),
            .activationPolicy = kind == 3 ? ActivationPolicy::accessory : ActivationPolicy::regular,
            .finishedLaunching = kind != 2 || minute % 10 != 2,
            .acceptsQuit = kind != 1,
        }));
    }

    // By value: the handle may be an element of running.
    void exit(ApplicationHandle application) {
        std::erase(running, application);
        env.workspace.exit(application);
        if (frontmost == application) {
            frontmost.reset();
        }
    }

    void switchTo(const ApplicationHandle& application) {
        if (frontmost && *frontmost != application) {
            env.workspace.deactivate({*frontmost});
        }
        frontmost = application;
        env.workspace.activate(application);
    }

    static std::string nameFor(std::int64_t minute) { return "App " + std::to_string(minute % 12); }

    std::optional<ApplicationHandle> frontmost;
};

double residentKiB() {
    std::ifstream statm("/proc/self/statm");
    double pages = 0;
    statm >> pages >> pages; // size, then resident
    return pages * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024;
}

// Thirty days of one tick a second with applications launching, exiting,
// refusing to quit and being switched between. What the manager holds and the
// process's memory after the first day and after the last: they should not
// grow with time.
void thirtyDaysOfTicks(benchmark::State& state) {
    for (auto _ : state) {
        fakes::CoreFakes env;
        env.defaults.setInteger(DefaultsKeys::hoursUntilClose, 2);
        SimulatedDesktop desktop(env);
        for (int day = 0; day < 30; ++day) {
            for (std::int64_t second = 0; second < secondsPerDay; ++second) {
                desktop.second(day * secondsPerDay + second);
            }
            const std::string suffix = day == 0 ? "FirstDay" : "LastDay";
            if (day == 0 || day == 29) {
                state.counters["tracked" + suffix] = double(desktop.manager->runningApps().size());
                state.counters["running" + suffix] = double(desktop.running.size());
                state.counters["trackedButGone" + suffix] = double(desktop.trackedButGone());
                state.counters["mapBuckets" + suffix] = double(desktop.manager->runningApps().bucket_count());
                state.counters["logLines" + suffix] = double(env.log.lines.size());
                state.counters["residentKiB" + suffix] = residentKiB();
            }
            env.log.lines.clear();
        }
        state.counters["switches"] = double(desktop.manager->toggleStatus().size());
    }
}
BENCHMARK(thirtyDaysOfTicks)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace drowsel

BENCHMARK_MAIN();
