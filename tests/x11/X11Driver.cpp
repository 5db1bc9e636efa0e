// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11Driver.h"

#include "platform/x11/X11Workspace.h"

#include <sstream>

namespace drowsel::xtest {

std::unique_ptr<Workspace> X11Driver::open(Logger log, const XWaylandClients*) {
    return X11Workspace::open(std::move(log), x.display().c_str());
}

pid_t X11Driver::start(const workspacetest::Client& client, const std::string& closeLog) {
    std::vector<std::string> command{
        DROWSEL_FIXTURE_CLIENT,         "--class", client.name, client.name, "--name", client.name, "--windows",
        std::to_string(client.windows), "--log",   closeLog};
    const std::map<workspacetest::Client::Role, const char*> roles{
        {workspacetest::Client::Role::dock, "--dock"}, {workspacetest::Client::Role::skipTaskbar, "--skip-taskbar"}};
    if (const auto role = roles.find(client.role); role != roles.end()) {
        command.push_back(role->second);
    }
    for (const auto& [wanted, option] : {std::pair{client.withDock, "--with-dock"},
                                         {client.refusesClose, "--ignore-delete"},
                                         {!client.hasPoliteClose, "--no-delete"}}) {
        if (wanted) {
            command.push_back(option);
        }
    }
    return x.start(command);
}

std::vector<std::string> X11Driver::windowsOf(const std::string& className) const {
    std::istringstream output(x.run({"xdotool", "search", "--class", "^" + className + "$"}).output);
    std::vector<std::string> ids;
    for (std::string id; output >> id;) {
        ids.push_back(id);
    }
    return ids;
}

bool X11Driver::activate(pid_t, const workspacetest::Client& client, int window) {
    return XSession::waitUntil(
        [&] {
            const auto windows = windowsOf(client.name);
            return std::size_t(window) < windows.size() &&
                   x.run({"xdotool", "windowactivate", "--sync", windows[std::size_t(window)]}).exitCode == 0;
        },
        std::chrono::seconds(20));
}

// openbox unmaps the windows it minimises, as the ICCCM asks.
std::optional<std::string> X11Driver::hideAll(pid_t, const workspacetest::Client& client) {
    for (const auto& window : windowsOf(client.name)) {
        if (x.run({"xdotool", "windowminimize", "--sync", window}).exitCode != 0) {
            return "xdotool did not minimise window " + window;
        }
    }
    return std::nullopt;
}

} // namespace drowsel::xtest
