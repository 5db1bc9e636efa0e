#include "core/ManagerTest.h"

namespace drowsel {

using ::testing::ElementsAre;
using Level = LogSink::Level;

TEST_F(ManagerTest, StartTracksEveryRegularAppWithOneDateOnceTheQueueRuns) {
    const auto editor = env.workspace.launch({.name = "Editor", .bundleIdentifier = "org.example.Editor"});
    const auto nameless = env.workspace.launch();
    const auto panel = env.workspace.launch({.name = "Panel", .activationPolicy = ActivationPolicy::accessory});
    const auto itself = env.workspace.launch({.name = "Drowsel", .bundleIdentifier = "com.drowsel.Drowsel"});
    const Date startTime = env.clock.time;

    start();
    EXPECT_TRUE(manager->runningApps().empty()) << "insertions must be queued, not done during construction";
    env.clock.advance(30);
    env.mainQueue.runAll();

    EXPECT_EQ(manager->runningApps(), (RunningAppsManager::RunningApps{{editor, startTime}, {nameless, startTime}}));
    EXPECT_FALSE(isTracked(panel));
    EXPECT_FALSE(isTracked(itself));
    EXPECT_EQ(env.timers.lastInterval, std::chrono::seconds(1));
    ASSERT_EQ(env.log.lines.size(), 1u);
    EXPECT_EQ(env.log.lines[0].message, "Init");
    EXPECT_EQ(env.log.lines[0].level, Level::debug);
    EXPECT_EQ(env.log.lines[0].subsystem, "com.drowsel.Drowsel");
    EXPECT_EQ(env.log.lines[0].category, "RunningAppsManager");
}

TEST_F(ManagerTest, ExclusionFollowsPolicyOwnIdentifierAndTheExactList) {
    startSettled();
    const auto excluded = [&](Properties properties) { return manager->isExcluded(env.workspace.launch(properties)); };

    EXPECT_FALSE(excluded({}));
    EXPECT_FALSE(excluded({.bundleIdentifier = "org.example.App"}));
    EXPECT_TRUE(excluded({.activationPolicy = ActivationPolicy::accessory}));
    EXPECT_TRUE(excluded({.activationPolicy = ActivationPolicy::prohibited}));
    EXPECT_TRUE(excluded({.bundleIdentifier = "com.drowsel.Drowsel"}));
    for (const auto identifier : RunningAppsManager::excludedBundleIdentifiers) {
        EXPECT_TRUE(excluded({.bundleIdentifier = std::string(identifier)})) << identifier;
    }
    EXPECT_FALSE(excluded({.bundleIdentifier = "com.apple.Dock"}));
    EXPECT_FALSE(excluded({.bundleIdentifier = "com.apple.finder.extra"}));

    // Without an identifier of our own, every application without one counts as us.
    env.ownApplication.identifier.reset();
    EXPECT_TRUE(excluded({}));
    EXPECT_FALSE(excluded({.bundleIdentifier = "com.drowsel.Drowsel"}));
}

TEST_F(ManagerTest, DeactivationStampsWhenTheQueuedTaskRuns) {
    const auto left = env.workspace.launch({.name = "Left"});
    const auto other = env.workspace.launch({.name = "Other"});
    startSettled();
    const Date firstSeen = dateOf(left);
    const auto late = env.workspace.launch({.name = "Late"});

    env.clock.advance(100);
    env.workspace.deactivate(left);
    env.workspace.deactivate(late);
    EXPECT_EQ(dateOf(left), firstSeen);
    EXPECT_FALSE(isTracked(late));
    env.clock.advance(5);
    env.mainQueue.runAll();

    EXPECT_EQ(dateOf(left), firstSeen + 105);
    EXPECT_EQ(dateOf(late), firstSeen + 105);
    EXPECT_EQ(dateOf(other), firstSeen);
    EXPECT_THAT(env.log.messages(), ElementsAre("Init", "didDeactivate: Left", "didDeactivate: Late"));
}

TEST_F(ManagerTest, DeactivationOfExcludedNamelessOrMissingApps) {
    startSettled();
    const auto dock = env.workspace.launch({.name = "Dock", .activationPolicy = ActivationPolicy::accessory});
    const auto nameless = env.workspace.launch();

    env.workspace.deactivate(dock);
    env.workspace.deactivate(nameless);
    env.workspace.notify({});
    env.mainQueue.runAll();

    EXPECT_FALSE(isTracked(dock));
    EXPECT_TRUE(isTracked(nameless));
    EXPECT_THAT(env.log.messages(), ElementsAre("Init", "didDeactivate: Dock", "didDeactivate: Unknown"));
}

TEST_F(ManagerTest, TrackNewAppsLeavesTrackedDatesAloneAndQueuesOnlyTheNew) {
    const auto old = env.workspace.launch({.name = "Old"});
    startSettled();
    const Date firstSeen = dateOf(old);
    const auto fresh = env.workspace.launch({.name = "Fresh"});
    env.clock.advance(60);

    manager->trackNewApps();
    EXPECT_EQ(env.mainQueue.pending(), 1u);
    env.mainQueue.runAll();

    EXPECT_EQ(dateOf(old), firstSeen);
    EXPECT_EQ(dateOf(fresh), firstSeen + 60);
}

TEST_F(ManagerTest, ObserversAreToldBeforeEveryChange) {
    const auto app = env.workspace.launch({.name = "App"});
    startSettled();
    std::vector<std::pair<std::size_t, bool>> seen; // (tracked count, switch) at each announcement
    auto subscription = manager->objectWillChange().subscribe(
        [&] { seen.emplace_back(manager->runningApps().size(), manager->toggleFor("App")); });

    sweep(); // nothing changes, observers are told all the same
    manager->setToggle("App", false);
    env.workspace.exit(app);
    sweep();
    manager->resetIdleClock(app);

    EXPECT_THAT(seen,
                ElementsAre(std::pair{1u, true}, std::pair{1u, true}, std::pair{1u, false}, std::pair{0u, false}));
}

TEST_F(ManagerTest, ResetStampsTheCurrentDateAndInsertsWhenMissing) {
    const auto app = env.workspace.launch({.name = "App"});
    startSettled();
    const auto untracked = env.workspace.launch({.name = "Untracked"});
    env.clock.advance(500);

    manager->resetIdleClock(app);
    manager->resetIdleClock(untracked);

    EXPECT_EQ(dateOf(app), env.clock.time);
    EXPECT_EQ(dateOf(untracked), env.clock.time);
}

TEST_F(ManagerTest, TimerDoesNotKeepTheManagerAliveAndDestructionIsLogged) {
    startSettled();
    std::weak_ptr<RunningAppsManager> watched = manager;
    manager.reset();
    ASSERT_FALSE(watched.expired()) << "the deactivation subscription keeps it";

    env.workspace = fakes::FakeWorkspace{}; // drops the subscription

    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(env.log.messages().back(), "RunningAppsManager is being deallocated");
    EXPECT_EQ(env.timers.liveTimers(), 0u);
}

} // namespace drowsel
