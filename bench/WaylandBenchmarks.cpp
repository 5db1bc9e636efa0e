// SPDX-License-Identifier: GPL-3.0-or-later
// The Wayland workspaces with 20 windows of the Qt fixture client, the
// wlroots one in a private headless sway, the KDE one in a private KWin: the cost of what every sweep reads, the
// requests it makes when nothing changed (goal 0), and the time from a focus change to the stamp.
#include "KWinSession.h"
#include "QtEventPump.h"
#include "SwaySession.h"
#include "core/RunningAppsManager.h"
#include "fakes/FakeOwnApplication.h"
#include "fakes/FakeWorkDetector.h"
#include "fakes/ManualTimerScheduler.h"
#include "fakes/MemoryDefaultsStore.h"
#include "fakes/RecordingLogSink.h"
#include "fakes/RecordingQuitRecord.h"
#include "fakes/RecordingQuitWarnings.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/system/SystemClock.h"
#include "platform/wayland/PlasmaWindowWorkspace.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WlrToplevelWorkspace.h"

#include <benchmark/benchmark.h>
#include <wayland-client.h>

#include "plasma-window-management-client-protocol.h"

#include <QEventLoop>
#include <QGuiApplication>

#include <atomic>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <map>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Every request libwayland sends goes through sendmsg: counting the bytes sent
// on the workspace's socket counts its requests (each is at least 8 bytes).
std::atomic<int> countedSocket{-1};
std::atomic<std::size_t> bytesSentOnCountedSocket{0};

} // namespace

extern "C" ssize_t sendmsg(int socket, const msghdr* message, int flags) {
    using Sendmsg = ssize_t (*)(int, const msghdr*, int);
    static const auto real = reinterpret_cast<Sendmsg>(dlsym(RTLD_NEXT, "sendmsg"));
    const ssize_t sent = real(socket, message, flags);
    if (socket == countedSocket && sent > 0) {
        bytesSentOnCountedSocket += std::size_t(sent);
    }
    return sent;
}

namespace drowsel {
namespace {

constexpr int windowCount = 20;

wltest::SwaySession& sway() {
    static wltest::SwaySession shared;
    static const bool started = [] {
        for (int index = 0; index < windowCount; ++index) {
            shared.startQtWaylandClient(
                {DROWSEL_WAYLAND_FIXTURE_CLIENT, "--app-id", "org.drowsel.bench" + std::to_string(index)});
        }
        return true;
    }();
    (void)started;
    return shared;
}

// Sends one command over sway's IPC socket, as swaymsg does, without starting
// a process for it.
class SwayIpc {
public:
    explicit SwayIpc(const std::string& path) : socket(::socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    }
    ~SwayIpc() { close(socket); }

    void run(const std::string& command) const {
        std::string message = "i3-ipc";
        const std::uint32_t header[] = {std::uint32_t(command.size()), 0}; // 0: RUN_COMMAND
        message.append(reinterpret_cast<const char*>(header), sizeof(header));
        message += command;
        write(socket, message.data(), message.size());
        char reply[256];
        read(socket, reply, sizeof(reply)); // the answer comes after the change
    }

private:
    int socket;
};

wltest::KWinSession& kwin() {
    static wltest::KWinSession shared(std::vector<std::string>{std::filesystem::read_symlink("/proc/self/exe")});
    static const std::vector<pid_t> clients = [] {
        std::vector<pid_t> started;
        for (int index = 0; index < windowCount; ++index) {
            started.push_back(shared.startQtWaylandClient(
                {DROWSEL_WAYLAND_FIXTURE_CLIENT, "--app-id", "org.drowsel.bench" + std::to_string(index)}));
        }
        return started;
    }();
    (void)clients;
    return shared;
}

std::unique_ptr<Workspace> openWlr(WaylandConnection& connection, Logger log) {
    return WlrToplevelWorkspace::open(connection, std::move(log), nullptr);
}

std::unique_ptr<Workspace> openPlasma(WaylandConnection& connection, Logger log) {
    return PlasmaWindowWorkspace::open(connection, std::move(log), nullptr);
}

// The workspace goes before the manager's services: it holds the last
// reference to the manager, whose destructor still uses them.
struct ManagerOnCompositor {
    fakes::RecordingLogSink sink;
    fakes::FakeOwnApplication ownApplication;
    fakes::MemoryDefaultsStore defaults;
    fakes::RecordingQuitWarnings warnings;
    fakes::RecordingQuitRecord record;
    fakes::FakeWorkDetector work;
    QtMainQueue mainQueue;
    fakes::ManualTimerScheduler timers;
    SystemClock clock;
    std::unique_ptr<WaylandConnection> connection;
    std::unique_ptr<Workspace> workspace;
    std::shared_ptr<RunningAppsManager> manager;

