// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ManagerTest.h"

namespace drowsel {

TEST_F(ManagerTest, UnreadableStoredSwitchesStayUntilTheFirstChangeAndEveryChangeIsSaved) {
    for (const auto& stored : std::vector<fakes::MemoryDefaultsStore::Value>{
             std::string("[false]"), std::string(R"({"Mail":"no"})"), std::string("{"), std::int64_t{3}}) {
        store(DefaultsKeys::toggleStatus, stored);
        startSettled();
        EXPECT_TRUE(manager->toggleStatus().empty());
        EXPECT_EQ(env.defaults.values[DefaultsKeys::toggleStatus], stored);

        manager->setToggle("Mail", false);
        EXPECT_EQ(env.defaults.data(DefaultsKeys::toggleStatus), R"({"Mail":false})");
        manager->setToggle("Mail", true);
        EXPECT_EQ(env.defaults.data(DefaultsKeys::toggleStatus), R"({"Mail":true})");
    }
}

} // namespace drowsel
