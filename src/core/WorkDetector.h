// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ApplicationHandle.h"
#include "core/Work.h"

#include <optional>

namespace drowsel {

// Tells whether an application is at work. Asked on the main thread at a
// sweep, and only for the applications near or past their limit or found at
// work before, so an answer may cost a look at the system, never a wait.
class WorkDetector {
public:
    virtual ~WorkDetector() = default;

    virtual std::optional<Work> workOf(const ApplicationHandle& application) = 0;
};

} // namespace drowsel
