// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WorkspaceFixture.h"
#include "platform/session/SessionWorkspaces.h"

namespace drowsel::workspacetest {

// The cases of the Wayland backends beyond the contract, on the same shared
// session; some watch the whole session's workspaces, XWayland's too.
class WaylandWorkspaceTest : public WorkspaceFixture {
protected:
    void TearDown() override {
        sessionWorkspaces.reset();
        WorkspaceFixture::TearDown();
    }

    // Watches the session's workspaces, as the program does, from now on.
    void openSession();
    void settleBoth();

    std::unique_ptr<SessionWorkspaces> sessionWorkspaces;
};

} // namespace drowsel::workspacetest
