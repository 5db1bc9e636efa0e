// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ToggleStatusCodec.h"

#include <gtest/gtest.h>

namespace drowsel {

TEST(ToggleStatusCodecTest, EncodesCompactJsonThatDecodesToTheSameMap) {
    EXPECT_EQ(ToggleStatusCodec::encode({{"Mango", false}}), R"({"Mango":false})");
    EXPECT_EQ(ToggleStatusCodec::encode({}), "{}");

    const ToggleStatus switches{{"Mango", false}, {"", true}, {"Ärger \"quoted\"", false}, {"日本語", true}};
    EXPECT_EQ(ToggleStatusCodec::decode(ToggleStatusCodec::encode(switches))->switches, switches);
}

TEST(ToggleStatusCodecTest, ReadsEveryBooleanMemberOfAnObjectAndNamesTheOthers) {
    const auto decoded = ToggleStatusCodec::decode(R"( { "A" : true , "B":false, "C":"no", "D":null } )");
    EXPECT_EQ(decoded->switches, (ToggleStatus{{"A", true}, {"B", false}}));
    EXPECT_EQ(decoded->unreadable, (std::vector<std::string>{"C", "D"}));
    for (const char* rejected :
         {"", "[]", "[true]", "42", "true", "null", "\"text\"", R"({"A":true)", "not json", "{\"\xff\":true}"}) {
        EXPECT_EQ(ToggleStatusCodec::decode(rejected), std::nullopt) << rejected;
    }
}

TEST(ToggleStatusCodecTest, MergeSetsTheChangesAndKeepsEveryOtherMemberOfAnObject) {
    EXPECT_EQ(ToggleStatusCodec::merge(R"({"A":true,"C":"no"})", {{"X", true}}, {{"B", false}}),
              R"({"A":true,"B":false,"C":"no"})");
    EXPECT_EQ(ToggleStatusCodec::merge("[1]", {{"X", true}}, {{"B", false}}), R"({"B":false,"X":true})");
}

TEST(ToggleStatusCodecTest, NameThatIsNotUtf8DoesNotCostTheOtherSwitches) {
    const auto encoded = ToggleStatusCodec::encode({{"Good", false}, {"Bad\xff", false}});

    EXPECT_EQ(ToggleStatusCodec::decode(encoded)->switches,
              (ToggleStatus{{"Good", false}, {"Bad\xEF\xBF\xBD", false}}));
}

} // namespace drowsel