    using Opener = std::unique_ptr<Workspace> (*)(WaylandConnection&, Logger);
    ManagerOnCompositor(const std::string& display, Opener open)
        : connection(WaylandConnection::open(Logger(sink, "bench", "wayland"), display.c_str())),
          workspace(connection ? open(*connection, Logger(sink, "bench", "workspace")) : nullptr) {
        if (workspace &&
            wltest::SwaySession::waitUntil([&] { return workspace->runningApplications().size() == windowCount; },
                                           std::chrono::seconds(30), pumpQtEvents)) {
            manager = RunningAppsManager::create(
                {*workspace, ownApplication, defaults, mainQueue, timers, clock, clock, sink, warnings, record, work});
            wltest::SwaySession::waitUntil([&] { return manager->runningApps().size() == windowCount; },
                                           std::chrono::seconds(5), pumpQtEvents);
            countedSocket = wl_display_get_fd(connection->display());
        }
    }
    // Queued tasks hold the manager: they run while its services still exist.
    ~ManagerOnCompositor() {
        countedSocket = -1;
        QCoreApplication::sendPostedEvents();
    }
};

void sweepReads(benchmark::State& state, ManagerOnCompositor& setup) {
    if (!setup.manager) {
        state.SkipWithError("the windows did not all appear");
        return;
    }
    const std::size_t before = bytesSentOnCountedSocket;
    for (auto _ : state) {
        for (const auto& app : setup.workspace->runningApplications()) {
            benchmark::DoNotOptimize(app->localizedName());
            benchmark::DoNotOptimize(app->bundleIdentifier());
            benchmark::DoNotOptimize(app->activationPolicy());
        }
        benchmark::DoNotOptimize(setup.workspace->frontmostApplication());
    }
    state.counters["bytesSent"] = double(bytesSentOnCountedSocket - before);
    // The control: one round trip (a wl_display.sync request) is counted.
    const std::size_t beforeRoundTrip = bytesSentOnCountedSocket;
    setup.connection->roundTrip();
    state.counters["roundTripBytes"] = double(bytesSentOnCountedSocket - beforeRoundTrip);
}

void managerSweep(benchmark::State& state, ManagerOnCompositor& setup) {
    if (!setup.manager) {
        state.SkipWithError("the windows did not all appear");
        return;
    }
    const std::size_t before = bytesSentOnCountedSocket;
    for (auto _ : state) {
        setup.manager->checkOpenApps();
    }
    state.counters["bytesSent"] = double(bytesSentOnCountedSocket - before);
    state.counters["tracked"] = double(setup.manager->runningApps().size());
}

// Waits, pumping the event loop, until a change has stamped an application.
bool stampedAfter(ManagerOnCompositor& setup, const std::function<void()>& change) {
    const auto before = setup.manager->runningApps();
    change();
    return wltest::SwaySession::waitUntil([&] { return setup.manager->runningApps() != before; },
                                          std::chrono::seconds(5),
                                          [] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1); });
}

// Times each change from its start to the stamp of the application left.
void changeToStamp(benchmark::State& state, ManagerOnCompositor& setup, const std::function<void(int)>& focus) {
    if (!setup.manager) {
        state.SkipWithError("the windows did not all appear");
        return;
    }
    int next = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        const bool stamped = stampedAfter(setup, [&] { focus(next); });
        next = 1 - next;
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (!stamped) {
            state.SkipWithError("no stamp after a focus change");
            return;
        }
    }
}

void BM_WlrSweepReadsWith20Toplevels(benchmark::State& state) {
    ManagerOnCompositor setup(sway().waylandDisplay(), openWlr);
    sweepReads(state, setup);
}
BENCHMARK(BM_WlrSweepReadsWith20Toplevels);

void BM_WlrManagerSweepWith20Toplevels(benchmark::State& state) {
    ManagerOnCompositor setup(sway().waylandDisplay(), openWlr);
    managerSweep(state, setup);
}
BENCHMARK(BM_WlrManagerSweepWith20Toplevels)->Unit(benchmark::kMicrosecond);

