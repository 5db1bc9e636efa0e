// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <xcb/xcb.h>

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace drowsel {

// What the workspace knows of one managed top-level window, read once when it
// appears and again when one of these properties changes.
struct WindowRecord {
    // Windows with equal keys belong to one application: the same process
    // (its start time tells it from a later one with the same PID) or, when
    // the process is unknown, the same X client.
    struct ApplicationKey {
        std::int64_t pid = 0;
        std::uint64_t processStart = 0;
        std::uint32_t client = 0;

        auto operator<=>(const ApplicationKey&) const = default;
    };

    xcb_window_t id = XCB_WINDOW_NONE;
    ApplicationKey key;
    std::optional<std::string> classInstance;
    std::optional<std::string> className;
    std::optional<std::string> gtkApplicationId;
    std::optional<std::string> kdeDesktopFile;
    // Typed normal, or untyped and not transient.
    bool isNormal = false;
    bool skipsTaskbar = false;
    bool acceptsDelete = false;
    bool isMapped = false;

    bool isRegular() const { return isNormal && !skipsTaskbar; }
};

} // namespace drowsel
