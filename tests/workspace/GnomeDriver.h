// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "GnomeSession.h"
#include "QtEventPump.h"
#include "WaylandDriver.h"
#include "platform/gnome/GnomeShellWorkspace.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <cstdlib>
#include <cstring>

namespace drowsel::gnometest {

// The GNOME workspace under a private GNOME Shell with Drowsel's extension and
// XWayland, with the Qt fixture client; the test moves the shell's windows
// through its Eval.
class GnomeDriver : public workspacetest::WaylandDriver {
public:
    // The suites of a program share one shell, whose bus and XWayland the
    // session's workspaces opened in this process use.
    static std::shared_ptr<GnomeSession> sharedSession() {
        static const auto shared = [] {
            auto shell = std::make_shared<GnomeSession>(ShellExtensions{.unsafeMode = true});
            for (const auto& variable : shell->environment()) {
                if (variable.starts_with("DBUS_SESSION_BUS_ADDRESS=") || variable.starts_with("XAUTHORITY=")) {
                    putenv(strdup(variable.c_str()));
                }
            }
            return shell;
        }();
        return shared;
    }
    static std::unique_ptr<BackendDriver> create() { return std::make_unique<GnomeDriver>(sharedSession()); }
    // For a case that ends the shell.
    static std::unique_ptr<BackendDriver> createAlone() {
        return std::make_unique<GnomeDriver>(std::make_shared<GnomeSession>(ShellExtensions{.unsafeMode = true}));
    }

    explicit GnomeDriver(std::shared_ptr<GnomeSession> shell) : gnome(std::move(shell)) {}

    GnomeSession& session() override { return *gnome; }
    const char* backendName() const override { return "gnome"; }

    std::optional<std::string> cannotStart(const Client& client) const override {
        if (client.role != Client::Role::ordinary || client.withDock) {
            return "GNOME Shell lets no Wayland client be a dock or leave the taskbar";
        }
        return client.hasPoliteClose ? std::nullopt : std::optional<std::string>(everyToplevelCloses);
    }

    // Started once the shell shows all its windows, so that none takes the focus later.
    pid_t start(const Client& client, const std::string& closeLog) override {
        const auto pid = WaylandDriver::start(client, closeLog);
        const auto all = std::to_string(client.windows);
        if (!GnomeSession::waitUntil([&] { return forWindowsOf(pid, "", "w.showing_on_its_workspace()") == all; },
                                     std::chrono::seconds(20), pumpQtEvents)) {
            throw std::runtime_error("GNOME Shell did not show " + client.name);
        }
        return pid;
    }

    // With a time of now: Mutter refuses an activation older than the focused window's last use.
    bool activate(pid_t pid, const Client& client, int window = 0) override {
        return GnomeSession::waitUntil(
            [&] {
                return forWindowsOf(pid, client.isX11 ? "" : titleOf(client, window),
                                    "w.activate(global.display.get_current_time_roundtrip()) || "
                                    "global.display.focus_window === w") == "1";
            },
            std::chrono::seconds(20), pumpQtEvents);
    }

    std::optional<std::string> hideAll(pid_t pid, const Client&) override {
        const auto minimised = forWindowsOf(pid, "", "w.minimize() || w.minimized");
        return minimised != "0" ? std::nullopt : std::optional<std::string>("Shell minimised no window");
    }

    // The extension's answer comes after every signal it sent before: once
    // each connection has it, the signals wait in the event queue, handled next.
    bool catchUp() override {
        auto buses = connections;
        buses.push_back(QDBusConnection::sessionBus());
        for (auto& bus : buses) {
            bus.call(QDBusMessage::createMethodCall(GnomeShellWorkspace::service, GnomeShellWorkspace::path,
                                                    GnomeShellWorkspace::interface, QStringLiteral("ListWindows")));
        }
        pumpQtEvents();
        return true;
    }

    // Runs the test on each window of the process (titled caption, unless
    // empty), named w in it: how many passed it.
    std::string forWindowsOf(pid_t pid, const std::string& caption, const std::string& test) {
        return gnome->eval(
            "global.get_window_actors().map(a => a.meta_window).filter(w => w.get_pid() == " + std::to_string(pid) +
            (caption.empty() ? "" : " && w.get_title() == '" + caption + "'") + ").filter(w => " + test + ").length");
    }

protected:
    // A bus connection of its own for each workspace, as the program's session bus would be.
    std::unique_ptr<Workspace> openOn(WaylandConnection&, Logger log, const XWaylandClients* xwayland) override {
        connections.push_back(QDBusConnection::connectToBus(QString::fromStdString(gnome->busAddress()),
                                                            QStringLiteral("gnome-driver-%1").arg(++opened)));
        return GnomeShellWorkspace::open(connections.back(), std::move(log), xwayland);
    }

private:
    std::shared_ptr<GnomeSession> gnome;
    std::vector<QDBusConnection> connections;
    // Qt keeps a connection by its name for good: each is new.
    static inline int opened = 0;
};

} // namespace drowsel::gnometest
