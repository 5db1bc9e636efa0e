// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program under GNOME Shell with a limit of 0 hours: it sweeps at
// the first sweep, in the first second of a minute, so one minute may pass
// before Drowsel has tracked the windows on a busy machine.
#include "workspace/GnomeDriver.h"

#include <gtest/gtest.h>

namespace drowsel::gnometest {
namespace {

TEST(GnomeSweepTest, IdleFootWindowsAreClosedTheFocusedOneAndAnXClientWithoutPoliteCloseAreNot) {
    GnomeDriver driver(GnomeDriver::sharedSession());
    auto& session = driver.session();
    const std::vector<pid_t> idle{session.start({"foot"}), session.start({"foot"})};
    const auto rude = session.start({DROWSEL_FIXTURE_CLIENT, "--class", "rude", "RudeFixture", "--no-delete"});
    const auto focused = session.start({"foot"});
    for (const auto pid : {idle[0], idle[1], rude, focused}) {
        const auto shown = [&] { return driver.forWindowsOf(pid, "", "w.showing_on_its_workspace()") == "1"; };
        ASSERT_TRUE(GnomeSession::waitUntil(shown, std::chrono::seconds(20))) << pid << " not shown";
    }
    ASSERT_TRUE(driver.activate(focused, {.name = "foot"})) << "foot's window is titled foot";
    const auto configHome = session.folder() + "/drowsel-config";
    std::filesystem::create_directories(configHome + "/Drowsel");
    // No tray in this shell: only this setting lets Drowsel quit anything here.
    std::ofstream(configHome + "/Drowsel/Drowsel.conf") << "[General]\nhoursUntilClose=0\nquitWithoutTray=true\n";
    const auto drowsel =
        session.start({DROWSEL_BINARY}, {"XDG_CONFIG_HOME=" + configHome, "XDG_STATE_HOME=" + configHome + "/state"});

    const auto idleGone = [&] { return std::ranges::none_of(idle, [&](pid_t pid) { return session.isRunning(pid); }); };
    EXPECT_TRUE(GnomeSession::waitUntil(idleGone, std::chrono::seconds(150))) << session.logText();
    EXPECT_TRUE(session.isRunning(focused)) << "in use";
    EXPECT_TRUE(session.isRunning(rude)) << "no polite close, so never closed";
    EXPECT_TRUE(session.isRunning(drowsel));
}

} // namespace
} // namespace drowsel::gnometest
