// The wlroots workspace in a private headless sway with 20 foot windows: the
// cost of what every sweep reads, the Wayland requests it makes when nothing
// changed (goal 0), and the time from a focus change to the stamp.
#include "SwaySession.h"
#include "core/RunningAppsManager.h"
#include "fakes/FakeOwnApplication.h"
#include "fakes/ManualTimerScheduler.h"
#include "fakes/MemoryDefaultsStore.h"
#include "fakes/RecordingLogSink.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/system/SystemClock.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WlrToplevelWorkspace.h"

#include <benchmark/benchmark.h>
#include <wayland-client.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

#include <atomic>
#include <cstring>
#include <dlfcn.h>
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

void pump() {
    QEventLoop loop;
    QTimer::singleShot(5, &loop, &QEventLoop::quit);
    loop.exec();
}

wltest::SwaySession& session() {
    static wltest::SwaySession shared;
    static const bool started = [] {
        for (int index = 0; index < windowCount; ++index) {
            shared.startFoot("org.drowsel.bench" + std::to_string(index));
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

// The workspace goes before the manager's services: it holds the last
// reference to the manager, whose destructor still uses them.
struct ManagerOnSway {
    fakes::RecordingLogSink sink;
    fakes::FakeOwnApplication ownApplication;
    fakes::MemoryDefaultsStore defaults;
    QtMainQueue mainQueue;
    fakes::ManualTimerScheduler timers;
    SystemClock clock;
    std::unique_ptr<WaylandConnection> connection =
        WaylandConnection::open(Logger(sink, "bench", "wayland"), session().waylandDisplay().c_str());
    std::unique_ptr<WlrToplevelWorkspace> workspace =
        connection ? WlrToplevelWorkspace::open(*connection, Logger(sink, "bench", "wlr"), nullptr) : nullptr;
    std::shared_ptr<RunningAppsManager> manager;

    ManagerOnSway() {
        if (workspace &&
            wltest::SwaySession::waitUntil([&] { return workspace->runningApplications().size() == windowCount; },
                                           std::chrono::seconds(30), pump)) {
            manager =
                RunningAppsManager::create({*workspace, ownApplication, defaults, mainQueue, timers, clock, sink});
            wltest::SwaySession::waitUntil([&] { return manager->runningApps().size() == windowCount; },
                                           std::chrono::seconds(5), pump);
            countedSocket = wl_display_get_fd(connection->display());
        }
    }
    // Queued tasks hold the manager: they run while its services still exist.
    ~ManagerOnSway() {
        countedSocket = -1;
        QCoreApplication::sendPostedEvents();
    }
};

void BM_WlrSweepReadsWith20Toplevels(benchmark::State& state) {
    ManagerOnSway setup;
    if (!setup.manager) {
        state.SkipWithError("the foot windows did not all appear");
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
BENCHMARK(BM_WlrSweepReadsWith20Toplevels);

void BM_WlrManagerSweepWith20Toplevels(benchmark::State& state) {
    ManagerOnSway setup;
    if (!setup.manager) {
        state.SkipWithError("the foot windows did not all appear");
        return;
    }
    const std::size_t before = bytesSentOnCountedSocket;
    for (auto _ : state) {
        setup.manager->checkOpenApps();
    }
    state.counters["bytesSent"] = double(bytesSentOnCountedSocket - before);
    state.counters["tracked"] = double(setup.manager->runningApps().size());
}
BENCHMARK(BM_WlrManagerSweepWith20Toplevels)->Unit(benchmark::kMicrosecond);

// From sending a focus command to sway to the stamp of the application left,
// through sway, the protocol's events and the manager's queued task.
void BM_WlrFocusChangeToStamp(benchmark::State& state) {
    ManagerOnSway setup;
    if (!setup.manager) {
        state.SkipWithError("the foot windows did not all appear");
        return;
    }
    const SwayIpc ipc(session().ipcSocketPath());
    int next = 0;
    for (auto _ : state) {
        const auto before = setup.manager->runningApps();
        const auto command = "[app_id=\"^org\\.drowsel\\.bench" + std::to_string(next) + "$\"] focus";
        next = 1 - next;
        const auto started = std::chrono::steady_clock::now();
        ipc.run(command);
        const bool stamped = wltest::SwaySession::waitUntil(
            [&] { return setup.manager->runningApps() != before; }, std::chrono::seconds(2),
            [] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1); });
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (!stamped) {
            state.SkipWithError("no stamp after a focus change");
            break;
        }
    }
}
BENCHMARK(BM_WlrFocusChangeToStamp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

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
