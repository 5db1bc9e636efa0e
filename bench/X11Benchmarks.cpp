// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 workspace with 50 real windows (one fixture client each) under a
// private Xvfb + openbox: the cost of what every sweep reads, and the number
// of X requests that reading makes when nothing changed (goal 0).
#include "QtEventPump.h"
#include "XSession.h"
#include "core/DefaultsKeys.h"
#include "core/RunningAppsManager.h"
#include "fakes/FakeOwnApplication.h"
#include "fakes/FakeWorkDetector.h"
#include "fakes/ManualTimerScheduler.h"
#include "fakes/MemoryDefaultsStore.h"
#include "fakes/RecordingLogSink.h"
#include "fakes/RecordingQuitRecord.h"
#include "fakes/RecordingQuitWarnings.h"
#include "fakes/SettableClock.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/system/SystemClock.h"
#include "platform/work/WorkDetectors.h"
#include "platform/x11/X11Workspace.h"

#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QGuiApplication>

#include <array>
#include <cstdlib>
#include <cstring>

namespace drowsel {
namespace {

constexpr int windowCount = 50;

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
                                    std::chrono::seconds(20), pumpQtEvents)) {
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

// A whole sweep of the manager on the real workspace, nothing changed: its
// time and the X requests it makes. With the detectors, every application is
// in the last minutes before its limit, so each sweep looks at all 50: their
// processes, sound, terminals and inhibitors, the table of processes read
// afresh as at a sweep a minute after the last.
// The workspace goes first: it holds the last reference to the manager, whose
// destructor still uses the other services.
struct ManagerOnX11 {
    fakes::RecordingLogSink sink;
    fakes::FakeOwnApplication ownApplication;
    fakes::MemoryDefaultsStore defaults;
    fakes::RecordingQuitWarnings warnings;
    fakes::RecordingQuitRecord record;
    fakes::FakeWorkDetector work;
    QtMainQueue mainQueue;
    fakes::ManualTimerScheduler timers;
    SystemClock clock;
    fakes::SettableClock idleClock;
    fakes::SettableClock detectorClock;
    std::unique_ptr<WorkDetectors> detectors;
    std::unique_ptr<X11Workspace> workspace = openWorkspaceWithAllWindows(sink);
    std::shared_ptr<RunningAppsManager> manager;

    explicit ManagerOnX11(bool withDetectors = false) {
        if (!workspace) {
            return;
        }
        idleClock.time = detectorClock.time = clock.now();
        if (withDetectors) {
            defaults.setInteger(DefaultsKeys::hoursUntilClose, 1);
            detectors = std::make_unique<WorkDetectors>(Logger(sink, "com.drowsel.Drowsel", "work"), detectorClock);
        }
        manager = RunningAppsManager::create({*workspace, ownApplication, defaults, mainQueue, timers, clock,
                                              withDetectors ? static_cast<Clock&>(idleClock) : clock, sink, warnings,
                                              record, detectors ? static_cast<WorkDetector&>(*detectors) : work});
        xtest::XSession::waitUntil([&] { return manager->runningApps().size() == windowCount; },
                                   std::chrono::seconds(5), pumpQtEvents);
        idleClock.advance(3600 - 100);
    }
};

void BM_ManagerSweepWith50Windows(benchmark::State& state) {
    ManagerOnX11 setup;
    if (!setup.manager) {
        state.SkipWithError("the 50 clients did not all appear");
        return;
    }
    auto* x = setup.workspace->xcbConnection();
    const auto before = sequenceOfRoundTrip(x);
    for (auto _ : state) {
        setup.manager->checkOpenApps();
    }
    state.counters["xRequests"] = double(std::uint16_t(sequenceOfRoundTrip(x) - before - 1));
    state.counters["tracked"] = double(setup.manager->runningApps().size());
}
BENCHMARK(BM_ManagerSweepWith50Windows)->Unit(benchmark::kMicrosecond);

void BM_ManagerSweepWith50WindowsAndDetectors(benchmark::State& state) {
    ManagerOnX11 setup(true);
    if (!setup.manager) {
        state.SkipWithError("the 50 clients did not all appear");
        return;
    }
    auto* x = setup.workspace->xcbConnection();
    const auto before = sequenceOfRoundTrip(x);
    for (auto _ : state) {
        setup.detectorClock.advance(60);
        setup.manager->checkOpenApps();
    }
    state.counters["xRequests"] = double(std::uint16_t(sequenceOfRoundTrip(x) - before - 1));
    state.counters["tracked"] = double(setup.manager->runningApps().size());
    state.counters["quit"] = double(setup.record.added.size());
}
BENCHMARK(BM_ManagerSweepWith50WindowsAndDetectors)->Unit(benchmark::kMicrosecond);

xcb_window_t windowOfClass(const std::string& windowClass) {
    const auto found = session().run({"xdotool", "search", "--class", "^" + windowClass + "$"});
    return static_cast<xcb_window_t>(std::strtoul(found.output.c_str(), nullptr, 10));
}

// Asks the window manager to activate a window, as a pager or xdotool does.
void requestActivation(xcb_connection_t* x, xcb_window_t window) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const auto atom = [x](const char* name) {
        XcbReply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    };
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = 2; // from a pager: the user asked for it
    xcb_send_event(x, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(x);
}

// From asking for another active window to the stamp of the one left, through
// the window manager, the workspace's events and the manager's queued task.
void BM_ActivationToStamp(benchmark::State& state) {
    ManagerOnX11 setup;
    const std::array windows{windowOfClass("Bench0"), windowOfClass("Bench1")};
    if (!setup.manager || windows[0] == 0 || windows[1] == 0) {
        state.SkipWithError("the clients did not all appear");
        return;
    }
    xcb_connection_t* pager = xcb_connect(session().display().c_str(), nullptr);
    std::size_t next = 0;
    for (auto _ : state) {
        const auto before = setup.manager->runningApps();
        const auto started = std::chrono::steady_clock::now();
        requestActivation(pager, windows[next]);
        next = 1 - next;
        const bool stamped =
            xtest::XSession::waitUntil([&] { return setup.manager->runningApps() != before; }, std::chrono::seconds(2),
                                       [] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1); });
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (!stamped) {
            state.SkipWithError("no stamp after an activation");
            break;
        }
    }
    xcb_disconnect(pager);
}
BENCHMARK(BM_ActivationToStamp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

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
