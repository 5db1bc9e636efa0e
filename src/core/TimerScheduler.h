// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace drowsel {

// Repeating timers on the main thread's event loop.
class TimerScheduler {
public:
    // Releasing the handle stops the timer.
    class Timer {
    public:
        virtual ~Timer() = default;
    };

    virtual ~TimerScheduler() = default;

    virtual std::unique_ptr<Timer> scheduleRepeating(std::chrono::milliseconds interval,
                                                     std::function<void()> task) = 0;
};

} // namespace drowsel