// From sending a focus command to sway to the stamp of the application left,
// through sway, the protocol's events and the manager's queued task.
void BM_WlrFocusChangeToStamp(benchmark::State& state) {
    ManagerOnCompositor setup(sway().waylandDisplay(), openWlr);
    const SwayIpc ipc(sway().ipcSocketPath());
    changeToStamp(state, setup, [&](int index) {
        ipc.run("[app_id=\"^org\\.drowsel\\.bench" + std::to_string(index) + "$\"] focus");
    });
}
BENCHMARK(BM_WlrFocusChangeToStamp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_KdeSweepReadsWith20Windows(benchmark::State& state) {
    ManagerOnCompositor setup(kwin().waylandDisplay(), openPlasma);
    sweepReads(state, setup);
}
BENCHMARK(BM_KdeSweepReadsWith20Windows);

void BM_KdeManagerSweepWith20Windows(benchmark::State& state) {
    ManagerOnCompositor setup(kwin().waylandDisplay(), openPlasma);
    managerSweep(state, setup);
}
BENCHMARK(BM_KdeManagerSweepWith20Windows)->Unit(benchmark::kMicrosecond);

// Asks KWin to activate windows as a taskbar does, over a connection of its
// own: the windows' active state through KDE's window management.
class PlasmaTaskbar {
public:
    explicit PlasmaTaskbar(WaylandConnection& connection) : connection(connection) {
        if (const auto global = connection.global(PlasmaWindowWorkspace::protocol)) {
            manager = static_cast<org_kde_plasma_window_management*>(
                connection.bind(*global, &org_kde_plasma_window_management_interface, 16));
            static const org_kde_plasma_window_management_listener listener = {
                .show_desktop_changed = [](void*, org_kde_plasma_window_management*, std::uint32_t) {},
                .window = [](void*, org_kde_plasma_window_management*, std::uint32_t) {},
                .stacking_order_changed = [](void*, org_kde_plasma_window_management*, wl_array*) {},
                .stacking_order_uuid_changed = [](void*, org_kde_plasma_window_management*, const char*) {},
                .window_with_uuid = &PlasmaTaskbar::addWindow,
            };
            org_kde_plasma_window_management_add_listener(manager, &listener, this);
            connection.roundTrip();
            connection.roundTrip();
        }
    }

    // False when no window has that app id.
    bool activate(const std::string& appId) {
        const auto found = windowsByAppId.find(appId);
        if (found == windowsByAppId.end()) {
            return false;
        }
        org_kde_plasma_window_set_state(found->second, ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE,
                                        ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE);
        connection.flush();
        return true;
    }

private:
    static void addWindow(void* data, org_kde_plasma_window_management* manager, std::uint32_t, const char* uuid) {
        static const org_kde_plasma_window_listener listener = {
            .title_changed = [](void*, org_kde_plasma_window*, const char*) {},
            .app_id_changed =
                [](void* data, org_kde_plasma_window* window, const char* appId) {
                    static_cast<PlasmaTaskbar*>(data)->windowsByAppId[appId] = window;
                },
            .state_changed = [](void*, org_kde_plasma_window*, std::uint32_t) {},
            .virtual_desktop_changed = [](void*, org_kde_plasma_window*, std::int32_t) {},
            .themed_icon_name_changed = [](void*, org_kde_plasma_window*, const char*) {},
            .unmapped = [](void*, org_kde_plasma_window*) {},
            .initial_state = [](void*, org_kde_plasma_window*) {},
            .parent_window = [](void*, org_kde_plasma_window*, org_kde_plasma_window*) {},
            .geometry = [](void*, org_kde_plasma_window*, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t) {},
            .icon_changed = [](void*, org_kde_plasma_window*) {},
            .pid_changed = [](void*, org_kde_plasma_window*, std::uint32_t) {},
            .virtual_desktop_entered = [](void*, org_kde_plasma_window*, const char*) {},
            .virtual_desktop_left = [](void*, org_kde_plasma_window*, const char*) {},
            .application_menu = [](void*, org_kde_plasma_window*, const char*, const char*) {},
            .activity_entered = [](void*, org_kde_plasma_window*, const char*) {},
            .activity_left = [](void*, org_kde_plasma_window*, const char*) {},
            .resource_name_changed = [](void*, org_kde_plasma_window*, const char*) {},
        };
        auto* window = org_kde_plasma_window_management_get_window_by_uuid(manager, uuid);
        org_kde_plasma_window_add_listener(window, &listener, data);
    }

    WaylandConnection& connection;
    org_kde_plasma_window_management* manager = nullptr;
    std::map<std::string, org_kde_plasma_window*> windowsByAppId;
};

// From a taskbar's activation request to the stamp of the application left,
// through KWin, the protocol's events and the manager's queued task.
void BM_KdeActivationToStamp(benchmark::State& state) {
    ManagerOnCompositor setup(kwin().waylandDisplay(), openPlasma);
    fakes::RecordingLogSink sink;
    const auto taskbarConnection =
        WaylandConnection::open(Logger(sink, "bench", "taskbar"), kwin().waylandDisplay().c_str());
    if (!taskbarConnection) {
        state.SkipWithError("no connection for the taskbar");
        return;
    }
    PlasmaTaskbar taskbar(*taskbarConnection);
    changeToStamp(state, setup, [&](int index) { taskbar.activate("org.drowsel.bench" + std::to_string(index)); });
}
BENCHMARK(BM_KdeActivationToStamp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

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
