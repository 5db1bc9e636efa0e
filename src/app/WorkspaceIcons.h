// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/session/SessionWorkspaces.h"
#include "toolkit/IconProvider.h"

namespace drowsel {

// The views' icons, as the session's workspaces find them: the workspaces sit
// below the view toolkit, so the program joins the two here.
class WorkspaceIcons : public IconProvider {
public:
    explicit WorkspaceIcons(const SessionWorkspaces& workspaces) : workspaces(workspaces) {}

    QIcon iconForFile(const QString& path) const override { return workspaces.iconForFile(path); }

private:
    const SessionWorkspaces& workspaces;
};

} // namespace drowsel
