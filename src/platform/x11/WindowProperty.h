// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/x11/XcbConnection.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace drowsel {

// One property of another client's window. Its value is untrusted input: every
// reading checks the type and format first and gives nothing when they are
// wrong, and texts come out as valid UTF-8 whatever bytes the client wrote.
class WindowProperty {
public:
    // Reads at most this many 32-bit units; longer values are truncated.
    static constexpr std::uint32_t defaultLength = 4096;

    static xcb_get_property_cookie_t request(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                                             std::uint32_t length = defaultLength);
    static WindowProperty reply(xcb_connection_t* connection, xcb_get_property_cookie_t cookie);
    // A reply already in hand; the fuzzers build their own.
    explicit WindowProperty(XcbReply<xcb_get_property_reply_t> value) : value(std::move(value)) {}

    bool isPresent() const { return value && value->type != XCB_ATOM_NONE; }
    // Present but unreadable as what it should be: worth a log line.
    bool isMalformed() const { return malformed; }

    // The first string of a STRING or UTF8_STRING value.
    std::optional<std::string> text(xcb_atom_t utf8String);
    // The NUL-separated strings of a STRING value (WM_CLASS).
    std::vector<std::string> strings(xcb_atom_t utf8String);
    // The 32-bit items of a value of the given type (CARDINAL, ATOM, WINDOW).
    std::span<const std::uint32_t> items(xcb_atom_t type);
    std::optional<std::uint32_t> firstItem(xcb_atom_t type);

private:
    std::optional<std::string_view> bytes(xcb_atom_t utf8String);

    XcbReply<xcb_get_property_reply_t> value;
    bool malformed = false;
};

} // namespace drowsel
