// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Workspace.h"

#include <vector>

namespace drowsel {

// One workspace made of a Wayland session's native workspace and the X11 one
// that owns XWayland's clients. Each application belongs to exactly one part:
// the native part leaves XWayland's windows out.
class CompositeWorkspace : public Workspace {
public:
    // Either part may be absent; the present ones must outlive the composite.
    CompositeWorkspace(Workspace* native, Workspace* x11) : native(native), x11(x11) {}

    std::vector<ApplicationHandle> runningApplications() const override;
    // The native part's active application, else XWayland's: the native part
    // reports none while an XWayland window is active.
    std::optional<ApplicationHandle> frontmostApplication() const override;
    void addDeactivationObserver(DeactivationObserver observer) override;

private:
    std::vector<Workspace*> parts() const;

    Workspace* native;
    Workspace* x11;
};

} // namespace drowsel
