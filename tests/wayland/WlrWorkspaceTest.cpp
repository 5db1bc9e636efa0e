// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace contract and the Wayland cases on the wlroots workspace, under sway.
#include "WlrDriver.h"
#include "WorkspaceFixture.h"

namespace drowsel::workspacetest {

INSTANTIATE_TEST_SUITE_P(Wlr, WorkspaceContract, ::testing::Values(&wltest::WlrDriver::create));
INSTANTIATE_TEST_SUITE_P(Wlr, WorkspaceServerEnd, ::testing::Values(&wltest::WlrDriver::create));
std::unique_ptr<BackendDriver> createWaylandDriver() { return wltest::WlrDriver::create(); }

} // namespace drowsel::workspacetest
