// SPDX-License-Identifier: GPL-3.0-or-later
#include "SwaySession.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace drowsel::wltest {

// sway names its Wayland socket in its runtime folder, where nothing else is.
SwaySession::SwaySession(bool xwayland) : DisplaySession("sway") {
    runtimeDir = compositorFolder("sway-runtime");
    ipcSocket = runtimeDir + "/ipc";
    // Windows of app ids or classes "...Sentinel" mark that the test's events have arrived: they take no focus.
    std::ofstream(path("config")) << "output HEADLESS-1 resolution 1280x800\nfocus_follows_mouse no\n"
                                  << "no_focus [app_id=\"Sentinel$\"]\nno_focus [class=\"Sentinel$\"]\nxwayland "
                                  << (xwayland ? "enable" : "disable") << "\n";
    sway = processes.start(asCompositor({"sway", "-c", path("config")}),
                           {"PATH=/usr/bin:/bin", "HOME=" + compositorFolder("home"), "XDG_RUNTIME_DIR=" + runtimeDir,
                            "SWAYSOCK=" + ipcSocket, "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                            "WLR_RENDERER=pixman"},
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
    if (!waitUntil([&] { return !isRunning(sway) || answers(); }, startTimeout) || !isRunning(sway)) {
        fail("sway did not start", "sway.log");
    }
    if (xwayland) {
        openXWayland();
    }
}

// XWayland starts at its first client, but sway names its display at once, in
// the environment of what it runs; only sway's user may connect until it lets
// ours in.
void SwaySession::openXWayland() {
    const auto displayFile = runtimeDir + "/display";
    command("exec printenv DISPLAY > " + displayFile);
    xDisplay = firstLineOf(displayFile, sway, "sway.log");
    const auto xhost = asCompositor({"xhost", letUsIn()});
    const std::vector<std::string> xhostEnvironment{"PATH=/usr/bin:/bin", "DISPLAY=" + xDisplay};
    if (!waitUntil([&] { return processes.run(xhost, xhostEnvironment).exitCode == 0; }, startTimeout)) {
        fail("XWayland did not let us in", "sway.log");
    }
    setVariable("DISPLAY", xDisplay);
}

pid_t SwaySession::startFixture(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{DROWSEL_WAYLAND_FIXTURE_CLIENT};
    command.insert(command.end(), arguments.begin(), arguments.end());
    // Qt's Wayland plugin leaves allocations behind at exit: no leak check in sanitizer builds.
    return start(command, {"QT_QPA_PLATFORM=wayland", "LSAN_OPTIONS=detect_leaks=0"});
}

bool SwaySession::command(const std::string& swayCommand) const { return run({"swaymsg", swayCommand}).exitCode == 0; }

} // namespace drowsel::wltest
