// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/x11/XcbConnection.h"

#include <functional>
#include <span>

namespace drowsel {

// Asks windows to close the way their close button does: the ICCCM
// WM_DELETE_WINDOW message, so the application may ask to save its work.
// Never forces: no _NET_CLOSE_WINDOW (a window manager may answer it by
// killing the client), no XKillClient, no signal.
class WindowCloser {
public:
    // afterRoundTrip runs after each request round trip, so that events read
    // meanwhile are not left waiting in xcb's queue.
    WindowCloser(const XcbConnection& connection, std::function<void()> afterRoundTrip);

    // The number of windows that received the message.
    std::size_t askToClose(std::span<const xcb_window_t> windows) const;

private:
    const XcbConnection& connection;
    std::function<void()> afterRoundTrip;
};

} // namespace drowsel
