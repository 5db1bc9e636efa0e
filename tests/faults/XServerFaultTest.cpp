// SPDX-License-Identifier: GPL-3.0-or-later
#include "DrowselSession.h"

#include <gtest/gtest.h>

#include <csignal>

namespace drowsel::xtest {

// The session ends under Drowsel: it ends too, at once rather than at its
// next sweep, says why and leaves the settings as they were.
TEST(XServerFaultTest, KilledServerEndsDrowselWithStatusOneALogLineAndIntactSettings) {
    DrowselSession session("hoursUntilClose=5\ncom.Drowsel.toggleStatus=@ByteArray({\\\"Idle\\\":false})\n");
    const std::string settings = session.settingsFile();
    session.startTray();
    // Under the sanitizers, what Qt leaves of its broken connection is told
    // apart by full stacks.
    const pid_t drowsel = session.startDrowsel(
        R"(export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0" LSAN_OPTIONS=suppressions=)" +
        std::string(DROWSEL_DEAD_X_SERVER_SUPPRESSIONS));
    ASSERT_TRUE(DrowselSession::waitFor([&] { return !session.windows("--pid", std::to_string(drowsel)).empty(); }))
        << session.log();

    kill(session.x().serverPid(), SIGKILL);
    ASSERT_TRUE(DrowselSession::waitFor([&] { return !session.x().isRunning(drowsel); }, std::chrono::seconds(10)));
    EXPECT_EQ(session.x().exitStatus(drowsel), 1) << session.log();
    // Drowsel's own line, or Qt's when its connection noticed first.
    EXPECT_NE(session.log().find("[com.drowsel.Drowsel/main] error: "), std::string::npos) << session.log();
    EXPECT_EQ(session.settingsFile(), settings);
}

} // namespace drowsel::xtest
