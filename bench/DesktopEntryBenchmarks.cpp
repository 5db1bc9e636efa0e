// SPDX-License-Identifier: GPL-3.0-or-later
// Finding a window's desktop entry with 3,000 entries installed (in a data
// folder of its own): a lookup of a window class never seen before, and the
// reading of the whole index, as after an installation.
#include "platform/desktop/DesktopEntryIndex.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace drowsel {
namespace {

constexpr int installedEntries = 3000;

std::filesystem::path installEntries() {
    const auto dataHome = std::filesystem::temp_directory_path() / ("drowsel-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dataHome / "applications");
    for (int entry = 0; entry < installedEntries; ++entry) {
        const auto id = "bench-app-" + std::to_string(entry);
        std::ofstream(dataHome / "applications" / (id + ".desktop"))
            << "[Desktop Entry]\nType=Application\nExec=true\nName=Bench " << entry << "\nStartupWMClass=BenchClass"
            << entry << "\nIcon=" << id << "\n";
    }
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    setenv("XDG_DATA_DIRS", (dataHome / "none").c_str(), 1);
    return dataHome;
}

const std::filesystem::path dataHome = installEntries();

void lookUpANewWindowClass(benchmark::State& state) {
    const auto index = DesktopEntryIndex::shared();
    index->byClass("warm-up");
    int seen = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(index->byClass("NeverSeenClass" + std::to_string(++seen)));
    }
    state.counters["entries"] = double(index->size());
}
BENCHMARK(lookUpANewWindowClass)->Unit(benchmark::kMicrosecond);

void readTheWholeIndex(benchmark::State& state) {
    for (auto _ : state) {
        DesktopEntryIndex index;
        benchmark::DoNotOptimize(index.byClass("BenchClass2999"));
    }
}
BENCHMARK(readTheWholeIndex)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace drowsel

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::remove_all(drowsel::dataHome);
}
