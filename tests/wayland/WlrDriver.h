// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SwaySession.h"
#include "WaylandDriver.h"
#include "platform/wayland/WlrToplevelWorkspace.h"

namespace drowsel::wltest {

// The wlroots workspace under a headless sway with XWayland, with the Qt fixture client.
class WlrDriver : public workspacetest::WaylandDriver {
public:
    static std::unique_ptr<BackendDriver> create() { return std::make_unique<WlrDriver>(); }

    SwaySession& session() override { return sway; }
    const char* backendName() const override { return "wlr"; }

    std::optional<std::string> cannotStart(const Client& client) const override {
        if (client.role == Client::Role::dock || client.withDock) {
            return "wlr-foreign-toplevel lists no layer-shell surfaces: a dock or panel is never in the list";
        }
        if (client.role == Client::Role::skipTaskbar) {
            return "wlr-foreign-toplevel has no skip-taskbar state";
        }
        return client.hasPoliteClose ? std::nullopt : std::optional<std::string>(everyToplevelCloses);
    }

    // A window can take the focus once sway has mapped it.
    bool activate(pid_t, const Client& client, int window = 0) override {
        const auto criteria = client.isX11
                                  ? "[class=\"^" + client.name + "$\"]"
                                  : "[app_id=\"^" + client.name + "$\" title=\"^" + titleOf(client, window) + "$\"]";
        return SwaySession::waitUntil([&] { return sway.command(criteria + " focus"); }, std::chrono::seconds(20));
    }

    // sway has no minimised state: the scratchpad is where it hides windows.
    std::optional<std::string> hideAll(pid_t, const Client& client) override {
        if (!sway.command("[app_id=\"^" + client.name + "$\"] move scratchpad")) {
            return "sway did not move the windows to the scratchpad";
        }
        return std::nullopt;
    }

protected:
    std::unique_ptr<Workspace> openOn(WaylandConnection& connection, Logger log,
                                      const XWaylandClients* xwayland) override {
        return WlrToplevelWorkspace::open(connection, std::move(log), xwayland);
    }

private:
    SwaySession sway{true};
};

} // namespace drowsel::wltest
