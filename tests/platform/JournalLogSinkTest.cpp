// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/log/JournalLogSink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace drowsel {

// Where there is no journal the lines go to stderr, where the test can read them.
TEST(JournalLogSinkTest, WritesDebugLinesOnlyWhenAskedFor) {
    if (std::filesystem::exists("/run/systemd/journal/socket")) {
        GTEST_SKIP() << "a journal is running; lines go there";
    }
    const auto written = [](const char* debug) {
        setenv("DROWSEL_DEBUG", debug, 1);
        JournalLogSink sink;
        ::testing::internal::CaptureStderr();
        sink.write(LogSink::Level::debug, "com.drowsel.Drowsel", "RunningAppsManager", "didDeactivate: Ärger");
        sink.write(LogSink::Level::error, "com.drowsel.Drowsel", "settings", "Failed to save");
        return ::testing::internal::GetCapturedStderr();
    };

    const std::string error = "drowsel[com.drowsel.Drowsel/settings] error: Failed to save\n";
    EXPECT_EQ(written("0"), error);
    EXPECT_EQ(written("1"), "drowsel[com.drowsel.Drowsel/RunningAppsManager] debug: didDeactivate: Ärger\n" + error);
}

} // namespace drowsel
