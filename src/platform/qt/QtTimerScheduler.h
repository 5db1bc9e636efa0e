// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/TimerScheduler.h"

namespace drowsel {

// Repeating timers on the Qt event loop. Precise, so that a one-second timer
// ticks once in every second of the wall clock and the minute's first second
// is not skipped by timer coalescing.
class QtTimerScheduler : public TimerScheduler {
public:
    std::unique_ptr<Timer> scheduleRepeating(std::chrono::milliseconds interval, std::function<void()> task) override;
};

} // namespace drowsel
