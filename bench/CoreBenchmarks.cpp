// Figures for the core's hot paths, on faked services so that only the core's
// own work is measured.
#include "core/DefaultsKeys.h"
#include "core/RunningAppsManager.h"
#include "core/ToggleStatusCodec.h"
#include "fakes/CoreFakes.h"

#include <benchmark/benchmark.h>

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

} // namespace
} // namespace drowsel

BENCHMARK_MAIN();
