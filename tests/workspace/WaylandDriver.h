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

    // The Qt fixture client as a native Wayland client.
    pid_t start(const Client& client, const std::string& closeLog) override {
        std::vector<std::string> command{DROWSEL_WAYLAND_FIXTURE_CLIENT, "--app-id", client.name, "--windows",
                                         std::to_string(client.windows), "--log",    closeLog};
        for (const auto& [wanted, option] :
             {std::pair{client.refusesClose, "--refuse-close"}, {client.withDock, "--with-dock"}}) {
            if (wanted) {
                command.push_back(option);
            }
        }
        return session().startQtWaylandClient(command);
    }

    std::unique_ptr<Workspace> open(Logger log, const XWaylandClients* xwayland = nullptr) override {
        auto connection = WaylandConnection::open(log, session().waylandDisplay().c_str());
        if (!connection) {
            return nullptr;
        }
        auto workspace = openOn(*connection, std::move(log), xwayland);
        connections.push_back(std::move(connection));
        return workspace;
    }

protected:
    virtual std::unique_ptr<Workspace> openOn(WaylandConnection& connection, Logger log,
                                              const XWaylandClients* xwayland) = 0;

    static std::string titleOf(const Client& client, int window) {
        return window == 0 ? client.name : client.name + " " + std::to_string(window + 1);
    }

private:
    std::vector<std::unique_ptr<WaylandConnection>> connections;
};

} // namespace drowsel::workspacetest
