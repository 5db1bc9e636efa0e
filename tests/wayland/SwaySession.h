// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplaySession.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace drowsel::wltest {

// A private headless sway, with XWayland when asked, and the clients a test
// starts in it. sway refuses to run as root: then it runs as nobody, while the
// clients keep the test's user and a runtime folder of their own.
class SwaySession : public processes::DisplaySession {
public:
    // Throws std::runtime_error when sway or XWayland does not come up.
    // sway names its Wayland socket in its runtime folder, where nothing else is.
    explicit SwaySession(bool xwayland = false) : DisplaySession("sway") {
        runtimeDir = compositorFolder("sway-runtime");
        ipcSocket = runtimeDir + "/ipc";
        // Windows of app ids or classes "...Sentinel" mark that the test's events have arrived: they take no focus.
        std::ofstream(path("config")) << "output HEADLESS-1 resolution 1280x800\nfocus_follows_mouse no\n"
                                      << "no_focus [app_id=\"Sentinel$\"]\nno_focus [class=\"Sentinel$\"]\nxwayland "
                                      << (xwayland ? "enable" : "disable") << "\n";
        server = ChildProcesses::start(asCompositor({"sway", "-c", path("config")}),
                                       {"PATH=/usr/bin:/bin", "HOME=" + compositorFolder("home"),
                                        "XDG_RUNTIME_DIR=" + runtimeDir, "SWAYSOCK=" + ipcSocket,
                                        "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"},
                                       path("sway.log"));
        mkdir(path("runtime").c_str(), 0700);
        for (const auto* name :
             {"WAYLAND_SOCKET", "DISPLAY", "XAUTHORITY", "I3SOCK", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"}) {
            setVariable(name, std::nullopt);
        }
        setVariable("XDG_RUNTIME_DIR", path("runtime"));
        setVariable("XDG_SESSION_TYPE", "wayland");
        setVariable("XDG_CURRENT_DESKTOP", "sway");
        setVariable("SWAYSOCK", ipcSocket);
        const auto answers = [this] {
            for (const auto& entry : std::filesystem::directory_iterator(runtimeDir)) {
                waylandSocket = entry.path().filename().string().starts_with("wayland-") && entry.is_socket()
                                    ? entry.path().string()
                                    : waylandSocket;
            }
            setVariable("WAYLAND_DISPLAY", waylandSocket);
            return !waylandSocket.empty() && run({"swaymsg", "-t", "get_version"}).exitCode == 0;
        };
        awaitReady(answers, server, "sway did not start", "sway.log");
        if (xwayland) {
            openXWayland();
        }
    }

    // sway's IPC socket, for SWAYSOCK.
    const std::string& ipcSocketPath() const { return ipcSocket; }

    // Runs one sway command; true when sway did it (criteria that match nothing fail).
    bool command(const std::string& swayCommand) const { return run({"swaymsg", swayCommand}).exitCode == 0; }

private:
    // XWayland starts at its first client, but sway names its display at once, in
    // the environment of what it runs; only sway's user may connect until it lets
    // ours in.
    void openXWayland() {
        const auto displayFile = runtimeDir + "/display";
        command("exec printenv DISPLAY > " + displayFile);
        xDisplay = firstLineOf(displayFile, server, "sway.log");
        const auto xhost = asCompositor({"xhost", letUsIn()});
        const std::vector<std::string> xhostEnvironment{"PATH=/usr/bin:/bin", "DISPLAY=" + xDisplay};
        awaitReady([&] { return ChildProcesses::run(xhost, xhostEnvironment).exitCode == 0; }, server,
                   "XWayland did not let us in", "sway.log");
        setVariable("DISPLAY", xDisplay);
    }

    std::string runtimeDir;
    std::string ipcSocket;
};

} // namespace drowsel::wltest
