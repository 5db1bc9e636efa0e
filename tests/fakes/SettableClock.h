// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Clock.h"

namespace drowsel::fakes {

class SettableClock : public Clock {
public:
    Date now() const override { return time; }
    void advance(double seconds) { time += seconds; }

    // A few seconds past a minute's start, so a plain tick does not sweep.
    Date time = 1'800'000'005.0;
};

} // namespace drowsel::fakes
