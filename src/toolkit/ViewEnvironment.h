// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Clock.h"
#include "toolkit/IconProvider.h"
#include "toolkit/StoredSettings.h"

namespace drowsel {

// What the program hands every view besides the manager. All of it outlives
// the views.
struct ViewEnvironment {
    StoredSettings& settings;
    const Clock& clock;
    const IconProvider& icons;
};

} // namespace drowsel
