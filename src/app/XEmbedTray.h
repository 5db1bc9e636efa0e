// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

#include <xcb/xcb.h>

#include <memory>
#include <optional>

namespace drowsel {

// The X11 system tray (XEmbed) as seen over a connection of its own: its
// manager window, the owner of _NET_SYSTEM_TRAY_S<screen>, and the colours it
// asks icons to use. Managers announce themselves with a MANAGER message on
// the root window and go by destroying their window: both wake the descriptor,
// as a change of the manager's colours does.
class XEmbedTray {
public:
    // Null without an X display.
    static std::unique_ptr<XEmbedTray> connect();
    ~XEmbedTray();
    XEmbedTray(const XEmbedTray&) = delete;
    XEmbedTray& operator=(const XEmbedTray&) = delete;

    int descriptor() const { return xcb_get_file_descriptor(connection); }
    bool hasManager() const { return manager != XCB_WINDOW_NONE; }
    // Reads what arrived; true when anything did: the manager or the colours it asks for may have changed.
    bool readEvents();
    // The foreground the manager asks for (_NET_SYSTEM_TRAY_COLORS), when it does.
    std::optional<QColor> foreground() const;

private:
    explicit XEmbedTray(xcb_connection_t* connection, int screen);
    xcb_atom_t atom(const char* name) const;
    bool drainEvents();
    void refreshManager();

    xcb_connection_t* connection;
    xcb_window_t root = XCB_WINDOW_NONE;
    xcb_atom_t selection = XCB_ATOM_NONE;
    xcb_atom_t colours = XCB_ATOM_NONE;
    xcb_window_t manager = XCB_WINDOW_NONE;
};

} // namespace drowsel
