// The X11 workspace with 50 real windows (one fixture client each) under a
// private Xvfb + openbox: the cost of what every sweep reads, and the number
// of X requests that reading makes when nothing changed (goal 0).
#include "XSession.h"
#include "fakes/RecordingLogSink.h"
#include "platform/x11/X11Workspace.h"

#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include <cstdlib>

namespace drowsel {
namespace {

constexpr int windowCount = 50;

void pump() {
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
}

// One session with the 50 clients for all benchmarks.
xtest::XSession& session() {
    static xtest::XSession shared;
    static const bool started = [] {
        for (int index = 0; index < windowCount; ++index) {
            shared.start({DROWSEL_FIXTURE_CLIENT, "--class", "bench", "Bench" + std::to_string(index)});
        }
        return true;
    }();
    (void)started;
    return shared;
}

std::unique_ptr<X11Workspace> openWorkspaceWithAllWindows(fakes::RecordingLogSink& sink) {
    auto workspace =
        X11Workspace::open(Logger(sink, "com.drowsel.Drowsel", "X11Workspace"), session().display().c_str());
    if (!workspace ||
        !xtest::XSession::waitUntil([&] { return workspace->runningApplications().size() == windowCount; },
                                    std::chrono::seconds(20), pump)) {
        return nullptr;
    }
    return workspace;
}

std::uint16_t sequenceOfRoundTrip(xcb_connection_t* x) {
    XcbReply<xcb_get_input_focus_reply_t> reply(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    return reply ? reply->sequence : 0;
}

void readWhatASweepReads(const X11Workspace& workspace) {
    for (const auto& app : workspace.runningApplications()) {
        benchmark::DoNotOptimize(app->localizedName());
        benchmark::DoNotOptimize(app->bundleIdentifier());
        benchmark::DoNotOptimize(app->activationPolicy());
        benchmark::DoNotOptimize(app->isFinishedLaunching());
    }
    benchmark::DoNotOptimize(workspace.frontmostApplication());
}

void BM_SweepReadsWith50Windows(benchmark::State& state) {
    fakes::RecordingLogSink sink;
    const auto workspace = openWorkspaceWithAllWindows(sink);
    if (!workspace) {
        state.SkipWithError("the 50 clients did not all appear");
        return;
    }
    auto* x = workspace->xcbConnection();
    const auto before = sequenceOfRoundTrip(x);
    for (auto _ : state) {
        readWhatASweepReads(*workspace);
    }
    const auto requests = std::uint16_t(sequenceOfRoundTrip(x) - before - 1);
    state.counters["xRequests"] = double(requests);
    state.counters["apps"] = double(workspace->runningApplications().size());
}
BENCHMARK(BM_SweepReadsWith50Windows);

// Opening reads every window once (all requests pipelined).
void BM_OpenWith50Windows(benchmark::State& state) {
    fakes::RecordingLogSink sink;
    if (!openWorkspaceWithAllWindows(sink)) {
        state.SkipWithError("the 50 clients did not all appear");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            X11Workspace::open(Logger(sink, "com.drowsel.Drowsel", "X11Workspace"), session().display().c_str()));
    }
}
BENCHMARK(BM_OpenWith50Windows)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace drowsel

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
