// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace contract and the Wayland cases on the KDE workspace, under
// KWin; and KWin's refusal of its window list to a program it was not told of.
#include "KdeDriver.h"
#include "WorkspaceFixture.h"
#include "platform/session/SessionWorkspaces.h"
#include "platform/wayland/PlasmaWindowWorkspace.h"

namespace drowsel::workspacetest {

INSTANTIATE_TEST_SUITE_P(Kde, WorkspaceContract, ::testing::Values(&wltest::KdeDriver::create));
INSTANTIATE_TEST_SUITE_P(Kde, WorkspaceServerEnd, ::testing::Values(&wltest::KdeDriver::create));
std::unique_ptr<BackendDriver> createWaylandDriver() { return wltest::KdeDriver::create(); }

// Without the permission the session falls back to XWayland's applications, and says so.
TEST(KWinPermissionTest, WithoutItsDesktopEntryTheSessionSeesXWaylandOnly) {
    fakes::RecordingLogSink log;
    wltest::KWinSession session;
    const auto workspaces =
        SessionWorkspaces::open(Logger(log, "test", "session"), {session.waylandDisplay(), session.x11Display()});
    ASSERT_TRUE(workspaces);
    EXPECT_STREQ(workspaces->nativeBackend(), "x11");
    const auto said = [&](const std::string& text) {
        return std::ranges::any_of(log.messages(), [&](const auto& line) { return line.find(text) != line.npos; });
    };
    EXPECT_TRUE(said(std::string("does not offer ") + PlasmaWindowWorkspace::protocol));
    EXPECT_TRUE(said("only XWayland applications are seen"));
}

} // namespace drowsel::workspacetest
