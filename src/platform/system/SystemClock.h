// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Clock.h"

namespace drowsel {

// Wall time at start plus the time since, counted on CLOCK_BOOTTIME, which
// only moves forward and counts sleep. Setting the wall clock, by hand or by
// a time service, never makes an application look idle longer or shorter,
// and a sleep shows as a gap, as it should.
class SystemClock : public Clock {
public:
    using Source = Date (*)();

    // The sources are the system's; a test hands in its own.
    explicit SystemClock(Source wall = wallSeconds, Source sinceBoot = bootSeconds);

    Date now() const override { return origin + sinceBoot(); }

    static Date wallSeconds();
    static Date bootSeconds();

private:
    Source sinceBoot;
    Date origin;
};

} // namespace drowsel
