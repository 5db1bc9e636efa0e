// SPDX-License-Identifier: GPL-3.0-or-later
// What the wlroots and KDE workspaces do beyond the contract: names from the
// desktop entry of the app id, XWayland's clients left to the X11 workspace,
// the session's choice of backend, and the whole program's sweep.
#include "WorkspaceFixture.h"
#include "platform/session/SessionWorkspaces.h"

#include <filesystem>
#include <set>

namespace drowsel::workspacetest {

// Each Wayland test program's own driver.
std::unique_ptr<BackendDriver> createWaylandDriver();

namespace {

// What the X11 workspace knows of XWayland's clients, as the test says.
class FakeXWaylandClients : public XWaylandClients {
public:
    bool hasWindowOfClass(std::string_view name) const override { return classes.contains(std::string(name)); }
    bool hasWindowWithoutClass() const override { return false; }
    bool hasClientWithPid(pid_t pid) const override { return pids.contains(pid); }

    std::set<std::string> classes;
    std::set<pid_t> pids;
};

// The cases of the Wayland backends beyond the contract, on the same shared
// session; some watch the whole session's workspaces, XWayland's too.
class WaylandWorkspaceTest : public WorkspaceFixture {
protected:
    void TearDown() override {
        sessionWorkspaces.reset();
        WorkspaceFixture::TearDown();
    }

    // Watches the session's workspaces, as the program does, from now on.
    void openSession() {
        current = nullptr;
        workspace.reset();
        const auto& session = driver().session();
        sessionWorkspaces =
            SessionWorkspaces::open(Logger(log, "test", "session"), {session.waylandDisplay(), session.x11Display()});
        ASSERT_TRUE(sessionWorkspaces) << seen();
        ASSERT_STREQ(sessionWorkspaces->nativeBackend(), driver().backendName()) << seen();
        observe(*sessionWorkspaces);
    }

    // Both connections must have seen everything: a sentinel on each.
    void settleBoth() {
        settle();
        awaitSentinel(startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "sentinel", "X11Sentinel", "--name",
                                    "X11Sentinel", "--dock"}),
                      "X11Sentinel");
    }

    std::unique_ptr<SessionWorkspaces> sessionWorkspaces;
};
INSTANTIATE_TEST_SUITE_P(Wayland, WaylandWorkspaceTest, ::testing::Values(&createWaylandDriver));

TEST_P(WaylandWorkspaceTest, NamesComeFromTheDesktopEntryOfTheAppIdElseFromTheAppId) {
    const Client named{.name = "org.drowsel.ExactFixture"};
    started.push_back(driver().start(named, closeLog));
    Client plain{.name = "Plain"};
    start(plain);

    const auto app = waitForApp("Exact Fixture");
    EXPECT_EQ(app->bundleIdentifier(), "org.drowsel.ExactFixture");
    EXPECT_TRUE(app->bundleLocation().value_or("").ends_with("/applications/org.drowsel.ExactFixture.desktop"));
    EXPECT_EQ(waitForApp(plain.name)->bundleIdentifier(), plain.name);
}

// The X11 workspace may learn of an XWayland window only after the compositor
// listed and activated it: from then on the application is X11's, to list, to
// close and to announce.
TEST_P(WaylandWorkspaceTest, AnApplicationFoundToBeXWaylandsIsLeftToX11) {
    FakeXWaylandClients xwayland;
    workspace = driver().open(Logger(log, "test", "wayland"), &xwayland);
    ASSERT_TRUE(workspace);
    observe(*workspace);
    Client found{.name = "Found"};
    Client native{.name = "Native"};
    const auto foundPid = start(found);
    const auto nativePid = start(native);
    const auto foundApp = waitForApp(found.name);
    waitForApp(native.name);
    activate(foundPid, found);
    settle();
    deactivated.clear();

    xwayland.classes.insert(found.name);
    xwayland.pids.insert(foundPid);
    EXPECT_TRUE(appsNamed(found.name).empty()) << seen();
    EXPECT_FALSE(foundApp->terminate());
    activate(nativePid, native);
    settle();
    EXPECT_TRUE(deactivated.empty()) << seen();
    EXPECT_TRUE(driver().session().isRunning(foundPid));
}

