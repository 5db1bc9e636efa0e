// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Clock.h"

#include <chrono>

namespace drowsel {

// The wall clock: it follows the user setting the time, as the idle dates must.
class SystemClock : public Clock {
public:
    Date now() const override {
        return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    }
};

} // namespace drowsel
