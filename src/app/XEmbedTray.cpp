// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/XEmbedTray.h"

#include "platform/x11/XcbReply.h"

#include <cstring>
#include <string>

namespace drowsel {

namespace {

// _NET_SYSTEM_TRAY_COLORS: foreground, error, warning, success; red, green, blue each in 16 bits.
constexpr std::uint32_t colourValues = 12;
constexpr int sixteenToEightBits = 8;

} // namespace

std::unique_ptr<XEmbedTray> XEmbedTray::connect() {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<XEmbedTray>(new XEmbedTray(connection, screen));
}

XEmbedTray::XEmbedTray(xcb_connection_t* connection, int screen) : connection(connection) {
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; index < screen && screens.rem > 0; ++index) {
        xcb_screen_next(&screens);
    }
    root = screens.data->root;
    selection = atom(("_NET_SYSTEM_TRAY_S" + std::to_string(screen)).c_str());
    colours = atom("_NET_SYSTEM_TRAY_COLORS");
    const std::uint32_t rootEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &rootEvents);
    refreshManager();
}

XEmbedTray::~XEmbedTray() { xcb_disconnect(connection); }

xcb_atom_t XEmbedTray::atom(const char* name) const {
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool XEmbedTray::readEvents() {
    bool arrived = false;
    // Any event may be the MANAGER message or the manager's window going: ask
    // again. Events that came during that question wait in xcb's queue, where
    // the descriptor does not tell of them.
    while (drainEvents()) {
        arrived = true;
        refreshManager();
    }
    return arrived;
}

bool XEmbedTray::drainEvents() {
    bool arrived = false;
    while (const XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(connection)}) {
        arrived = true;
    }
    return arrived;
}

void XEmbedTray::refreshManager() {
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr));
    const xcb_window_t current = owner ? owner->owner : xcb_window_t(XCB_WINDOW_NONE);
    if (current == manager) {
        return;
    }
    manager = current;
    if (manager != XCB_WINDOW_NONE) {
        // Its DestroyNotify tells that it went, a PropertyNotify of new colours.
        const std::uint32_t managerEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection, manager, XCB_CW_EVENT_MASK, &managerEvents);
    }
    xcb_flush(connection);
}

std::optional<QColor> XEmbedTray::foreground() const {
    if (manager == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, manager, colours, XCB_ATOM_CARDINAL, 0, colourValues), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 3 * 4) {
        return std::nullopt;
    }
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return QColor(int(values[0] >> sixteenToEightBits), int(values[1] >> sixteenToEightBits),
                  int(values[2] >> sixteenToEightBits));
}

} // namespace drowsel
