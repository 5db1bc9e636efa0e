// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplaySession.h"

#include <string>
#include <sys/types.h>

namespace drowsel::xtest {

// A private X session: Xvfb on a free display (-displayfd) with openbox as the
// window manager, and the clients a test starts in it (DISPLAY set to it).
class XSession : public processes::DisplaySession {
public:
    // Throws std::runtime_error when the server or the window manager does not come up.
    XSession();

    // ":N", for DISPLAY or xcb_connect.
    const std::string& display() const { return displayName; }
    pid_t serverPid() const { return server; }

private:
    std::string displayName;
    pid_t server = -1;
};

} // namespace drowsel::xtest
