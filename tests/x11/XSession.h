// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplaySession.h"

#include <fstream>
#include <string>

namespace drowsel::xtest {

// A private X session: Xvfb on a free display with openbox as the window
// manager, and the clients a test starts in it (DISPLAY set to it).
class XSession : public processes::DisplaySession {
public:
    // Xvfb picks a free display itself, so parallel tests never collide, and
    // names it once it accepts connections. openbox runs its start-up command
    // once it manages windows: one mapped earlier would stay unmanaged for
    // good. Throws std::runtime_error when either does not come up.
    XSession() : DisplaySession("x11") {
        server = ChildProcesses::start(
            {"sh", "-c", "exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>" + path("display")},
            environment(), path("xvfb.log"));
        xDisplay = ":" + firstLineOf(path("display"), server, "xvfb.log");
        setVariable("DISPLAY", xDisplay);
        const pid_t windowManager = ChildProcesses::start(
            {"openbox", "--sm-disable", "--startup", "touch " + path("managing")}, environment(), path("openbox.log"));
        awaitReady([&] { return std::ifstream(path("managing")).good(); }, windowManager, "openbox did not start",
                   "openbox.log");
    }

    // ":N", for DISPLAY or xcb_connect.
    const std::string& display() const { return xDisplay; }
};

} // namespace drowsel::xtest
