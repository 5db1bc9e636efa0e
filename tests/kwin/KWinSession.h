// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplaySession.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace drowsel::wltest {

// A private KDE Plasma compositor: KWin on a virtual output with XWayland, on
// a session bus of its own, run as nobody when the tests run as root; and the
// clients a test starts in it (as the test's own user).
class KWinSession : public processes::DisplaySession {
public:
    struct Options {
        // Absolute paths of the programs KWin offers its window list and window
        // controls to (org_kde_plasma_window_management), by desktop entries
        // installed before it starts.
        std::vector<std::string> windowManagers;
    };

    // Throws std::runtime_error when the bus, KWin or XWayland does not come up.
    explicit KWinSession(const Options& options = {});

    // The absolute path of KWin's socket: a display name for wl_display_connect.
    const std::string& waylandDisplay() const { return socketPath; }
    // ":N", XWayland's display.
    const std::string& x11Display() const { return xDisplay; }

    // The Qt fixture client as a native Wayland client, with its options.
    pid_t startFixture(const std::vector<std::string>& arguments);
    // Runs a function body as a KWin script with `window`, in turn, each
    // window of the process (with that caption when one is given): the last
    // answer it returned, as text; "none" when it returned none. The body may
    // count in `tally`, from 0.
    std::string forWindowsOf(pid_t pid, const std::string& caption, const std::string& body) const;
    // Ends KWin (and XWayland with it), as a crash or logout would.
    void stopCompositor() { stop(kwin); }

private:
    std::string evaluate(const std::string& functionBody) const;
    std::string dbusCall(const std::string& object, const std::string& method,
                         const std::vector<std::string>& arguments) const;

    std::string socketPath;
    std::string xDisplay;
    pid_t kwin = -1;
    mutable int scriptCount = 0;
};

} // namespace drowsel::wltest
