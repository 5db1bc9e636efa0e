// The sway harness itself: what the Wayland workspace tests rely on.
#include "SwaySession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using drowsel::wltest::SwaySession;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<SwaySession::Toplevel> toplevelsOf(const SwaySession& session, const std::string& appId) {
    auto toplevels = session.toplevels();
    std::erase_if(toplevels, [&](const auto& toplevel) { return toplevel.appId != appId; });
    return toplevels;
}

bool shows(const SwaySession& session, const std::string& appId, std::size_t count = 1) {
    return SwaySession::waitUntil([&] { return toplevelsOf(session, appId).size() == count; });
}

// The processes whose environment points into the session's folder: sway,
// XWayland, the bar, the bus and every client.
int processesOf(const std::string& folder) {
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        if (readFile(entry.path() / "environ").find(folder) != std::string::npos) {
            ++count;
        }
    }
    return count;
}

} // namespace

TEST(SwaySessionTest, NativeClientsAppearAndTakeTheFocusByCriteriaOrClick) {
    SwaySession session;
    const pid_t one = session.startFoot("test.one");
    ASSERT_TRUE(shows(session, "test.one"));
    session.startFoot("test.two");
    ASSERT_TRUE(shows(session, "test.two"));
    EXPECT_EQ(toplevelsOf(session, "test.one").front().pid, one);
    EXPECT_EQ(toplevelsOf(session, "test.one").front().shell, "xdg_shell");

    EXPECT_TRUE(session.focus("test.one"));
    EXPECT_EQ(session.focusedAppId(), "test.one");
    EXPECT_FALSE(session.focus("test.on")) << "criteria match the whole app id, not a part";
    EXPECT_FALSE(session.focus("test.o.e")) << "dots are no wildcards";
    EXPECT_EQ(session.focusedAppId(), "test.one");

    const auto two = toplevelsOf(session, "test.two").front().rect;
    ASSERT_TRUE(session.click(two.x + two.width / 2, two.y + two.height / 2));
    EXPECT_TRUE(SwaySession::waitUntil([&] { return session.focusedAppId() == "test.two"; }));
}

TEST(SwaySessionTest, FixtureRefusingACloseRunsOnWhileThePlainOneQuits) {
    SwaySession session;
    const std::string log = session.runtimeDir() + "/close.log";
    const pid_t refusing =
        session.startFixture({"--app-id", "test.refusing", "--refuse-close", "--tool", "--log", log});
    const pid_t plain = session.startFixture({"--app-id", "test.plain", "--windows", "2", "--log", log});
    ASSERT_TRUE(shows(session, "test.refusing", 2)) << "a normal window and a tool window";
    ASSERT_TRUE(shows(session, "test.plain", 2));

    EXPECT_TRUE(session.requestClose("test.refusing"));
    EXPECT_TRUE(session.requestClose("test.plain"));
    ASSERT_TRUE(SwaySession::waitUntil([&] { return !session.isRunning(plain); }));
    EXPECT_EQ(session.exitStatus(plain), 0);
    EXPECT_TRUE(
        SwaySession::waitUntil([&] { return readFile(log).find("test.refusing close request") != std::string::npos; }));
    EXPECT_NE(readFile(log).find("test.plain close request"), std::string::npos);
    EXPECT_TRUE(session.isRunning(refusing));
    EXPECT_EQ(toplevelsOf(session, "test.refusing").size(), 2u);
}

TEST(SwaySessionTest, X11ClientsAppearThroughXWayland) {
    SwaySession session({.xwayland = true});
    ASSERT_FALSE(session.x11Display().empty());
    const pid_t xterm = session.startXterm();
    ASSERT_TRUE(SwaySession::waitUntil([&] {
        const auto toplevels = session.toplevels();
        return std::any_of(toplevels.begin(), toplevels.end(), [&](const auto& toplevel) {
            return toplevel.shell == "xwayland" && toplevel.x11Class == "XTerm" && toplevel.pid == xterm;
        });
    }));
}

TEST(SwaySessionTest, AClickOnTheTrayIconReachesItsApplication) {
    SwaySession session({.trayBar = true});
    const std::string log = session.runtimeDir() + "/tray.log";
    session.startFixture({"--app-id", "test.tray", "--tray", "--log", log});
    ASSERT_TRUE(SwaySession::waitUntil([&] { return session.trayItemCount() == 1; }));
    ASSERT_TRUE(shows(session, "test.tray"));
    EXPECT_GE(toplevelsOf(session, "test.tray").front().rect.y, SwaySession::barHeight) << "windows tile below the bar";

    // The bar draws the icon a moment after it registers: a click before that meets nothing.
    const auto [x, y] = SwaySession::trayIconCentre(0);
    const auto activated = [&] { return readFile(log).find("test.tray tray activated") != std::string::npos; };
    EXPECT_TRUE(SwaySession::waitUntil(
        [&] { return session.click(x, y) && SwaySession::waitUntil(activated, std::chrono::milliseconds(600)); }));
}

TEST(SwaySessionTest, NothingOfTheSessionOutlivesIt) {
    std::string folder;
    {
        SwaySession session({.xwayland = true, .trayBar = true});
        folder = std::filesystem::path(session.runtimeDir()).parent_path();
        session.startFoot("test.foot");
        session.startXterm();
        ASSERT_TRUE(shows(session, "test.foot"));
        ASSERT_TRUE(SwaySession::waitUntil([&] { return session.toplevels().size() == 2; }));
        // sway, XWayland, the pointer, the bus, waybar, foot, xterm and their shells at least.
        EXPECT_GE(processesOf(folder), 7);
    }
    EXPECT_EQ(processesOf(folder), 0);
    EXPECT_FALSE(std::filesystem::exists(folder));
}
