// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RepeatCollapsingLogSink.h"
#include "fakes/RecordingLogSink.h"
#include "fakes/SettableClock.h"

#include <gmock/gmock.h>

namespace drowsel {
namespace {

using ::testing::ElementsAre;

// A step: seconds to wait, then a line to write; lines starting with "debug" are debug lines.
struct Step {
    double wait;
    const char* message;
};

// Drops debug lines, as the journal does unless asked for them.
struct ErrorsOnly : fakes::RecordingLogSink {
    bool writes(Level level) const override { return level != Level::debug; }
};

std::vector<std::string> written(std::initializer_list<Step> steps) {
    ErrorsOnly recorded;
    fakes::SettableClock clock;
    {
        RepeatCollapsingLogSink sink(recorded, clock);
        for (const auto& [wait, message] : steps) {
            clock.advance(wait);
            const bool isDebug = std::string_view(message).starts_with("debug");
            sink.write(isDebug ? LogSink::Level::debug : LogSink::Level::error, "test", "x11", message);
        }
    }
    return recorded.messages();
}

TEST(RepeatCollapsingLogSinkTest, CountsRepeatsInsteadOfWritingThem) {
    EXPECT_THAT(written({{0, "a"}, {0, "b"}, {0, "a"}}), ElementsAre("a", "b", "a"));
    EXPECT_THAT(written({{0, "a"}, {1, "a"}, {1, "a"}, {0, "b"}}), ElementsAre("a", "... repeated 2 times", "b"));
    // A line that is not written does not break the run.
    EXPECT_THAT(written({{0, "a"}, {0, "debug"}, {0, "a"}, {0, "b"}}), ElementsAre("a", "... repeated 1 times", "b"));
    // Closing the log tells what was still counted.
    EXPECT_THAT(written({{0, "a"}, {0, "a"}}), ElementsAre("a", "... repeated 1 times"));
}

TEST(RepeatCollapsingLogSinkTest, ReportsAFloodOnceAMinuteWhileItLasts) {
    EXPECT_THAT(written({{0, "a"}, {30, "a"}, {29, "a"}, {1, "a"}, {1, "a"}, {59, "a"}}),
                ElementsAre("a", "... repeated 3 times", "... repeated 2 times"));
    // A clock set back does not hold the count back.
    EXPECT_THAT(written({{0, "a"}, {-3600, "a"}, {1, "b"}}), ElementsAre("a", "... repeated 1 times", "b"));
}

} // namespace
} // namespace drowsel
