#pragma once

#include "app/IconProvider.h"
#include "app/StoredSettings.h"
#include "core/Clock.h"

namespace drowsel {

// What the program hands every view besides the manager. All of it outlives
// the views.
struct ViewEnvironment {
    StoredSettings& settings;
    const Clock& clock;
    const IconProvider& icons;
};

} // namespace drowsel
