// SPDX-License-Identifier: GPL-3.0-or-later
#include "XSession.h"

#include <fstream>

namespace drowsel::xtest {

// Xvfb picks a free display itself, so parallel tests never collide, and
// names it once it accepts connections. openbox runs its start-up command
// once it manages windows: one mapped earlier would stay unmanaged for good.
// When a start fails, what did start is stopped as the session goes with the throw.
XSession::XSession() : DisplaySession("x11") {
    server = processes.start(
        {"sh", "-c", "exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>" + path("display")},
        environment(), path("xvfb.log"));
    displayName = ":" + firstLineOf(path("display"), server, "xvfb.log");
    setVariable("DISPLAY", displayName);
    const pid_t windowManager = processes.start({"openbox", "--sm-disable", "--startup", "touch " + path("managing")},
                                                environment(), path("openbox.log"));
    if (!waitUntil([&] { return std::ifstream(path("managing")).good() || !isRunning(windowManager); }, startTimeout) ||
        !isRunning(windowManager)) {
        fail("openbox did not start", "openbox.log");
    }
}

} // namespace drowsel::xtest
