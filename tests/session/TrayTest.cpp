// SPDX-License-Identifier: GPL-3.0-or-later
#include "DrowselSession.h"

#include <gtest/gtest.h>

namespace drowsel::xtest {

// Drowsel's icon in tint2, clicked as the user does.
TEST(TrayTest, ClickOnTheIconOpensThePanelNextToItAndASecondClickClosesIt) {
    DrowselSession session;
    session.startTray();
    session.startClient("First");
    const pid_t drowsel = session.startDrowsel();
    ASSERT_TRUE(DrowselSession::waitFor([&] { return session.windowsOf(drowsel).size() == 1; })) << session.log();
    const std::string iconWindow = session.windowsOf(drowsel).front();
    const auto icon = session.geometryOf(iconWindow);
    const int iconX = icon[0] + icon[2] / 2;
    const int iconY = icon[1] + icon[3] / 2;

    session.click(iconX, iconY);
    std::string panelWindow;
    ASSERT_TRUE(DrowselSession::waitFor([&] {
        for (const auto& window : session.windowsOf(drowsel)) {
            panelWindow = window != iconWindow ? window : panelWindow;
        }
        return !panelWindow.empty();
    }));
    const auto panel = session.geometryOf(panelWindow);
    const auto where = "panel at " + std::to_string(panel[0]) + "," + std::to_string(panel[1]) + " size " +
                       std::to_string(panel[2]) + "x" + std::to_string(panel[3]) + "; icon at " +
                       std::to_string(icon[0]) + "," + std::to_string(icon[1]);
    EXPECT_TRUE(panel[0] <= iconX && iconX < panel[0] + panel[2]) << where;
    EXPECT_TRUE(std::abs(panel[1] + panel[3] - icon[1]) <= 8 || std::abs(panel[1] - icon[1] - icon[3]) <= 8) << where;

    // While it is open a sweep runs every second: a client started now gets its row.
    session.startClient("Second");
    EXPECT_TRUE(DrowselSession::waitFor([&] { return session.geometryOf(panelWindow)[3] > panel[3]; })) << where;

    session.click(iconX, iconY);
    EXPECT_TRUE(DrowselSession::waitFor([&] { return session.windowsOf(drowsel).size() == 1; }));
    EXPECT_TRUE(session.x().isRunning(drowsel)) << session.log();
}

} // namespace drowsel::xtest
