// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ApplicationHandle.h"

#include <optional>

namespace drowsel {

// Sent when an application stops being the active one. A notification that
// does not name an application is ignored by its receiver.
struct DeactivationNotification {
    std::optional<ApplicationHandle> application;
};

} // namespace drowsel
