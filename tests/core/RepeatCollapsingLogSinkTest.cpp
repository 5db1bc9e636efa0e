// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RepeatCollapsingLogSink.h"
#include "fakes/RecordingLogSink.h"
#include "fakes/SettableClock.h"

#include <gmock/gmock.h>

namespace drowsel {
namespace {

using ::testing::ElementsAre;

// A step: seconds to wait, then a line to write ("" for none).
struct Step {
    double wait;
    const char* message;
};

std::vector<std::string> written(std::initializer_list<Step> steps) {
    fakes::RecordingLogSink recorded;
    fakes::SettableClock clock;
    {
        RepeatCollapsingLogSink sink(recorded, clock);
        for (const auto& [wait, message] : steps) {
            clock.advance(wait);
            sink.write(LogSink::Level::error, "test", "x11", message);
        }
    }
    return recorded.messages();
}

TEST(RepeatCollapsingLogSinkTest, CountsRepeatsInsteadOfWritingThem) {
    EXPECT_THAT(written({{0, "a"}, {0, "b"}, {0, "a"}}), ElementsAre("a", "b", "a"));
    EXPECT_THAT(written({{0, "a"}, {1, "a"}, {1, "a"}, {0, "b"}}), ElementsAre("a", "... repeated 2 times", "b"));
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
