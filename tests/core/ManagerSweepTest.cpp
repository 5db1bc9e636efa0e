#include "core/ManagerTest.h"

#include <cstdint>
#include <limits>

namespace drowsel {

constexpr double hour = 3600;

TEST_F(ManagerTest, QuitsOnlyWhatIsIdleStrictlyLongerThanTheLimit) {
    setHours(1);
    const auto app = env.workspace.launch({.name = "App"});
    startSettled();

    env.clock.advance(hour);
    sweep();
    EXPECT_EQ(quitRequests(app), 0);
    EXPECT_TRUE(isTracked(app));

    env.clock.advance(0.001);
    sweep();
    EXPECT_EQ(quitRequests(app), 1);
    EXPECT_FALSE(isTracked(app));
}

TEST_F(ManagerTest, WithoutAStoredLimitTheSweepUsesEightHours) {
    const auto app = env.workspace.launch({.name = "App"});
    startSettled();

    env.clock.advance(8 * hour);
    sweep();
    EXPECT_EQ(quitRequests(app), 0);

    // A value of another type, say from a hand-edited file, counts as absent.
    env.defaults.values[DefaultsKeys::hoursUntilClose] = std::string("1");
    env.clock.advance(1);
    sweep();
    EXPECT_EQ(quitRequests(app), 1);
}

TEST_F(ManagerTest, FrontmostAppIsStampedAndSparedEvenWithoutALimit) {
    const auto front = env.workspace.launch({.name = "Front"});
    const auto back = env.workspace.launch({.name = "Back"});
    startSettled();
    env.workspace.activate(front);

    for (const std::int64_t hours : {std::int64_t{0}, std::int64_t{-5}, std::numeric_limits<std::int64_t>::min()}) {
        setHours(hours);
        env.clock.advance(10);
        sweep();
        EXPECT_EQ(quitRequests(front), 0) << hours;
        EXPECT_EQ(dateOf(front), env.clock.time) << hours;
    }
    EXPECT_EQ(quitRequests(back), 1);
}

TEST_F(ManagerTest, ExcludedFrontmostIsNotTracked) {
    const auto panel = env.workspace.launch({.activationPolicy = ActivationPolicy::accessory});
    startSettled();
    env.workspace.activate(panel);

    sweep();

    EXPECT_FALSE(isTracked(panel));
}

TEST_F(ManagerTest, SparesFutureDatesLaunchingAppsAndAppsFoundInTheSameSweep) {
    setHours(0);
    const auto launching = env.workspace.launch({.name = "Launching", .finishedLaunching = false});
    const auto future = env.workspace.launch({.name = "Future"});
    startSettled();
    env.clock.advance(-1000); // the clock was set back
    sweep();
    EXPECT_EQ(quitRequests(future), 0);

    env.clock.advance(1000 + 100 * hour);
    const auto newcomer = env.workspace.launch({.name = "Newcomer"});
    sweep();
    EXPECT_EQ(quitRequests(launching), 0);
    EXPECT_EQ(quitRequests(newcomer), 0);
    EXPECT_EQ(quitRequests(future), 1);

    env.workspace.fake(launching).properties.finishedLaunching = true;
    env.mainQueue.runAll();
    env.clock.advance(1);
    sweep();
    EXPECT_EQ(quitRequests(launching), 1);
    EXPECT_EQ(quitRequests(newcomer), 1);
}

TEST_F(ManagerTest, RefusedQuitIsAskedAgainWithTheOldDate) {
    setHours(1);
    const auto stubborn = env.workspace.launch({.name = "Stubborn", .acceptsQuit = false});
    startSettled();
    const Date firstSeen = dateOf(stubborn);

    env.clock.advance(2 * hour);
    sweep();
    sweep();

    EXPECT_EQ(quitRequests(stubborn), 2);
    EXPECT_EQ(dateOf(stubborn), firstSeen);
}

TEST_F(ManagerTest, AcceptedQuitOfAnAppThatKeepsRunningStartsItsClockAgain) {
    setHours(1);
    const auto asksToSave = env.workspace.launch({.name = "Asks to save"});
    startSettled();

    env.clock.advance(2 * hour);
    sweep();
    EXPECT_FALSE(isTracked(asksToSave));
    env.mainQueue.runAll();
    env.clock.advance(60);
    sweep();
    env.mainQueue.runAll();

    EXPECT_EQ(quitRequests(asksToSave), 1);
    EXPECT_EQ(dateOf(asksToSave), env.clock.time);
}

TEST_F(ManagerTest, AppsThatStoppedRunningOrBecameExcludedAreDroppedNotQuit) {
    setHours(0);
    const auto gone = env.workspace.launch({.name = "Gone"});
    const auto turnsPanel = env.workspace.launch({.name = "Turns panel"});
    const auto turnsFinder = env.workspace.launch({.name = "Turns Finder"});
    startSettled();
    env.workspace.exit(gone);
    env.workspace.fake(turnsPanel).properties.activationPolicy = ActivationPolicy::accessory;
    env.workspace.fake(turnsFinder).properties.bundleIdentifier = "com.apple.finder";

    env.clock.advance(hour);
    sweep();

    EXPECT_TRUE(manager->runningApps().empty());
    EXPECT_EQ(quitRequests(gone) + quitRequests(turnsPanel) + quitRequests(turnsFinder), 0);
}

TEST_F(ManagerTest, AppsSharingANameShareOneSwitchAndNamelessOnesUseTheEmptyName) {
    setHours(0);
    const auto firstTerm = env.workspace.launch({.name = "Term"});
    const auto secondTerm = env.workspace.launch({.name = "Term"});
    const auto nameless = env.workspace.launch();
    const auto other = env.workspace.launch({.name = "Other"});
    startSettled();
    manager->setToggle("Term", false);
    manager->setToggle("", false);

    env.clock.advance(1);
    sweep();

    EXPECT_EQ(quitRequests(firstTerm) + quitRequests(secondTerm) + quitRequests(nameless), 0);
    EXPECT_EQ(quitRequests(other), 1);
}

TEST_F(ManagerTest, LimitTooLargeToCountInSecondsMeansNever) {
    const auto app = env.workspace.launch({.name = "App"});
    startSettled();

    for (const std::int64_t hours :
         {std::numeric_limits<std::int64_t>::max() / 3600 + 1, std::numeric_limits<std::int64_t>::max()}) {
        setHours(hours);
        env.clock.time = 1e300;
        sweep();
        EXPECT_EQ(quitRequests(app), 0) << hours;
    }
}

TEST_F(ManagerTest, TickSweepsEverySecondWhileOurWindowHasFocusElseOnAMinutesFirstSecond) {
    startSettled();
    const Date minuteStart = 1'800'000'000.0 + 60 * 1000; // a multiple of 60
    const auto tickAt = [&](Date time) {
        env.clock.time = time;
        env.timers.fireAll();
        return sweepsLogged();
    };

    EXPECT_EQ(tickAt(minuteStart - 0.001), 0u);
    EXPECT_EQ(tickAt(minuteStart), 1u);
    EXPECT_EQ(tickAt(minuteStart + 0.999), 2u);
    EXPECT_EQ(tickAt(minuteStart + 1), 2u);
    EXPECT_EQ(tickAt(minuteStart + 59), 2u);

    env.ownApplication.ownWindows = {{.isKey = false, .isMain = false}};
    EXPECT_EQ(tickAt(minuteStart + 30), 2u);
    env.ownApplication.ownWindows = {{}, {.isKey = true}};
    EXPECT_EQ(tickAt(minuteStart + 31), 3u);
    env.ownApplication.ownWindows = {{.isMain = true}};
    EXPECT_EQ(tickAt(minuteStart + 32), 4u);
}

} // namespace drowsel
