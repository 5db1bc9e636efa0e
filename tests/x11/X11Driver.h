// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BackendDriver.h"
#include "XSession.h"
#include "platform/x11/X11Workspace.h"

#include <sstream>

namespace drowsel::xtest {

// The X11 workspace under Xvfb and openbox, with the xcb fixture client.
class X11Driver : public workspacetest::BackendDriver {
public:
    using Client = workspacetest::Client;

    static std::unique_ptr<BackendDriver> create() { return std::make_unique<X11Driver>(); }

    XSession& session() override { return x; }
    std::unique_ptr<Workspace> open(Logger log, const XWaylandClients* = nullptr) override {
        return X11Workspace::open(std::move(log), x.display().c_str());
    }
    std::optional<std::string> cannotStart(const Client&) const override { return std::nullopt; }

    pid_t start(const Client& client, const std::string& closeLog) override {
        std::vector<std::string> command{
            DROWSEL_FIXTURE_CLIENT,         "--class", client.name, client.name, "--name", client.name, "--windows",
            std::to_string(client.windows), "--log",   closeLog};
        for (const auto& [wanted, option] : {std::pair{client.role == Client::Role::dock, "--dock"},
                                             {client.role == Client::Role::skipTaskbar, "--skip-taskbar"},
                                             {client.withDock, "--with-dock"},
                                             {client.refusesClose, "--ignore-delete"},
                                             {!client.hasPoliteClose, "--no-delete"}}) {
            if (wanted) {
                command.push_back(option);
            }
        }
        return x.start(command);
    }

    bool activate(pid_t, const Client& client, int window = 0) override {
        return XSession::waitUntil(
            [&] {
                const auto windows = windowsOf(client.name);
                return std::size_t(window) < windows.size() &&
                       x.run({"xdotool", "windowactivate", "--sync", windows[std::size_t(window)]}).exitCode == 0;
            },
            std::chrono::seconds(20));
    }

    // openbox unmaps the windows it minimises, as the ICCCM asks.
    std::optional<std::string> hideAll(pid_t, const Client& client) override {
        for (const auto& window : windowsOf(client.name)) {
            if (x.run({"xdotool", "windowminimize", "--sync", window}).exitCode != 0) {
                return "xdotool did not minimise window " + window;
            }
        }
        return std::nullopt;
    }

private:
    std::vector<std::string> windowsOf(const std::string& className) const {
        std::istringstream output(x.run({"xdotool", "search", "--class", "^" + className + "$"}).output);
        return {std::istream_iterator<std::string>(output), std::istream_iterator<std::string>()};
    }

    XSession x;
};

} // namespace drowsel::xtest
