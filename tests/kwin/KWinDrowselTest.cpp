// The whole program in a KDE Plasma session: a real sweep over native
// Wayland clients and XWayland's, with the window list KWin grants it.
#include "KWinSession.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace drowsel::wltest {
namespace {

using namespace std::chrono_literals;

// Waits for the first sweep, in the first second of the next minute.
TEST(KWinDrowselTest, SweepClosesIdleApplicationsButTheActiveOne) {
    // As installed: the program's entry asks for KWin's window list.
    KWinSession session({.windowManagers = {DROWSEL_BINARY}});
    const std::string configHome = session.runtimeDir() + "-config";
    std::filesystem::create_directories(configHome + "/Drowsel");
    std::ofstream(configHome + "/Drowsel/Drowsel.conf") << "[General]\nhoursUntilClose=0\n";
    const pid_t idle = session.startFixture({"--app-id", "org.drowsel.Idle"});
    const pid_t stubborn = session.startFixture({"--app-id", "org.drowsel.Stubborn", "--refuse-close"});
    const pid_t xterm = session.start({"xterm", "-e", "sleep", "1000"});
    const pid_t deaf = session.start({DROWSEL_X11_FIXTURE_CLIENT, "--class", "deaf", "Deaf", "--no-delete"});
    const pid_t busy = session.startFixture({"--app-id", "org.drowsel.Busy"});
    // KWin activates each new window as it shows: the last to show must be in use.
    ASSERT_TRUE(
        KWinSession::waitUntil([&] { return session.evaluate("return workspace.clientList().length;") == "5"; }, 10s));
    ASSERT_TRUE(KWinSession::waitUntil([&] { return session.activate(busy); }, 10s));

    const pid_t drowsel = session.start({DROWSEL_BINARY}, {"XDG_CONFIG_HOME=" + configHome});
    const bool quit = KWinSession::waitUntil([&] { return !session.isRunning(idle) && !session.isRunning(xterm); }, 65s,
                                             [] { std::this_thread::sleep_for(200ms); });

    EXPECT_TRUE(quit) << "idle " << session.isRunning(idle) << ", xterm " << session.isRunning(xterm);
    EXPECT_EQ(session.exitStatus(idle), 0) << "closed by its own choice, not killed";
    EXPECT_TRUE(session.isRunning(busy)) << "in use";
    EXPECT_TRUE(session.isRunning(stubborn)) << "refused, and is never forced";
    EXPECT_TRUE(session.isRunning(deaf)) << "cannot be asked politely, so it is left alone";
    EXPECT_TRUE(session.isRunning(drowsel));
    std::filesystem::remove_all(configHome);
}

} // namespace
} // namespace drowsel::wltest
