#include "DrowselSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <thread>

namespace drowsel::xtest {

namespace {

using namespace std::chrono_literals;

bool hasWindow(DrowselSession& session, pid_t pid) { return !session.windowsOf(pid).empty(); }
bool hasWindow(DrowselSession& session, const std::string& windowClass) {
    return !session.windowsOfClass(windowClass).empty();
}

} // namespace

// One sweep of the real program on real clients. Waits for the first sweep,
// which comes in the first second of the next minute.
TEST(DrowselSessionTest, SweepAsksIdleRegularClientsToQuitAndSparesTheRest) {
    DrowselSession session(DROWSEL_BINARY);
    session.writeSettings(R"(hoursUntilClose=0
com.Drowsel.toggleStatus=@ByteArray({\"XCalc\":false})
)");
    auto& x = session.x();
    const pid_t eyes = x.start({"xeyes"});
    const pid_t clock = x.start({"xclock"});
    const pid_t message = x.start({"xmessage", "Idle for too long"});
    const pid_t fixture = x.start({DROWSEL_FIXTURE_CLIENT, "--class", "quitter", "Quitter"});
    const pid_t switchedOff = x.start({"xcalc"});
    const pid_t frontmost = x.start({"xterm"});
    const pid_t dock = x.start({DROWSEL_FIXTURE_CLIENT, "--dock", "--class", "dock", "Dock"});
    const pid_t deaf = x.start({DROWSEL_FIXTURE_CLIENT, "--no-delete", "--class", "deaf", "Deaf"});
    // Several of these set no _NET_WM_PID: they are found by their window class.
    for (const char* windowClass : {"XEyes", "XClock", "Xmessage", "Quitter", "XCalc", "XTerm", "Dock", "Deaf"}) {
        ASSERT_TRUE(XSession::waitUntil([&] { return hasWindow(session, windowClass); })) << windowClass;
    }
    x.run({"xdotool", "windowactivate", "--sync", session.windowsOfClass("XTerm").front()});

    const pid_t drowsel = session.startDrowsel();
    const bool quit = XSession::waitUntil(
        [&] { return !x.isRunning(eyes) && !x.isRunning(clock) && !x.isRunning(message) && !x.isRunning(fixture); },
        65s, [] { std::this_thread::sleep_for(200ms); });

    EXPECT_TRUE(quit) << "xeyes " << x.isRunning(eyes) << ", xclock " << x.isRunning(clock) << ", xmessage "
                      << x.isRunning(message) << ", fixture " << x.isRunning(fixture);
    EXPECT_EQ(x.exitStatus(fixture), 0) << "closed by its own choice, not killed";
    EXPECT_TRUE(x.isRunning(switchedOff)) << "its switch is off";
    EXPECT_TRUE(x.isRunning(frontmost)) << "in use";
    EXPECT_TRUE(x.isRunning(dock)) << "not a regular application";
    EXPECT_TRUE(x.isRunning(deaf)) << "cannot be asked, so it is left alone";
    EXPECT_TRUE(x.isRunning(drowsel));
    EXPECT_TRUE(session.settingsFile().contains(R"(@ByteArray({\"XCalc\":false}))")) << "switches untouched";
}

TEST(DrowselSessionTest, TrayIconOpensThePanelNextToItAndQuitEndsDrowsel) {
    DrowselSession session(DROWSEL_BINARY);
    auto& x = session.x();
    x.start({"tint2"});
    ASSERT_TRUE(XSession::waitUntil([&] { return hasWindow(session, "Tint2"); }));
    const pid_t calculator = x.start({"xcalc"});
    ASSERT_TRUE(XSession::waitUntil([&] { return hasWindow(session, "XCalc"); }));

    const auto started = std::chrono::steady_clock::now();
    const pid_t drowsel = session.startDrowsel();
    ASSERT_TRUE(XSession::waitUntil([&] { return hasWindow(session, drowsel); }, 10s));
    std::cout
        << "tray icon after "
        << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()
        << " ms\n";
    const auto icon = session.geometryOf(session.windowsOf(drowsel).front());
    EXPECT_LE(icon[2], 64) << "a tray icon, not a window";

    session.click(icon[0] + icon[2] / 2, icon[1] + icon[3] / 2);
    std::string popup;
    ASSERT_TRUE(XSession::waitUntil([&] {
        for (const auto& window : session.windowsOf(drowsel)) {
            if (session.geometryOf(window)[2] == 310) {
                popup = window;
            }
        }
        return !popup.empty();
    }));
    auto panel = session.geometryOf(popup);
    const int iconCentre = icon[0] + icon[2] / 2;
    EXPECT_TRUE(panel[0] <= iconCentre && iconCentre < panel[0] + panel[2]) << "next to the icon";
    EXPECT_TRUE(std::abs(panel[1] + panel[3] - icon[1]) <= 8 || std::abs(panel[1] - (icon[1] + icon[3])) <= 8)
        << "panel at y " << panel[1] << " height " << panel[3] << ", icon at y " << icon[1] << " height " << icon[3];

    // While the panel is open the list follows every second: a new client's row arrives.
    const int heightWithOneApp = panel[3];
    const pid_t terminal = x.start({"xterm"});
    EXPECT_TRUE(XSession::waitUntil([&] { return session.geometryOf(popup)[3] > heightWithOneApp; }, 10s));
    panel = session.geometryOf(popup);
    session.screenshot("tray-panel-open");

    session.click(5, 5);
    EXPECT_TRUE(XSession::waitUntil([&] { return session.windowsOf(drowsel).size() == 1; }))
        << "closed by a click outside";

    session.click(iconCentre, icon[1] + icon[3] / 2);
    ASSERT_TRUE(XSession::waitUntil([&] { return session.windowsOf(drowsel).size() == 2; }));
    // The last row of the panel, far right of its text.
    session.click(panel[0] + panel[2] - 20, panel[1] + panel[3] - 5 - 8);
    ASSERT_TRUE(XSession::waitUntil([&] { return !x.isRunning(drowsel); }));
    EXPECT_EQ(x.exitStatus(drowsel), 0);
    EXPECT_TRUE(x.isRunning(terminal) && x.isRunning(calculator));
}

} // namespace drowsel::xtest
