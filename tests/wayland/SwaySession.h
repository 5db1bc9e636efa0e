// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplaySession.h"

#include <string>
#include <vector>

namespace drowsel::wltest {

// A private headless sway, with XWayland when asked, and the clients a test
// starts in it. sway refuses to run as root: then it runs as nobody, while the
// clients keep the test's user and a runtime folder of their own.
class SwaySession : public processes::DisplaySession {
public:
    // Throws std::runtime_error when sway or XWayland does not come up.
    explicit SwaySession(bool xwayland = false);

    // The compositor's socket, absolute: for WAYLAND_DISPLAY or wl_display_connect.
    const std::string& waylandDisplay() const { return waylandSocket; }
    // ":N" of XWayland; empty without it.
    const std::string& x11Display() const { return xDisplay; }
    // sway's IPC socket, for SWAYSOCK.
    const std::string& ipcSocketPath() const { return ipcSocket; }

    // The Qt fixture client as a native Wayland client, with its options.
    pid_t startFixture(const std::vector<std::string>& arguments);
    // Runs one sway command; true when sway did it (criteria that match nothing fail).
    bool command(const std::string& swayCommand) const;
    // Ends sway (and XWayland with it), as a crash or logout would.
    void stopCompositor() { stop(sway); }

private:
    void openXWayland();

    std::string runtimeDir;
    std::string waylandSocket;
    std::string ipcSocket;
    std::string xDisplay;
    pid_t sway = -1;
};

} // namespace drowsel::wltest
