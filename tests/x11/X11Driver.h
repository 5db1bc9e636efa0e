// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BackendDriver.h"
#include "XSession.h"

#include <QObject>

namespace drowsel::xtest {

// The X11 workspace under Xvfb and openbox, with the xcb fixture client.
class X11Driver : public workspacetest::BackendDriver {
public:
    static std::unique_ptr<BackendDriver> create() { return std::make_unique<X11Driver>(); }

    XSession& session() override { return x; }
    std::unique_ptr<Workspace> open(Logger log, const XWaylandClients* xwayland = nullptr) override;
    std::optional<std::string> cannotStart(const workspacetest::Client&) const override { return std::nullopt; }
    pid_t start(const workspacetest::Client& client, const std::string& closeLog) override;
    bool activate(pid_t pid, const workspacetest::Client& client, int window = 0) override;
    std::optional<std::string> hideAll(pid_t pid, const workspacetest::Client& client) override;
    void endServer() override { x.stop(x.serverPid()); }
    // The client's windows, by their class.
    std::vector<std::string> windowsOf(const std::string& className) const;

private:
    XSession x;
};

} // namespace drowsel::xtest
