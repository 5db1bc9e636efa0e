// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplaySession.h"
#include "core/Logger.h"
#include "core/Workspace.h"
#include "platform/wayland/XWaylandClients.h"

#include <memory>
#include <optional>
#include <string>

namespace drowsel::workspacetest {

// A client a case asks for. Its application is named `name`: its X11 class or
// its Wayland app id; its first window is titled `name`, further ones
// "<name> 2", "<name> 3", ...
struct Client {
    enum class Role { ordinary, dock, skipTaskbar };

    std::string name;
    Role role = Role::ordinary;
    int windows = 1;
    // One more window of the same process: a dock (or panel) named "<name>Dock".
    bool withDock = false;
    bool refusesClose = false;
    // False: no polite close request can reach it.
    bool hasPoliteClose = true;
    // An X client, shown through XWayland in a Wayland session.
    bool isX11 = false;
};

// One workspace backend as the contract suite drives it: its display server,
// its workspace and real clients that do what a case asks.
class BackendDriver {
public:
    virtual ~BackendDriver() = default;

    virtual processes::DisplaySession& session() = 0;
    // Null when it cannot be opened. xwayland: what the X11 workspace knows of
    // XWayland's clients, for the Wayland backends.
    virtual std::unique_ptr<Workspace> open(Logger log, const XWaylandClients* xwayland = nullptr) = 0;
    // Why this backend cannot show such a client; nothing when it can.
    virtual std::optional<std::string> cannotStart(const Client& client) const = 0;
    // Its PID. Close requests it receives go to closeLog as "<window> delete request".
    virtual pid_t start(const Client& client, const std::string& closeLog) = 0;
    // Makes the client's window (from 0) the active one; true once the server did.
    virtual bool activate(pid_t pid, const Client& client, int window = 0) = 0;
    // Minimises or otherwise unmaps every window of the client; why it cannot, else nothing.
    virtual std::optional<std::string> hideAll(pid_t pid, const Client& client) = 0;
    // Sees to it that the workspaces opened have handled all the server sent
    // so far; false when the driver cannot, and a sentinel client must show it.
    virtual bool catchUp() { return false; }
    // The name the session's choice gives this backend.
    virtual const char* backendName() const { return "x11"; }
    // Ends the display server, as a crash or logout would.
    void endServer() { session().stop(session().serverPid()); }
};

using DriverFactory = std::unique_ptr<BackendDriver> (*)();

} // namespace drowsel::workspacetest
