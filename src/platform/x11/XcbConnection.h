// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/x11/XcbReply.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdint>
#include <memory>
#include <string>

namespace drowsel {

// One connection to the X server with the atoms the workspace needs: the EWMH
// ones through xcb-ewmh and the few others named here.
class XcbConnection {
public:
    struct OtherAtoms {
        xcb_atom_t wmDeleteWindow = XCB_ATOM_NONE;
        xcb_atom_t gtkApplicationId = XCB_ATOM_NONE;
        xcb_atom_t kdeDesktopFile = XCB_ATOM_NONE;
    };

    // Null when the display cannot be reached or answers nonsense; error says why.
    static std::unique_ptr<XcbConnection> connect(const char* displayName, std::string& error);
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    xcb_connection_t* get() const { return ewmh.connection; }
    const xcb_ewmh_connection_t& atoms() const { return ewmh; }
    const OtherAtoms& otherAtoms() const { return others; }
    xcb_window_t root() const { return rootWindow; }
    bool hasError() const { return xcb_connection_has_error(get()) != 0; }
    // Whether the server can name the process behind a client (XRes 1.2).
    bool canQueryClientPids() const { return hasClientPids; }
    // The part of a resource id that names the client that created it.
    std::uint32_t clientOf(std::uint32_t resource) const { return resource & ~resourceIdMask; }

private:
    XcbConnection() = default;
    bool setUp(xcb_connection_t* connection, int screen, std::string& error);
    bool internOtherAtoms();
    void checkResExtension();

    xcb_ewmh_connection_t ewmh{};
    bool hasEwmh = false;
    OtherAtoms others;
    xcb_window_t rootWindow = XCB_WINDOW_NONE;
    std::uint32_t resourceIdMask = 0;
    bool hasClientPids = false;
};

} // namespace drowsel
