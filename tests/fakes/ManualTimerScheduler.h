// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/TimerScheduler.h"

#include <algorithm>
#include <vector>

namespace drowsel::fakes {

// Timers fire only when the test says so; a released handle's task is gone.
class ManualTimerScheduler : public TimerScheduler {
public:
    std::unique_ptr<Timer> scheduleRepeating(std::chrono::milliseconds interval, std::function<void()> task) override;

    void fireAll();
    std::size_t liveTimers() const {
        return std::ranges::count_if(tasks, [](const auto& task) { return !task.expired(); });
    }
    std::chrono::milliseconds lastInterval{0};

private:
    std::vector<std::weak_ptr<std::function<void()>>> tasks;
};

} // namespace drowsel::fakes
