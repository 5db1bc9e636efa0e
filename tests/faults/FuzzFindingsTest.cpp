// Inputs the fuzzers (fuzz/) found faults with, kept as plain tests.
#include "LaunchAtLogin/AutostartEntry.h"

#include <gtest/gtest.h>

namespace drowsel {

// An empty argument was written bare and vanished when the entry was read back.
TEST(FuzzFindingsTest, EmptyArgumentKeepsItsPlaceInTheAutostartEntry) {
    const auto contents = AutostartEntry::render("", "--launched-at-login");
    ASSERT_TRUE(contents.has_value());
    EXPECT_EQ(AutostartEntry::parse(*contents).command(), (std::vector<std::string>{"", "--launched-at-login"}));
}

} // namespace drowsel
