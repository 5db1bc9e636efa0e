// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ToggleStatusCodec.h"

#include <gtest/gtest.h>

namespace drowsel {

TEST(ToggleStatusCodecTest, EncodesCompactJsonThatDecodesToTheSameMap) {
    EXPECT_EQ(ToggleStatusCodec::encode({{"Mango", false}}), R"({"Mango":false})");
    EXPECT_EQ(ToggleStatusCodec::encode({}), "{}");

    const ToggleStatus switches{{"Mango", false}, {"", true}, {"Ärger \"quoted\"", false}, {"日本語", true}};
    EXPECT_EQ(ToggleStatusCodec::decode(ToggleStatusCodec::encode(switches)), switches);
}

TEST(ToggleStatusCodecTest, DecodesOnlyAnObjectOfBooleans) {
    EXPECT_EQ(ToggleStatusCodec::decode(R"( { "A" : true , "B":false } )"), (ToggleStatus{{"A", true}, {"B", false}}));
    for (const char* rejected : {"", "[]", "[true]", "42", "true", "null", "\"text\"", R"({"A":1})", R"({"A":"false"})",
                                 R"({"A":true,"B":null})", R"({"A":true)", "not json", "{\"\xff\":true}"}) {
        EXPECT_EQ(ToggleStatusCodec::decode(rejected), std::nullopt) << rejected;
    }
}

TEST(ToggleStatusCodecTest, NameThatIsNotUtf8DoesNotCostTheOtherSwitches) {
    const auto encoded = ToggleStatusCodec::encode({{"Good", false}, {"Bad\xff", false}});

    EXPECT_EQ(ToggleStatusCodec::decode(encoded), (ToggleStatus{{"Good", false}, {"Bad\xEF\xBF\xBD", false}}));
}

} // namespace drowsel
