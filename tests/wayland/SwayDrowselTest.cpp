// The whole program in a sway session: its tray icon in waybar, its panel,
// and a real sweep over native and XWayland clients.
#include "AccessibilityReader.h"
#include "SwaySession.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace drowsel::wltest {
namespace {

using namespace std::chrono_literals;

class SwayDrowselTest : public ::testing::Test {
protected:
    explicit SwayDrowselTest(bool xwayland = true) : session({.xwayland = xwayland, .trayBar = true}) {}

    void writeSettings(const std::string& generalSection) {
        std::filesystem::create_directories(configHome.filePath("Drowsel").toStdString());
        std::ofstream(configHome.filePath("Drowsel/Drowsel.conf").toStdString()) << "[General]\n" << generalSection;
    }

    pid_t startDrowsel() {
        return session.start({DROWSEL_BINARY}, {{"XDG_CONFIG_HOME", configHome.path().toStdString()},
                                                {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"},
                                                {"LC_ALL", "C.UTF-8"}});
    }

    void waitForToplevels(std::size_t count) {
        ASSERT_TRUE(SwaySession::waitUntil([&] { return session.toplevels().size() == count; }, 10s));
    }

    SwaySession session;
    QTemporaryDir configHome;
};

std::vector<std::string> rowNames(const std::vector<xtest::AccessibilityReader::Window>& windows) {
    std::vector<std::string> names;
    for (const auto& window : windows) {
        for (const auto& row : window.rows) {
            names.push_back(row.name);
        }
    }
    std::ranges::sort(names);
    return names;
}

// Reads Drowsel's windows through the accessibility bus, which must be on the
// session bus before Drowsel starts.
std::unique_ptr<xtest::AccessibilityReader> startAccessibility(SwaySession& session) {
    setenv("DBUS_SESSION_BUS_ADDRESS", session.busAddress().c_str(), 1);
    session.start({"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"});
    const bool isUp = SwaySession::waitUntil([&] {
        return session
                   .run({"dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                         "org.a11y.Bus.GetAddress"})
                   .exitCode == 0;
    });
    return isUp ? std::make_unique<xtest::AccessibilityReader>(DROWSEL_ACCESSIBILITY_READER) : nullptr;
}

// Clicks the tray icon until the panel shows that many rows; their names.
std::vector<std::string> panelRowsAfterClicks(SwaySession& session, xtest::AccessibilityReader& reader, pid_t drowsel,
                                              std::size_t count, const std::string& screenshot) {
    const auto [x, y] = SwaySession::trayIconCentre(0);
    std::vector<std::string> names;
    SwaySession::waitUntil(
        [&] {
            if (names.empty()) {
                session.click(x, y);
            }
            names = rowNames(reader.windowsOf(drowsel));
            return names.size() == count;
        },
        15s, [] { std::this_thread::sleep_for(300ms); });
    std::filesystem::create_directories(DROWSEL_SCREENSHOT_DIR);
    session.screenshot(std::string(DROWSEL_SCREENSHOT_DIR) + "/" + screenshot);
    return names;
}

TEST_F(SwayDrowselTest, TrayIconInWaybarOpensThePanelListingTheApplications) {
    const auto reader = startAccessibility(session);
    ASSERT_TRUE(reader);
    session.startFoot("org.drowsel.alpha");
    session.startFoot("org.drowsel.beta");
    session.startXterm();
    waitForToplevels(3);
    writeSettings("hoursUntilClose=24\n");
    const pid_t drowsel = startDrowsel();
    ASSERT_TRUE(SwaySession::waitUntil([&] { return session.trayItemCount() == 1; }, 10s)) << "no tray icon";

    const auto names = panelRowsAfterClicks(session, *reader, drowsel, 3, "sway-panel.png");

    EXPECT_EQ(names, (std::vector<std::string>{"XTerm", "org.drowsel.alpha", "org.drowsel.beta"}));

    // The compositor placed it; a click on another window closes it, as a popup would close.
    session.click(100, SwaySession::outputHeight - 100);
    EXPECT_TRUE(SwaySession::waitUntil([&] { return rowNames(reader->windowsOf(drowsel)).empty(); }, 5s,
                                       [] { std::this_thread::sleep_for(100ms); }));
    EXPECT_TRUE(session.isRunning(drowsel));
}

class SwayWithoutXWaylandTest : public SwayDrowselTest {
protected:
    SwayWithoutXWaylandTest() : SwayDrowselTest(false) {}
};

// Without XWayland Drowsel's own windows are native Wayland ones.
TEST_F(SwayWithoutXWaylandTest, ThePanelOpensAsANativeWindow) {
    const auto reader = startAccessibility(session);
    ASSERT_TRUE(reader);
    session.startFoot("org.drowsel.alpha");
    waitForToplevels(1);
    writeSettings("hoursUntilClose=24\n");
    const pid_t drowsel = startDrowsel();
    ASSERT_TRUE(SwaySession::waitUntil([&] { return session.trayItemCount() == 1; }, 10s)) << "no tray icon";

    EXPECT_EQ(panelRowsAfterClicks(session, *reader, drowsel, 1, "sway-native-panel.png"),
              std::vector<std::string>{"org.drowsel.alpha"});
    EXPECT_TRUE(SwaySession::waitUntil([&] {
        return std::ranges::any_of(session.toplevels(), [](const SwaySession::Toplevel& toplevel) {
            return toplevel.appId == "com.drowsel.Drowsel" && toplevel.shell == "xdg_shell";
        });
    })) << "the panel is a native window";
    EXPECT_TRUE(session.isRunning(drowsel));
}

// Waits for the first sweep, in the first second of the next minute.
TEST_F(SwayDrowselTest, SweepClosesIdleApplicationsButTheFocusedOne) {
    const pid_t idleFoot = session.startFoot("org.drowsel.idle");
    const pid_t busyFoot = session.startFoot("org.drowsel.busy");
    const pid_t xterm = session.startXterm();
    const pid_t deaf = session.start({DROWSEL_X11_FIXTURE_CLIENT, "--class", "deaf", "Deaf", "--no-delete"});
    waitForToplevels(4);
    ASSERT_TRUE(session.focus("org.drowsel.busy"));
    writeSettings("hoursUntilClose=0\n");
    const pid_t drowsel = startDrowsel();

    const bool quit = SwaySession::waitUntil([&] { return !session.isRunning(idleFoot) && !session.isRunning(xterm); },
                                             65s, [] { std::this_thread::sleep_for(200ms); });

    EXPECT_TRUE(quit) << "idle foot " << session.isRunning(idleFoot) << ", xterm " << session.isRunning(xterm);
    EXPECT_TRUE(session.isRunning(busyFoot)) << "in use";
    EXPECT_TRUE(session.isRunning(deaf)) << "cannot be asked politely, so it is left alone";
    EXPECT_TRUE(session.isRunning(drowsel));
}

} // namespace
} // namespace drowsel::wltest
