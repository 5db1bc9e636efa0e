// SPDX-License-Identifier: GPL-3.0-or-later
#include "GnomeSession.h"

#include <gtest/gtest.h>

#include <iostream>

namespace drowsel::gnometest {
namespace {

TEST(ExtensionTest, TheShellComesUpWithOurBusName) {
    GnomeSession session({.drowsel = true, .appIndicator = true, .unsafeMode = true});
    std::cout << "bus name after " << session.startupTime().count() << " ms\n";
    EXPECT_TRUE(session.hasBusName(GnomeSession::drowselBusName));
    std::cout << session.eval("global.display.get_n_monitors()") << "\n";
}

} // namespace
} // namespace drowsel::gnometest
