// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ManagerTest.h"

#include <cmath>

namespace drowsel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

constexpr double hour = 3600;

// One application, a limit of an hour, started at the test's time zero.
class WarningTest : public ManagerTest {
protected:
    void SetUp() override {
        store(DefaultsKeys::hoursUntilClose, std::int64_t{1});
        startSettled();
    }
    void sweepAt(double seconds) {
        env.clock.time = start + seconds;
        sweep();
    }
    std::vector<std::pair<int, int>> warnedAndAsked() const { return {{env.warnings.sent, quitRequests(app)}}; }

    ApplicationHandle app = launch({.name = "XCalc"});
    const double start = env.clock.now();
};

TEST_F(WarningTest, WarnsOnceUnderFiveMinutesBeforeThenAsksLogsAndRecords) {
    sweepAt(hour - 301);
    EXPECT_THAT(env.warnings.shown, IsEmpty());
    sweepAt(hour - 299);
    sweepAt(hour - 200);
    ASSERT_EQ(env.warnings.shown.size(), 1u);
    EXPECT_EQ(env.warnings.shown.at(app).minutes, 5);
    EXPECT_EQ(env.warnings.sent, 1);

    sweepAt(hour + 121);

    EXPECT_EQ(quitRequests(app), 1);
    EXPECT_THAT(env.warnings.shown, IsEmpty()) << "withdrawn once asked";
    EXPECT_THAT(env.record.added, ElementsAre(Pair(app, start + hour + 121)));
    EXPECT_THAT(env.log.messages(), ::testing::Contains("Asked XCalc to quit after 1 h 2 min idle"));
}

TEST_F(WarningTest, KeepOpenRestartsTheClockQuitNowAsksAtOnceAndUseWithdraws) {
    sweepAt(hour - 60);
    env.warnings.answer(app, QuitWarnings::Answer::keepOpen);
    sweepAt(hour + 60);
    EXPECT_EQ(quitRequests(app), 0);
    EXPECT_EQ(idleSeconds(app), 120);

    sweepAt(2 * hour - 120);
    ASSERT_TRUE(env.warnings.shown.contains(app)) << "warned again in the new idle period";
    env.workspace.activate(app);
    sweepAt(2 * hour - 110);
    EXPECT_THAT(env.warnings.shown, IsEmpty()) << "used while warned";
    env.workspace.activate(std::nullopt);

    sweepAt(3 * hour - 200);
    env.warnings.answer(app, QuitWarnings::Answer::quitNow);
    EXPECT_EQ(quitRequests(app), 1);
    EXPECT_EQ(env.record.added.size(), 1u);
}

TEST_F(WarningTest, WithoutWarningsOrPastTheLimitWhenFirstSeenTheAskComesAtOnce) {
    store(DefaultsKeys::warnBeforeQuitting, false);
    sweepAt(hour - 60);
    sweepAt(hour + 1);
    EXPECT_EQ(warnedAndAsked(), (std::vector<std::pair<int, int>>{{0, 1}}));

    store(DefaultsKeys::warnBeforeQuitting, true);
    store(DefaultsKeys::hoursUntilClose, std::int64_t{0});
    const auto late = launch({.name = "Late"});
    const auto used = launch({.name = "Used"});
    env.workspace.activate(used);
    sweepAt(hour + 2);
    sweepAt(hour + 3);
    EXPECT_EQ(quitRequests(late), 1);
    EXPECT_EQ(quitRequests(used), 0);
    EXPECT_EQ(env.warnings.sent, 0) << "the application in use has no time left, yet is never warned";
}

// A pause, ended by its time or by the user: nothing is asked meanwhile, and
// afterwards the warning comes first and the ask no sooner than five minutes
// later.
class PauseTest : public WarningTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PauseTest, AfterItTheWarningComesFirstAndTheAskFiveMinutesLater) {
    const bool endedByTheUser = GetParam();
    sweepAt(hour - 60);
    manager->pauseUntil(env.clock.now() + (endedByTheUser ? 10 : 2) * hour);
    EXPECT_THAT(env.warnings.shown, IsEmpty()) << "withdrawn while nothing is asked";
    sweepAt(2 * hour);
    EXPECT_EQ(quitRequests(app), 0);

    env.clock.time = start + 3 * hour;
    if (endedByTheUser) {
        manager->resume();
    }
    sweep();
    EXPECT_FALSE(manager->pausedUntil());
    ASSERT_TRUE(env.warnings.shown.contains(app));
    EXPECT_EQ(env.warnings.shown.at(app).minutes, 5);
    sweepAt(3 * hour + 299);
    EXPECT_EQ(quitRequests(app), 0);
    sweepAt(3 * hour + 300);
    EXPECT_EQ(quitRequests(app), 1);
}

INSTANTIATE_TEST_SUITE_P(ByTimeOrByTheUser, PauseTest, ::testing::Bool());

// Ticks come every second; a gap of hours in the clock is a sleep.
TEST_F(WarningTest, AfterAWakeUpTheWarningComesFirstAndTheAskFiveMinutesLater) {
    const double minute = std::ceil(start / 60) * 60 - start;
    const auto tickAt = [&](double seconds) {
        env.clock.time = start + minute + seconds;
        tick();
    };
    tickAt(0);
    tickAt(3 * hour);
    EXPECT_EQ(warnedAndAsked(), (std::vector<std::pair<int, int>>{{1, 0}}));
    for (double seconds = 60; seconds < 300; seconds += 60) {
        tickAt(3 * hour + seconds);
    }
    EXPECT_EQ(quitRequests(app), 0);
    tickAt(3 * hour + 300);
    EXPECT_EQ(quitRequests(app), 1);
}

TEST_F(WarningTest, TheApplicationInUseIsNeverWarnedNotEvenAfterAPause) {
    store(DefaultsKeys::hoursUntilClose, std::int64_t{0});
    env.workspace.activate(app);
    manager->pauseUntil(start + 30);
    sweepAt(60);
    sweepAt(120);
    EXPECT_EQ(warnedAndAsked(), (std::vector<std::pair<int, int>>{{0, 0}}));
}

// Without a tray nothing is asked and no warning stays; with one again the
// quitting carries on at once.
TEST_F(WarningTest, WhileQuittingIsNotAllowedNothingIsAsked) {
    sweepAt(hour - 60);
    manager->setQuittingAllowed(false);
    EXPECT_THAT(env.warnings.shown, IsEmpty());
    sweepAt(2 * hour);
    EXPECT_EQ(warnedAndAsked(), (std::vector<std::pair<int, int>>{{1, 0}}));

    manager->setQuittingAllowed(true);
    sweepAt(2 * hour + 60);
    EXPECT_EQ(warnedAndAsked(), (std::vector<std::pair<int, int>>{{1, 1}}));
}

} // namespace
} // namespace drowsel
