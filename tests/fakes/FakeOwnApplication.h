// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/OwnApplication.h"

namespace drowsel::fakes {

class FakeOwnApplication : public OwnApplication {
public:
    std::optional<std::string> bundleIdentifier() const override { return "com.drowsel.Drowsel"; }
    std::vector<Window> windows() const override { return ownWindows; }

    std::vector<Window> ownWindows;
};

} // namespace drowsel::fakes