// XWayland's windows are in both lists; the X11 workspace owns them, so they
// are asked politely or not at all, never through the compositor's close.
TEST_P(WaylandWorkspaceTest, TheSessionPrefersTheNativeListAndLeavesXWaylandToX11) {
    openSession();
    Client native{.name = "Native"};
    start(native);
    const auto xterm = startProgram({"xterm", "-e", "sleep", "1000"});
    const auto rude = startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "rude", "RudeFixture", "--no-delete"});
    waitForApp(native.name);
    const auto xtermApp = waitForApp("XTerm");
    const auto rudeApp = waitForApp("RudeFixture");
    EXPECT_EQ(sessionWorkspaces->runningApplications().size(), 3u) << "each application once; " << seen();

    EXPECT_FALSE(rudeApp->terminate());
    EXPECT_TRUE(waitUntil([&] { return xtermApp->terminate(); }));
    // On a busy machine a request may reach xterm before it handles its
    // events and go unheard; the sweep asks again, and so does this test, once.
    const auto xtermGone = [&] { return !driver().session().isRunning(xterm); };
    EXPECT_TRUE(waitUntil(xtermGone) || (xtermApp->terminate() && waitUntil(xtermGone, std::chrono::seconds(40))))
        << seen();
    settleBoth();
    EXPECT_TRUE(driver().session().isRunning(rude));
}

TEST_P(WaylandWorkspaceTest, TheFrontmostMovesBetweenNativeAndXWaylandWindowsOneDeactivationEach) {
    openSession();
    Client native{.name = "Native"};
    const Client xterm{.name = "XTerm", .isX11 = true};
    const auto nativePid = start(native);
    const auto xtermPid = startProgram({"xterm", "-e", "sleep", "1000"});
    waitForApp(native.name);
    waitForApp(xterm.name);
    activate(xtermPid, xterm);
    activate(nativePid, native);
    settleBoth();
    deactivated.clear();

    activate(xtermPid, xterm);
    activate(nativePid, native);
    settleBoth();
    EXPECT_EQ(deactivated, (std::vector<std::string>{native.name, xterm.name})) << seen();
}

// The whole program: it starts, sees the native clients and, with a limit of
// 0 hours, sweeps the idle one at the first sweep, in the first second of a
// minute: one minute may pass before Drowsel has tracked it on a busy machine.
TEST_P(WaylandWorkspaceTest, DrowselSweepsAnIdleNativeClientButSparesTheActiveOne) {
    if (driver().backendName() == std::string_view("gnome")) {
        GTEST_SKIP() << "Drowsel needs the shell's session bus: tests/gnome/GnomeSweepTest sweeps there";
    }
    Client idle{.name = "Idle"};
    Client busy{.name = "Busy"};
    const auto idlePid = start(idle);
    const auto busyPid = start(busy);
    waitForApp(idle.name);
    waitForApp(busy.name);
    activate(busyPid, busy);
    const auto configHome = driver().session().folder() + "/drowsel-config";
    std::filesystem::create_directories(configHome + "/Drowsel");
    // No bar, so no tray: only this setting lets Drowsel quit anything here.
    std::ofstream(configHome + "/Drowsel/Drowsel.conf") << "[General]\nhoursUntilClose=0\nquitWithoutTray=true\n";
    const auto drowsel = driver().session().start(
        {DROWSEL_BINARY}, {"XDG_CONFIG_HOME=" + configHome, "XDG_STATE_HOME=" + configHome + "/state",
                           "DBUS_SESSION_BUS_ADDRESS=unix:path=" + configHome + "/no-bus"});
    started.push_back(drowsel);

    EXPECT_TRUE(waitUntil([&] { return !driver().session().isRunning(idlePid); }, std::chrono::seconds(150))) << seen();
    EXPECT_EQ(driver().session().exitStatus(idlePid), 0) << "closed by its own choice, not killed";
    EXPECT_TRUE(driver().session().isRunning(busyPid)) << "in use";
    EXPECT_TRUE(driver().session().isRunning(drowsel));
}

} // namespace
} // namespace drowsel::workspacetest
