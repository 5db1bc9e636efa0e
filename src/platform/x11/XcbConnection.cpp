// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/XcbConnection.h"

#include <xcb/res.h>

#include <array>
#include <string_view>

namespace drowsel {

std::unique_ptr<XcbConnection> XcbConnection::connect(const char* displayName, std::string& error) {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(displayName, &screen);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        error = "cannot connect to the X display";
        return nullptr;
    }
    std::unique_ptr<XcbConnection> result(new XcbConnection);
    if (!result->setUp(connection, screen, error)) {
        return nullptr;
    }
    return result;
}

XcbConnection::~XcbConnection() {
    xcb_connection_t* connection = ewmh.connection;
    if (hasEwmh) {
        xcb_ewmh_connection_wipe(&ewmh);
    }
    xcb_disconnect(connection);
}

bool XcbConnection::setUp(xcb_connection_t* connection, int screen, std::string& error) {
    ewmh.connection = connection;
    xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(connection, &ewmh);
    hasEwmh = xcb_ewmh_init_atoms_replies(&ewmh, cookies, nullptr) != 0;
    if (!hasEwmh) {
        ewmh.connection = connection;
        error = "the X server did not intern the EWMH atoms";
        return false;
    }
    if (screen < 0 || screen >= ewmh.nb_screens) {
        error = "the X display has no screen " + std::to_string(screen);
        return false;
    }
    rootWindow = ewmh.screens[screen]->root;
    resourceIdMask = xcb_get_setup(connection)->resource_id_mask;
    if (!internOtherAtoms()) {
        error = "the X server did not intern the ICCCM atoms";
        return false;
    }
    checkResExtension();
    return true;
}

bool XcbConnection::internOtherAtoms() {
    constexpr std::array<std::string_view, 3> names{"WM_DELETE_WINDOW", "_GTK_APPLICATION_ID",
                                                    "_KDE_NET_WM_DESKTOP_FILE"};
    std::array<xcb_intern_atom_cookie_t, names.size()> cookies{};
    for (std::size_t index = 0; index < names.size(); ++index) {
        cookies[index] = xcb_intern_atom(get(), 0, names[index].size(), names[index].data());
    }
    std::array<xcb_atom_t*, names.size()> targets{&others.wmDeleteWindow, &others.gtkApplicationId,
                                                  &others.kdeDesktopFile};
    bool complete = true;
    for (std::size_t index = 0; index < names.size(); ++index) {
        XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(get(), cookies[index], nullptr));
        complete = complete && reply;
        *targets[index] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    return complete;
}

void XcbConnection::checkResExtension() {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(get(), &xcb_res_id);
    if (extension == nullptr || extension->present == 0) {
        return;
    }
    XcbReply<xcb_res_query_version_reply_t> version(
        xcb_res_query_version_reply(get(), xcb_res_query_version(get(), 1, 2), nullptr));
    hasClientPids = version && (version->server_major > 1 || version->server_minor >= 2);
}

} // namespace drowsel
