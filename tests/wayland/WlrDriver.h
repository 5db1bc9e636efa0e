// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SwaySession.h"
#include "WaylandDriver.h"

namespace drowsel::wltest {

// The wlroots workspace under a headless sway with XWayland, with the Qt fixture client.
class WlrDriver : public workspacetest::WaylandDriver {
public:
    static std::unique_ptr<BackendDriver> create() { return std::make_unique<WlrDriver>(); }

    SwaySession& session() override { return sway; }
    std::optional<std::string> cannotStart(const workspacetest::Client& client) const override;
    pid_t start(const workspacetest::Client& client, const std::string& closeLog) override;
    bool activate(pid_t pid, const workspacetest::Client& client, int window = 0) override;
    std::optional<std::string> hideAll(pid_t pid, const workspacetest::Client& client) override;
    void endServer() override { sway.stopCompositor(); }
    std::string waylandDisplay() const override { return sway.waylandDisplay(); }
    std::string x11Display() const override { return sway.x11Display(); }
    const char* backendName() const override { return "wlr"; }

protected:
    std::unique_ptr<Workspace> openOn(WaylandConnection& connection, Logger log,
                                      const XWaylandClients* xwayland) override;

private:
    SwaySession sway{true};
};

} // namespace drowsel::wltest
