#include "core/ManagerTest.h"

namespace drowsel {

TEST_F(ManagerTest, EveryAppIsOnUntilASwitchIsStoredAndNothingIsWrittenAtStart) {
    startSettled();

    EXPECT_TRUE(manager->toggleStatus().empty());
    EXPECT_TRUE(manager->toggleFor("Anything"));
    EXPECT_EQ(env.defaults.dataWrites, 0);
}

TEST_F(ManagerTest, StoredSwitchesAreLoadedAtStart) {
    setStoredSwitches(std::string(R"({"Mail":false,"Term":true})"));
    startSettled();

    EXPECT_EQ(manager->toggleStatus(), (ToggleStatus{{"Mail", false}, {"Term", true}}));
    EXPECT_FALSE(manager->toggleFor("Mail"));
}

TEST_F(ManagerTest, UnreadableStoredSwitchesStayUntilTheFirstChange) {
    for (const auto& stored : std::vector<fakes::MemoryDefaultsStore::Value>{std::string("[false]"), std::string("7"),
                                                                             std::string(R"({"Mail":"no"})"),
                                                                             std::string("{"), std::int64_t{3}}) {
        env.defaults.dataWrites = 0;
        setStoredSwitches(stored);
        startSettled();

        EXPECT_TRUE(manager->toggleStatus().empty());
        EXPECT_EQ(env.defaults.values[DefaultsKeys::toggleStatus], stored);
        EXPECT_EQ(env.defaults.dataWrites, 0);

        manager->setToggle("Mail", false);
        EXPECT_EQ(env.defaults.data(DefaultsKeys::toggleStatus), R"({"Mail":false})");
    }
}

TEST_F(ManagerTest, SwitchingOffAndOnAgainKeepsTheEntry) {
    startSettled();

    manager->setToggle("Mail", false);
    EXPECT_EQ(env.defaults.data(DefaultsKeys::toggleStatus), R"({"Mail":false})");
    manager->setToggle("Mail", true);
    EXPECT_EQ(env.defaults.data(DefaultsKeys::toggleStatus), R"({"Mail":true})");
    EXPECT_TRUE(manager->toggleFor("Mail"));
}

} // namespace drowsel
