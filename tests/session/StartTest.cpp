// SPDX-License-Identifier: GPL-3.0-or-later
// Starting Drowsel: its command line without any display, one Drowsel a
// display (over a session bus, else a lock file), and the applications
// already running stamped at start.
#include "DrowselSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace drowsel::xtest {

namespace {

struct CommandLineCase {
    std::string environment;
    std::string arguments;
    int status;
    std::string output;
};

} // namespace

// As from a terminal with no desktop, or one whose display has gone: never
// Qt's abort (status 134).
TEST(StartTest, CommandLineAndNoDisplayEndWithTheirStatusAndOneLine) {
    const std::string noDisplay = "-u DISPLAY -u WAYLAND_DISPLAY";
    const CommandLineCase cases[] = {
        {noDisplay, "--version", 0, "drowsel " DROWSEL_VERSION "\n"},
        {noDisplay, "--bogus", 1, "drowsel: Unknown option 'bogus'.\n"},
        {"XDG_RUNTIME_DIR=/tmp DISPLAY=:65000 WAYLAND_DISPLAY=drowsel-nowhere", "", 1,
         "drowsel: no display answers: DISPLAY and WAYLAND_DISPLAY name none that can be reached\n"},
    };
    XSession session;
    for (const auto& [environment, arguments, status, output] : cases) {
        const auto run =
            session.run({"sh", "-c", "exec env " + environment + " " DROWSEL_BINARY " " + arguments + " 2>&1"});
        EXPECT_EQ(run.exitCode, status) << environment << " " << arguments << ": " << run.output;
        EXPECT_EQ(run.output, output) << environment << " " << arguments;
    }
}

// On a session bus with the accessibility bus on, as desktops run it. With no
// limit, an application stamped at start is asked at the first sweep; one
// first stamped by that sweep would wait for the next.
TEST(StartTest, AppsRunningAtStartAreStampedAndASecondStartOpensTheFirstOnesPanel) {
    DrowselSession session("hoursUntilClose=0\nquitWithoutTray=true\n");
    const std::string bus = session.x().folder() + "/bus";
    session.x().start({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + bus});
    ASSERT_TRUE(DrowselSession::waitFor([&] { return std::filesystem::exists(bus); }));
    const std::string onTheBus =
        "export DBUS_SESSION_BUS_ADDRESS=unix:path=" + bus + " QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1";
    session.startTray();
    session.startClient("Idle");
    session.startClient("Active");
    session.x().run({"xdotool", "search", "--onlyvisible", "--class", "^Active$", "windowactivate", "--sync"});
    const pid_t first = session.startDrowsel(onTheBus);

    ASSERT_TRUE(DrowselSession::waitFor([&] { return session.countInLog("Idle delete request") > 0; },
                                        std::chrono::seconds(150)))
        << session.log();
    EXPECT_EQ(session.countInLog("checkOpenApps"), 1U) << session.log();

    const pid_t second = session.startDrowsel(onTheBus);
    ASSERT_TRUE(DrowselSession::waitFor([&] { return !session.x().isRunning(second); })) << session.log();
    EXPECT_EQ(session.x().exitStatus(second), 0) << session.log();
    EXPECT_TRUE(DrowselSession::waitFor([&] { return session.windows("--pid", std::to_string(first)).size() == 2; }))
        << "the first one's panel did not open: " << session.log();
}

// The lock's owner killed outright leaves no stale lock behind.
TEST(StartTest, WithoutABusALockKeepsOneDrowselAndAKilledOneBlocksNone) {
    DrowselSession session;
    const pid_t first = session.startDrowsel();
    ASSERT_TRUE(DrowselSession::waitFor([&] { return session.countInLog("Init") == 1; })) << session.log();
    const pid_t second = session.startDrowsel();
    ASSERT_TRUE(DrowselSession::waitFor([&] { return !session.x().isRunning(second); })) << session.log();
    EXPECT_EQ(session.x().exitStatus(second), 0) << session.log();

    ::kill(first, SIGKILL);
    ASSERT_TRUE(DrowselSession::waitFor([&] { return !session.x().isRunning(first); }));
    const pid_t third = session.startDrowsel();
    EXPECT_TRUE(DrowselSession::waitFor([&] { return session.countInLog("Init") == 2; })) << session.log();
    EXPECT_TRUE(session.x().isRunning(third)) << session.log();
}

} // namespace drowsel::xtest
