// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/wayland/WaylandApplication.h"

namespace drowsel {

bool WaylandApplication::terminate() {
    const auto liveCloser = closer.lock();
    if (!running || !liveCloser) {
        return false;
    }
    bool anyAsked = false;
    for (const auto toplevel : facts.toplevels) {
        anyAsked = liveCloser->close(toplevel) || anyAsked;
    }
    return anyAsked;
}

void WaylandApplication::markGone() {
    running = false;
    facts.toplevels.clear();
}

} // namespace drowsel
