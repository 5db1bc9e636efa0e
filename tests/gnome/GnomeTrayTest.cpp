// SPDX-License-Identifier: GPL-3.0-or-later
#include "GnomeSession.h"

#include <gtest/gtest.h>

namespace drowsel::gnometest {
namespace {

// The AppIndicator extension puts Drowsel's icon in the top bar; activating
// the item, as a click does, opens Drowsel's panel.
TEST(GnomeTrayTest, TheIconIsInTheTopBarAndActivatingItOpensThePanel) {
    GnomeSession session({.drowsel = true, .appIndicator = true, .unsafeMode = true});
    const pid_t drowsel = session.start({DROWSEL_BINARY}, {"DROWSEL_DEBUG=1"});
    const auto indicators = [&] {
        return session.eval("Object.entries(imports.ui.main.panel.statusArea).filter(([key, item]) => "
                            "key.startsWith('appindicator')).map(([key, item]) => "
                            "[item._indicator.busName, item._indicator._proxy.g_object_path])");
    };
    const auto wait = [&](const std::function<bool()>& condition) {
        return session.waitUntil(condition, std::chrono::seconds(60));
    };
    ASSERT_TRUE(wait([&] { return indicators() != "[]"; })) << "indicators in the top bar: " << indicators();
    std::smatch item;
    const auto shown = indicators();
    ASSERT_TRUE(std::regex_search(shown, item, std::regex(R"re(\[\["([^"]+)","([^"]+)"\]\])re"))) << shown;
    const auto drowselWindows = [&] {
        return session.eval("global.get_window_actors().filter(actor => actor.meta_window.get_pid() === " +
                            std::to_string(drowsel) + ").length");
    };
    EXPECT_EQ(drowselWindows(), "0");
    session.call(item[1], item[2], "org.kde.StatusNotifierItem.Activate", {"0", "0"});
    EXPECT_TRUE(wait([&] { return drowselWindows() == "1"; })) << "windows of Drowsel's: " << drowselWindows();
}

} // namespace
} // namespace drowsel::gnometest
