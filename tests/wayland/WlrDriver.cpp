// SPDX-License-Identifier: GPL-3.0-or-later
#include "WlrDriver.h"

#include "platform/wayland/WlrToplevelWorkspace.h"

namespace drowsel::wltest {

using workspacetest::Client;

std::unique_ptr<Workspace> WlrDriver::openOn(WaylandConnection& connection, Logger log,
                                             const XWaylandClients* xwayland) {
    return WlrToplevelWorkspace::open(connection, std::move(log), xwayland);
}

std::optional<std::string> WlrDriver::cannotStart(const Client& client) const {
    if (client.role == Client::Role::dock || client.withDock) {
        return "wlr-foreign-toplevel lists no layer-shell surfaces: a dock or panel is never in the list";
    }
    if (client.role == Client::Role::skipTaskbar) {
        return "wlr-foreign-toplevel has no skip-taskbar state";
    }
    if (!client.hasPoliteClose) {
        return "every Wayland toplevel can be asked to close (xdg_toplevel.close)";
    }
    return std::nullopt;
}

pid_t WlrDriver::start(const Client& client, const std::string& closeLog) {
    return sway.startFixture(fixtureArguments(client, closeLog));
}

// A window can take the focus once sway has mapped it.
bool WlrDriver::activate(pid_t, const Client& client, int window) {
    const auto criteria = client.isX11
                              ? "[class=\"^" + client.name + "$\"]"
                              : "[app_id=\"^" + client.name + "$\" title=\"^" + titleOf(client, window) + "$\"]";
    return SwaySession::waitUntil([&] { return sway.command(criteria + " focus"); }, std::chrono::seconds(20));
}

// sway has no minimised state: the scratchpad is where it hides windows.
std::optional<std::string> WlrDriver::hideAll(pid_t, const Client& client) {
    if (!sway.command("[app_id=\"^" + client.name + "$\"] move scratchpad")) {
        return "sway did not move the windows to the scratchpad";
    }
    return std::nullopt;
}

} // namespace drowsel::wltest
