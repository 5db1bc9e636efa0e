// The X session changing under Drowsel: its server killed, its window manager
// replaced and restarted.
#include "FaultSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

namespace drowsel::xtest {

namespace {

using namespace std::chrono_literals;

std::string rootProperty(XSession& x, const std::string& property) {
    return x.run({"xprop", "-root", property}).output;
}

// The window manager lists the client's window again.
bool isManaged(FaultSession& session, const std::string& className) {
    const auto windows = session.desktop().windowsOfClass(className);
    if (windows.empty()) {
        return false;
    }
    char hex[32];
    std::snprintf(hex, sizeof hex, "0x%lx", std::stoul(windows.front()));
    const auto list = rootProperty(session.x(), "_NET_CLIENT_LIST");
    return list.find(std::string(hex) + ",") != std::string::npos || list.ends_with(std::string(hex) + "\n");
}

// The window manager's check window as the root window names it, or nothing
// while none runs (a stopped one may leave its name behind).
std::string windowManager(XSession& x) {
    const auto named = rootProperty(x, "_NET_SUPPORTING_WM_CHECK");
    const auto id = named.find("# ");
    if (id == std::string::npos ||
        x.run({"xwininfo", "-id", named.substr(id + 2, named.find('\n') - id - 2)}).exitCode != 0) {
        return {};
    }
    return named;
}

// Waits until a window manager other than the one named before has taken over
// and manages the client again.
void waitForNewWindowManager(FaultSession& session, const std::string& before, const std::string& className) {
    const bool ready = XSession::waitUntil(
        [&] {
            const auto now = windowManager(session.x());
            return !now.empty() && now != before && isManaged(session, className);
        },
        10s);
    ASSERT_TRUE(ready) << "no window manager took over";
}

} // namespace

TEST(XServerFaultTest, KilledServerEndsDrowselWithStatusOneALogLineAndIntactSettings) {
    FaultSession session;
    session.desktop().writeSettings("hoursUntilClose=5\ncom.Drowsel.toggleStatus=@ByteArray({\\\"Idle\\\":false})\n");
    const QByteArray settings = session.desktop().settingsFile();
    auto& x = session.x();
    session.startTray();
    session.startClient("Idle");
    // Under the sanitizers, what Qt leaves of its broken connection is told
    // apart by full stacks.
    const pid_t drowsel = session.startDrowsel(
        R"(export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0" LSAN_OPTIONS=suppressions=)" +
        std::string(DROWSEL_DEAD_X_SERVER_SUPPRESSIONS));
    session.waitForTrayIcon(drowsel);

    kill(x.serverPid(), SIGKILL);
    const auto killed = std::chrono::steady_clock::now();
    ASSERT_TRUE(XSession::waitUntil([&] { return !x.isRunning(drowsel); }));
    const auto took = std::chrono::steady_clock::now() - killed;

    EXPECT_EQ(x.exitStatus(drowsel), 1) << session.log();
    EXPECT_LT(took, 1s);
    // Drowsel's own line, or Qt's when its connection noticed first.
    EXPECT_NE(session.log().find("[com.drowsel.Drowsel/main] error: "), std::string::npos) << session.log();
    EXPECT_EQ(session.desktop().settingsFile(), settings);
}

// The window manager replaced, then stopped and started afresh, with a sweep
// every second throughout (the panel stays open) and the idle limit far away:
// whatever the workspace sees meanwhile, no client is asked to close, and a
// client that comes later is still tracked.
TEST(XServerFaultTest, ReplacedAndRestartedWindowManagerQuitsNothingAndTrackingGoesOn) {
    FaultSession session;
    session.desktop().writeSettings("hoursUntilClose=1\n");
    auto& x = session.x();
    session.startTray();
    const pid_t idle = session.startClient("Idle");
    const pid_t user = session.startClient("User");
    session.activate("User");
    const pid_t drowsel = session.startDrowsel();
    const auto panel = session.openPanel(drowsel);
    const auto sweepsAfter = [&](std::size_t more) {
        return session.waitForLog("checkOpenApps", session.countInLog("checkOpenApps") + more);
    };
    ASSERT_TRUE(sweepsAfter(2));

    const auto original = windowManager(x);
    const pid_t replacement = x.start({"openbox", "--replace", "--sm-disable"});
    waitForNewWindowManager(session, original, "User");
    ASSERT_TRUE(sweepsAfter(2));

    // Stopped, a while without any, then started afresh.
    x.stop(replacement);
    ASSERT_TRUE(XSession::waitUntil([&] { return windowManager(x).empty(); }));
    ASSERT_TRUE(sweepsAfter(2));
    x.start({"openbox", "--sm-disable"});
    waitForNewWindowManager(session, {}, "User");
    ASSERT_TRUE(sweepsAfter(2));

    const pid_t late = session.startClient("Late");
    EXPECT_TRUE(XSession::waitUntil([&] {
        const auto now = session.panelOf(drowsel);
        return now && (*now)[3] > panel[3];
    })) << "a row for the client started last";

    EXPECT_EQ(session.countInLog("delete request"), 0u) << session.log();
    EXPECT_TRUE(x.isRunning(idle) && x.isRunning(user) && x.isRunning(late) && x.isRunning(drowsel));
}

} // namespace drowsel::xtest
