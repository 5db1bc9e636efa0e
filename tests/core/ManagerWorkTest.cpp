// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ManagerTest.h"

namespace drowsel {
namespace {

using ::testing::Contains;
using ::testing::Not;

constexpr double hour = 3600;

// Two applications, a limit of an hour, started at the test's time zero.
class WorkTest : public ManagerTest {
protected:
    void SetUp() override {
        store(DefaultsKeys::hoursUntilClose, std::int64_t{1});
        startSettled();
    }
    void sweepAt(double seconds) {
        env.clock.time = start + seconds;
        sweep();
    }

    ApplicationHandle player = launch({.name = "XCalc"});
    ApplicationHandle other = launch({.name = "Other"});
    const double start = env.clock.now();
    const Work sound{Work::Kind::playingSound, ""};
};

TEST_F(WorkTest, AtWorkCountsAsInUseUntilTheWorkEndsAndIdleTimeCountsFromThen) {
    env.work.work[player] = sound;
    sweepAt(hour - 600);
    EXPECT_THAT(env.work.asked, ::testing::IsEmpty()) << "nothing near its limit, nothing looked at";

    sweepAt(hour - 200);
    EXPECT_EQ(env.warnings.sent, 1) << "the idle one is warned, the one at work is not";
    EXPECT_FALSE(env.warnings.shown.contains(player));
    EXPECT_EQ(manager->workOf(player), sound);

    sweepAt(hour + 60);
    EXPECT_EQ(quitRequests(player), 0);
    EXPECT_EQ(quitRequests(other), 1);
    EXPECT_EQ(idleSeconds(player), 0) << "its idle clock restarts at every sweep while at work";
    EXPECT_THAT(env.log.messages(), Contains("XCalc is at work: playing sound"));

    env.work.work.erase(player);
    sweepAt(hour + 120);
    EXPECT_EQ(manager->workOf(player), std::nullopt);
    EXPECT_THAT(env.log.messages(), Contains("XCalc is no longer at work"));
    sweepAt(2 * hour + 59);
    EXPECT_EQ(quitRequests(player), 0) << "idle for less than an hour since the work was last seen";
    sweepAt(2 * hour + 121);
    EXPECT_EQ(quitRequests(player), 1);
}

TEST_F(WorkTest, SparingPastTheLimitIsLoggedAndTheSettingTurnsItOff) {
    store(DefaultsKeys::hoursUntilClose, std::int64_t{0});
    env.work.work[player] = {Work::Kind::keepingAwake, "download"};
    env.work.work[other] = sound;
    sweepAt(1);
    EXPECT_EQ(quitRequests(player) + quitRequests(other), 0);
    EXPECT_THAT(env.log.messages(), Contains("Spared XCalc: keeping the computer awake: download"));
    EXPECT_THAT(env.log.messages(), Contains("Spared Other: playing sound"));

    store(DefaultsKeys::spareApplicationsAtWork, false);
    sweepAt(2);
    EXPECT_EQ(quitRequests(player) + quitRequests(other), 2);
}

// Idle time counts on its own clock, which may stand still while the user is
// away; the grace after a pause stays on the clock that always runs.
class AwayClockTest : public WorkTest {
protected:
    void SetUp() override {
        present.time = start;
        env.idleClock = &present;
        WorkTest::SetUp();
    }

    fakes::SettableClock present;
};

TEST_F(AwayClockTest, IdleTimeCountsOnTheIdleClockAndTheGraceOnTheRunningOne) {
    sweepAt(3 * hour);
    EXPECT_EQ(quitRequests(player), 0) << "away all along: no time present has passed";

    manager->pauseUntil(env.clock.now() + 60);
    present.time = start + hour + 1;
    sweepAt(3 * hour + 61);
    EXPECT_EQ(quitRequests(player), 0) << "the grace after the pause, on the running clock";
    EXPECT_EQ(env.warnings.sent, 2);
    sweepAt(3 * hour + 61 + 300);
    EXPECT_EQ(quitRequests(player), 1);
}

} // namespace
} // namespace drowsel
