// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ApplicationHandle.h"
#include "core/DeactivationNotification.h"

#include <functional>
#include <optional>
#include <vector>

namespace drowsel {

// The desktop's picture of running applications. Called on the main thread.
class Workspace {
public:
    using DeactivationObserver = std::function<void(const DeactivationNotification&)>;

    virtual ~Workspace() = default;

    virtual std::vector<ApplicationHandle> runningApplications() const = 0;
    virtual std::optional<ApplicationHandle> frontmostApplication() const = 0;
    // The observer runs on the main thread once per deactivation and is kept
    // for the life of the workspace.
    virtual void addDeactivationObserver(DeactivationObserver observer) = 0;
};

} // namespace drowsel
