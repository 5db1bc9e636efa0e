// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ManagerTest.h"

namespace drowsel {

using ::testing::ElementsAre;
using ::testing::Pair;

TEST_F(ManagerTest, StartAndDeactivationsStampOnceTheQueueRuns) {
    const auto editor = launch({.name = "Editor"});
    start();
    EXPECT_TRUE(manager->runningApps().empty()) << "a caller in the middle of its work never sees the set change";
    env.clock.advance(30);
    env.mainQueue.runAll();
    EXPECT_EQ(idleSeconds(editor), 30) << "dated when found, not when the queue ran";

    const auto late = launch();
    const auto dock = launch({.activationPolicy = ActivationPolicy::accessory});
    for (const auto& application : {editor, late, dock}) {
        env.workspace.deactivate({application});
    }
    env.workspace.deactivate({});
    EXPECT_EQ(idleSeconds(editor), 30);
    EXPECT_EQ(idleSeconds(late), untracked);
    env.clock.advance(5);
    env.mainQueue.runAll();

    EXPECT_EQ(idleSeconds(editor), 0);
    EXPECT_EQ(idleSeconds(late), 0);
    EXPECT_EQ(idleSeconds(dock), untracked);
}

TEST_F(ManagerTest, ExclusionFollowsPolicyOwnIdentifierAndTheExactList) {
    startSettled();
    const auto excluded = [&](Properties properties) { return manager->isExcluded(launch(std::move(properties))); };

    EXPECT_FALSE(excluded({}));
    EXPECT_TRUE(excluded({.activationPolicy = ActivationPolicy::accessory}));
    EXPECT_TRUE(excluded({.activationPolicy = ActivationPolicy::prohibited}));
    EXPECT_TRUE(excluded({.bundleIdentifier = "com.drowsel.Drowsel"}));
    for (const auto identifier : RunningAppsManager::excludedBundleIdentifiers) {
        EXPECT_TRUE(excluded({.bundleIdentifier = std::string(identifier)})) << identifier;
    }
    EXPECT_FALSE(excluded({.bundleIdentifier = "com.apple.Dock"}));
    EXPECT_FALSE(excluded({.bundleIdentifier = "com.apple.finder.extra"}));
}

TEST_F(ManagerTest, ObserversAreToldBeforeEveryChange) {
    const auto application = launch({.name = "App"});
    startSettled();
    std::vector<std::pair<std::size_t, bool>> seen; // (tracked count, switch) at each announcement
    auto subscription = manager->objectWillChange().subscribe(
        [&] { seen.emplace_back(manager->runningApps().size(), manager->toggleFor("App")); });

    sweep(); // nothing changes, observers are told all the same: the panel's times move on
    manager->setToggle("App", false);
    env.workspace.exit(application);
    sweep();
    env.clock.advance(60);
    manager->resetIdleClock(application); // stamps now, tracking what was not

    EXPECT_THAT(seen, ElementsAre(Pair(1u, true), Pair(1u, true), Pair(1u, false), Pair(0u, false)));
    EXPECT_EQ(idleSeconds(application), 0);
}

TEST_F(ManagerTest, OnlyTheWorkspaceKeepsTheManagerAliveAndItsTimerTicksEverySecond) {
    startSettled();
    EXPECT_EQ(env.timers.lastInterval, std::chrono::seconds(1));
    const std::weak_ptr<RunningAppsManager> watched = manager;
    manager.reset();
    ASSERT_FALSE(watched.expired()) << "the deactivation subscription keeps it";

    env.workspace = fakes::FakeWorkspace{}; // drops the subscription

    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(env.timers.liveTimers(), 0u);
}

// The settings file is edited by hand while we run: each switch is read on
// its own, a member that is no switch is kept and logged once, a text that is
// no map leaves the switches as they were, and a save writes only its switch.
TEST_F(ManagerTest, HandEditedSwitchesAreReadAtTheSweepKeptAndNeverOverwritten) {
    store(DefaultsKeys::toggleStatus, std::string(R"({"Alpha":false,"Beta":false,"Gamma":"no"})"));
    startSettled();
    EXPECT_EQ(manager->toggleStatus(), (ToggleStatus{{"Alpha", false}, {"Beta", false}}));

    store(DefaultsKeys::toggleStatus, std::string(R"({"Alpha":true,"Beta":false,"Gamma":"no"})"));
    manager->setToggle("Delta", false);
    EXPECT_EQ(env.defaults.data(DefaultsKeys::toggleStatus),
              R"({"Alpha":true,"Beta":false,"Delta":false,"Gamma":"no"})");
    EXPECT_TRUE(manager->toggleFor("Alpha"));

    store(DefaultsKeys::toggleStatus, std::string(R"({"Alpha":false,"Gamma":"no"})"));
    sweep();
    store(DefaultsKeys::toggleStatus, std::string("{"));
    sweep();
    EXPECT_EQ(manager->toggleStatus(), (ToggleStatus{{"Alpha", false}}));
    EXPECT_EQ(std::ranges::count_if(env.log.messages(),
                                    [](const std::string& line) { return line.find("\"Gamma\"") != line.npos; }),
              1);

    manager->setToggle("Beta", true);
    EXPECT_EQ(env.defaults.data(DefaultsKeys::toggleStatus), R"({"Alpha":false,"Beta":true})");
}

} // namespace drowsel
