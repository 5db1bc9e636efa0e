// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DisplayProbe.h"

#include <wayland-client.h>
#include <xcb/xcb.h>

namespace drowsel {

namespace {

bool x11Answers() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

// A name relative to a runtime folder that is not set leads nowhere, and
// libwayland would say so on stderr beside our own line.
bool waylandAnswers() {
    if (!qEnvironmentVariable("WAYLAND_DISPLAY").startsWith(QLatin1Char('/')) &&
        qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        return false;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display != nullptr) {
        wl_display_disconnect(display);
    }
    return display != nullptr;
}

// An empty variable counts as unset; wl_display_connect would try "wayland-0" for it.
bool keepIfItAnswers(const char* variable, bool (*answers)()) {
    if (qEnvironmentVariableIsEmpty(variable)) {
        return false;
    }
    if (answers()) {
        return true;
    }
    qunsetenv(variable);
    return false;
}

} // namespace

bool DisplayProbe::keepDisplaysThatAnswer() {
    const bool x11 = keepIfItAnswers("DISPLAY", x11Answers);
    const bool wayland = keepIfItAnswers("WAYLAND_DISPLAY", waylandAnswers);
    return x11 || wayland;
}

QString DisplayProbe::noDisplayMessage() {
    return tr("drowsel: no display answers: DISPLAY and WAYLAND_DISPLAY name none that can be reached");
}

} // namespace drowsel
