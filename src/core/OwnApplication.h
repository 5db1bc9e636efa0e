// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace drowsel {

// Drowsel itself: its identifier and the focus state of its own windows.
class OwnApplication {
public:
    struct Window {
        bool isKey = false;  // receives keyboard input
        bool isMain = false; // the active window of the program
    };

    virtual ~OwnApplication() = default;

    virtual std::optional<std::string> bundleIdentifier() const = 0;
    // In the platform's order.
    virtual std::vector<Window> windows() const = 0;
};

} // namespace drowsel
