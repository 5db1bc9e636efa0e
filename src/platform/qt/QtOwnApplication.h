// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/OwnApplication.h"

namespace drowsel {

// Drowsel as Qt knows it: the desktop file name is its identifier, and its
// windows have the focus when one is the focus window, is active, or is an
// open popup (the tray panel).
class QtOwnApplication : public OwnApplication {
public:
    std::optional<std::string> bundleIdentifier() const override;
    std::vector<Window> windows() const override;
};

} // namespace drowsel
