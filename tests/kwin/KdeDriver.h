// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "KWinSession.h"
#include "WaylandDriver.h"
#include "platform/wayland/PlasmaWindowWorkspace.h"

#include <filesystem>

namespace drowsel::wltest {

// The KDE workspace under a private KWin with XWayland, with the Qt fixture
// client; KWin grants the window list to the test program and to Drowsel.
class KdeDriver : public workspacetest::WaylandDriver {
public:
    static std::unique_ptr<BackendDriver> create() { return std::make_unique<KdeDriver>(); }

    KWinSession& session() override { return kwin; }
    const char* backendName() const override { return "kde"; }

    std::optional<std::string> cannotStart(const Client& client) const override {
        if (client.role == Client::Role::dock) {
            return "KWin lists a panel only as a window the taskbar leaves out: the skip-taskbar cases stand for it";
        }
        return client.hasPoliteClose ? std::nullopt : std::optional<std::string>(everyToplevelCloses);
    }

    // KWin lists a window to clients before it shows it, and activates it as it
    // shows; its scripts see only shown windows. The client is started once all
    // its windows are shown, so that none takes the focus later. Its dock is a
    // window the taskbar leaves out, as Plasma's panels are listed.
    pid_t start(const Client& client, const std::string& closeLog) override {
        const auto pid = WaylandDriver::start(client, closeLog);
        const auto windows = std::to_string(client.windows + (client.withDock ? 1 : 0));
        const std::string leaveOut = "window.skipTaskbar = true; return 'done';";
        if (!untilDone(pid, "", "tally += 1; if (tally == " + windows + ") { return 'done'; }") ||
            (client.role == Client::Role::skipTaskbar && !untilDone(pid, client.name, leaveOut)) ||
            (client.withDock && !untilDone(pid, client.name + "Dock", leaveOut))) {
            throw std::runtime_error("KWin did not show " + client.name + " as asked");
        }
        return pid;
    }

    bool activate(pid_t pid, const Client& client, int window = 0) override {
        return untilDone(pid, client.isX11 ? "" : titleOf(client, window),
                         "workspace.activeClient = window; if (workspace.activeClient == window) { return 'done'; }");
    }

    std::optional<std::string> hideAll(pid_t pid, const Client&) override {
        if (kwin.forWindowsOf(pid, "", "window.minimized = true; return 'done';") != "done") {
            return "KWin did not minimise the windows";
        }
        return std::nullopt;
    }

protected:
    std::unique_ptr<Workspace> openOn(WaylandConnection& connection, Logger log,
                                      const XWaylandClients* xwayland) override {
        return PlasmaWindowWorkspace::open(connection, std::move(log), xwayland);
    }

private:
    bool untilDone(pid_t pid, const std::string& caption, const std::string& body) {
        return KWinSession::waitUntil([&] { return kwin.forWindowsOf(pid, caption, body) == "done"; },
                                      std::chrono::seconds(20));
    }

    KWinSession kwin{{std::filesystem::read_symlink("/proc/self/exe"), DROWSEL_BINARY}};
};

} // namespace drowsel::wltest
