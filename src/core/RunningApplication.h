// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ActivationPolicy.h"

#include <cstdint>
#include <optional>
#include <string>

namespace drowsel {

// One running application as the platform sees it. An object may outlive the
// application it stands for: reading it stays safe and terminate() is refused.
class RunningApplication {
public:
    virtual ~RunningApplication() = default;

    virtual std::optional<std::string> localizedName() const = 0;
    virtual std::optional<std::string> bundleIdentifier() const = 0;
    // Path of the application's desktop entry or executable.
    virtual std::optional<std::string> bundleLocation() const = 0;
    virtual ActivationPolicy activationPolicy() const = 0;
    // The process that owns the application's windows, when the desktop says.
    virtual std::optional<std::int64_t> processIdentifier() const = 0;
    virtual bool isFinishedLaunching() const = 0;
    // Asks for a normal quit, the way the user's close button would; never
    // forces. True when the request was delivered.
    virtual bool terminate() = 0;
};

} // namespace drowsel
