// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>
#include <sys/types.h>

namespace drowsel {

// What the X11 workspace knows of XWayland's clients. Wayland workspaces list
// XWayland windows too; they leave those to the X11 workspace, whose polite
// close request the compositor's own close may not honour.
class XWaylandClients {
public:
    virtual ~XWaylandClients() = default;

    // A client window whose WM_CLASS class or instance is this name.
    virtual bool hasWindowOfClass(std::string_view name) const = 0;
    // A client window without WM_CLASS: compositors list it without an app id.
    virtual bool hasWindowWithoutClass() const = 0;
    virtual bool hasClientWithPid(pid_t pid) const = 0;
};

} // namespace drowsel
