// SPDX-License-Identifier: GPL-3.0-or-later
#include "DrowselSession.h"

#include <gtest/gtest.h>

namespace drowsel::xtest {

// Drowsel's icon in tint2, clicked as the user does.
TEST(TrayTest, ClickOnTheIconOpensThePanelNextToItAndASecondClickClosesIt) {
    DrowselSession session;
    session.startTray();
    const pid_t drowsel = session.startDrowsel();
    const auto shown = [&] { return session.windows("--pid", std::to_string(drowsel)); };
    ASSERT_TRUE(DrowselSession::waitFor([&] { return shown().size() == 1; })) << session.log();
    const std::string iconWindow = shown().front();
    const auto icon = session.geometryOf(iconWindow);
    const int x = icon[0] + icon[2] / 2;

    session.click(x, icon[1] + icon[3] / 2);
    ASSERT_TRUE(DrowselSession::waitFor([&] { return shown().size() == 2; })) << session.log();
    const auto windows = shown();
    const auto panel = session.geometryOf(windows[0] == iconWindow ? windows[1] : windows[0]);
    // Across the icon's middle, and right above or below it.
    EXPECT_TRUE(panel[0] <= x && x < panel[0] + panel[2] &&
                (std::abs(panel[1] + panel[3] - icon[1]) <= 8 || std::abs(panel[1] - icon[1] - icon[3]) <= 8))
        << "panel " << ::testing::PrintToString(panel) << ", icon " << ::testing::PrintToString(icon);

    session.click(x, icon[1] + icon[3] / 2);
    EXPECT_TRUE(DrowselSession::waitFor([&] { return shown().size() == 1; })) << session.log();
}

} // namespace drowsel::xtest
