// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "KWinSession.h"
#include "WaylandDriver.h"

namespace drowsel::wltest {

// The KDE workspace under a private KWin with XWayland, with the Qt fixture
// client; KWin grants the window list to the test program and to Drowsel.
class KdeDriver : public workspacetest::WaylandDriver {
public:
    KdeDriver();
    static std::unique_ptr<BackendDriver> create() { return std::make_unique<KdeDriver>(); }

    KWinSession& session() override { return kwin; }
    std::optional<std::string> cannotStart(const workspacetest::Client& client) const override;
    pid_t start(const workspacetest::Client& client, const std::string& closeLog) override;
    bool activate(pid_t pid, const workspacetest::Client& client, int window = 0) override;
    std::optional<std::string> hideAll(pid_t pid, const workspacetest::Client& client) override;
    void endServer() override { kwin.stopCompositor(); }
    std::string waylandDisplay() const override { return kwin.waylandDisplay(); }
    std::string x11Display() const override { return kwin.x11Display(); }
    const char* backendName() const override { return "kde"; }

protected:
    std::unique_ptr<Workspace> openOn(WaylandConnection& connection, Logger log,
                                      const XWaylandClients* xwayland) override;

private:
    // Runs the script body on the process's window of that caption until it answers "done".
    bool untilDone(pid_t pid, const std::string& caption, const std::string& body);

    KWinSession kwin;
};

} // namespace drowsel::wltest
