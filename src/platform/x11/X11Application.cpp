// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/X11Application.h"

namespace drowsel {

bool X11Application::terminate() {
    const auto liveCloser = closer.lock();
    if (!running || !liveCloser) {
        return false;
    }
    return liveCloser->askToClose(facts.closableWindows) > 0;
}

void X11Application::update(Facts current) {
    facts = std::move(current);
    hasLaunched = hasLaunched || facts.hasMappedWindow;
}

void X11Application::markGone() {
    running = false;
    facts.closableWindows.clear();
}

} // namespace drowsel
