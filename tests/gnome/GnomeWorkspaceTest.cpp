// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace contract and the Wayland cases on the GNOME workspace, under a
// private GNOME Shell with Drowsel's extension; and the workspace following
// the extension as it goes and comes back.
#include "GnomeDriver.h"
#include "WorkspaceFixture.h"

namespace drowsel::workspacetest {

INSTANTIATE_TEST_SUITE_P(Gnome, WorkspaceContract, ::testing::Values(&gnometest::GnomeDriver::create));
INSTANTIATE_TEST_SUITE_P(Gnome, WorkspaceServerEnd, ::testing::Values(&gnometest::GnomeDriver::createAlone));
std::unique_ptr<BackendDriver> createWaylandDriver() { return gnometest::GnomeDriver::create(); }

namespace {

// Milliseconds since a moment of the steady clock.
std::int64_t millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

class GnomeWorkspaceTest : public WorkspaceFixture {
protected:
    gnometest::GnomeDriver& gnome() { return static_cast<gnometest::GnomeDriver&>(driver()); }

    bool said(const std::string& text) const {
        return std::ranges::any_of(log.messages(), [&](const auto& line) { return line.find(text) != line.npos; });
    }
};
INSTANTIATE_TEST_SUITE_P(Gnome, GnomeWorkspaceTest, ::testing::Values(&gnometest::GnomeDriver::create));

// Disabled, the extension takes its windows with it; enabled again, or with
// Shell restarted, its list is read anew. Each way is one log line.
TEST_P(GnomeWorkspaceTest, TheWorkspaceFollowsTheExtensionAwayAndBack) {
    const auto& session = gnome().session();
    std::cout << "Shell start to extension on the bus: " << session.startupTime().count() << " ms\n";
    startProgram({"foot", "--app-id", "foot"});
    const auto before = waitForApp("Foot");
    ASSERT_TRUE(session.setExtensionEnabled(gnometest::GnomeSession::drowselUuid, false)) << session.logText();
    EXPECT_TRUE(waitUntil([&] { return current->runningApplications().empty(); })) << seen();
    EXPECT_FALSE(before->terminate());
    EXPECT_TRUE(said("left the session bus")) << seen();

    const auto enabled = std::chrono::steady_clock::now();
    ASSERT_TRUE(session.setExtensionEnabled(gnometest::GnomeSession::drowselUuid, true)) << session.logText();
    const auto after = waitForApp("Foot");
    std::cout << "Extension enabled to its windows listed: " << millisecondsSince(enabled) << " ms\n";
    EXPECT_NE(after, before);
    EXPECT_EQ(after->bundleIdentifier(), "foot") << seen();
    EXPECT_TRUE(said("on the session bus again")) << seen();
}

// Even when the X11 workspace does not know the client, Shell says whose it
// is: focus moving to it is focus leaving ours. The time from the focus change
// to the deactivation is printed, not asserted.
TEST_P(GnomeWorkspaceTest, XWaylandsWindowsAreNeverListedAndFocusOnThemIsAChange) {
    Client native{.name = "Native"};
    const auto nativePid = start(native);
    const auto xterm = startProgram({"xterm"});
    ASSERT_TRUE(waitUntil([&] { return gnome().forWindowsOf(xterm, "", "true") == "1"; }));
    activate(nativePid, native);
    deactivated.clear();
    ASSERT_TRUE(driver().activate(xterm, {.name = "xterm", .isX11 = true}));
    const auto activated = std::chrono::steady_clock::now();
    EXPECT_TRUE(waitUntil([&] { return deactivated == std::vector{native.name}; })) << seen();
    std::cout << "Focus change (Eval returned) to the deactivation: " << millisecondsSince(activated) << " ms\n";
    EXPECT_EQ(current->runningApplications().size(), 1u) << seen();
}

} // namespace
} // namespace drowsel::workspacetest
