// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/WindowCloser.h"

#include <vector>

namespace drowsel {

WindowCloser::WindowCloser(const XcbConnection& connection, std::function<void()> afterRoundTrip)
    : connection(connection), afterRoundTrip(std::move(afterRoundTrip)) {}

std::size_t WindowCloser::askToClose(std::span<const xcb_window_t> windows) const {
    std::vector<xcb_void_cookie_t> cookies;
    for (const auto window : windows) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = connection.atoms().WM_PROTOCOLS;
        message.data.data32[0] = connection.otherAtoms().wmDeleteWindow;
        message.data.data32[1] = XCB_CURRENT_TIME;
        cookies.push_back(xcb_send_event_checked(connection.get(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                                                 reinterpret_cast<const char*>(&message)));
    }
    // Checked, so that a window gone meanwhile does not count as asked.
    std::size_t delivered = 0;
    for (const auto cookie : cookies) {
        XcbReply<xcb_generic_error_t> error(xcb_request_check(connection.get(), cookie));
        delivered += error || connection.hasError() ? 0 : 1;
    }
    if (!cookies.empty()) {
        afterRoundTrip();
    }
    return delivered;
}

} // namespace drowsel
