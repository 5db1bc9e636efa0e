// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BackendDriver.h"
#include "platform/wayland/WaylandConnection.h"

#include <vector>

namespace drowsel::workspacetest {

// What the wlroots and KDE drivers share: a Wayland connection of its own for
// each workspace, kept until the driver goes, and the Qt fixture client.
class WaylandDriver : public BackendDriver {
public:
    using Client = workspacetest::Client;

    static constexpr const char* everyToplevelCloses =
        "every Wayland toplevel can be asked to close (xdg_toplevel.close)";

    std::unique_ptr<Workspace> open(Logger log, const XWaylandClients* xwayland = nullptr) override {
        auto connection = WaylandConnection::open(log, waylandDisplay().c_str());
        if (!connection) {
            return nullptr;
        }
        auto workspace = openOn(*connection, std::move(log), xwayland);
        connections.push_back(std::move(connection));
        return workspace;
    }

    // The name the session's choice gives this backend.
    virtual const char* backendName() const = 0;

protected:
    virtual std::unique_ptr<Workspace> openOn(WaylandConnection& connection, Logger log,
                                              const XWaylandClients* xwayland) = 0;

    static std::vector<std::string> fixtureArguments(const Client& client, const std::string& closeLog) {
        std::vector<std::string> arguments{"--app-id", client.name, "--windows", std::to_string(client.windows),
                                           "--log",    closeLog};
        if (client.refusesClose) {
            arguments.push_back("--refuse-close");
        }
        if (client.withDock) {
            arguments.push_back("--with-dock");
        }
        return arguments;
    }

    static std::string titleOf(const Client& client, int window) {
        return window == 0 ? client.name : client.name + " " + std::to_string(window + 1);
    }

private:
    std::vector<std::unique_ptr<WaylandConnection>> connections;
};

} // namespace drowsel::workspacetest
