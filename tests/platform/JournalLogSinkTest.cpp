#include "platform/log/JournalLogSink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace drowsel {

// Where there is no journal the lines go to stderr, where the test can read them.
class JournalLogSinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::filesystem::exists("/run/systemd/journal/socket")) {
            GTEST_SKIP() << "a journal is running; lines go there";
        }
    }

    std::string written(const JournalLogSink& prototype, LogSink::Level level) {
        auto sink = prototype;
        ::testing::internal::CaptureStderr();
        sink.write(level, "com.drowsel.Drowsel", "RunningAppsManager", "didDeactivate: Ärger");
        return ::testing::internal::GetCapturedStderr();
    }
};

TEST_F(JournalLogSinkTest, DebugLinesOnlyWhenAskedFor) {
    unsetenv("DROWSEL_DEBUG");
    const JournalLogSink quiet;
    setenv("DROWSEL_DEBUG", "1", 1);
    const JournalLogSink talkative;
    unsetenv("DROWSEL_DEBUG");

    EXPECT_EQ(written(quiet, LogSink::Level::debug), "");
    EXPECT_EQ(written(talkative, LogSink::Level::debug),
              "drowsel[com.drowsel.Drowsel/RunningAppsManager] debug: didDeactivate: Ärger\n");
    EXPECT_EQ(written(quiet, LogSink::Level::error),
              "drowsel[com.drowsel.Drowsel/RunningAppsManager] error: didDeactivate: Ärger\n");
}

} // namespace drowsel
