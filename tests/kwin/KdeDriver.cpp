// SPDX-License-Identifier: GPL-3.0-or-later
#include "KdeDriver.h"

#include "platform/wayland/PlasmaWindowWorkspace.h"

#include <filesystem>

namespace drowsel::wltest {

using workspacetest::Client;

KdeDriver::KdeDriver() : kwin({.windowManagers = {std::filesystem::read_symlink("/proc/self/exe"), DROWSEL_BINARY}}) {}

std::unique_ptr<Workspace> KdeDriver::openOn(WaylandConnection& connection, Logger log,
                                             const XWaylandClients* xwayland) {
    return PlasmaWindowWorkspace::open(connection, std::move(log), xwayland);
}

std::optional<std::string> KdeDriver::cannotStart(const Client& client) const {
    if (client.role == Client::Role::dock) {
        return "KWin's window list shows a panel only as a window the taskbar leaves out: the skip-taskbar "
               "cases stand for it";
    }
    if (!client.hasPoliteClose) {
        return "every Wayland toplevel can be asked to close (xdg_toplevel.close)";
    }
    return std::nullopt;
}

// KWin lists a window to clients before it shows it, and activates it as it
// shows; its scripts see only shown windows. The client is started once all
// its windows are shown, so that none takes the focus later. A dock here is a window the taskbar leaves out, as
// Plasma's panels are listed.
pid_t KdeDriver::start(const Client& client, const std::string& closeLog) {
    const auto pid = kwin.startFixture(fixtureArguments(client, closeLog));
    const auto shown = std::to_string(client.windows + (client.withDock ? 1 : 0));
    const std::string leaveOut = "window.skipTaskbar = true; return 'done';";
    const auto allShown = "tally += 1; if (tally == " + shown + ") { return 'done'; }";
    if (!untilDone(pid, "", allShown) ||
        (client.role == Client::Role::skipTaskbar && !untilDone(pid, client.name, leaveOut)) ||
        (client.withDock && !untilDone(pid, client.name + "Dock", leaveOut))) {
        throw std::runtime_error("KWin did not show " + client.name + " as asked");
    }
    return pid;
}

// KWin lists a window before it shows it, and activates only shown ones.
bool KdeDriver::activate(pid_t pid, const Client& client, int window) {
    return untilDone(pid, client.isX11 ? "" : titleOf(client, window),
                     "workspace.activeClient = window; if (workspace.activeClient == window) { return 'done'; }");
}

std::optional<std::string> KdeDriver::hideAll(pid_t pid, const Client&) {
    if (kwin.forWindowsOf(pid, "", "window.minimized = true; return 'done';") != "done") {
        return "KWin did not minimise the windows";
    }
    return std::nullopt;
}

bool KdeDriver::untilDone(pid_t pid, const std::string& caption, const std::string& body) {
    return KWinSession::waitUntil([&] { return kwin.forWindowsOf(pid, caption, body) == "done"; },
                                  std::chrono::seconds(20));
}

} // namespace drowsel::wltest
