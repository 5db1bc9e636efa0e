// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "platform/x11/WindowRecord.h"
#include "platform/x11/XcbConnection.h"

#include <span>
#include <string>
#include <vector>

namespace drowsel {

// Reads the records of client windows, all requests of a batch sent before
// the first reply is awaited. Also asks for the events that keep a record up
// to date (property changes, map, unmap, destroy).
class WindowReader {
public:
    WindowReader(const XcbConnection& connection, Logger log);

    // Windows that no longer exist are left out.
    std::vector<WindowRecord> read(std::span<const xcb_window_t> windows) const;
    // Whether a change of this property can change a record.
    bool isRecorded(xcb_atom_t property) const;

private:
    struct Requests;

    Requests send(xcb_window_t window) const;
    std::optional<WindowRecord> receive(Requests& requests) const;
    WindowRecord::ApplicationKey keyOf(Requests& requests, std::string& problems) const;
    std::optional<std::int64_t> pidFromRes(Requests& requests) const;
    bool isNormal(Requests& requests, std::string& problems) const;

    const XcbConnection& connection;
    Logger log;
    std::string hostName;
};

} // namespace drowsel
