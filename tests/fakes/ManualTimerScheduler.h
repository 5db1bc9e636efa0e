// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/TimerScheduler.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace drowsel::fakes {

// Timers fire only when the test says so; a released handle's task is gone.
class ManualTimerScheduler : public TimerScheduler {
public:
    std::unique_ptr<Timer> scheduleRepeating(std::chrono::milliseconds interval, std::function<void()> task) override {
        lastInterval = interval;
        auto timer = std::make_unique<ManualTimer>();
        timer->task = std::make_shared<std::function<void()>>(std::move(task));
        tasks.push_back(timer->task);
        return timer;
    }
    void fireAll() {
        for (const auto& weak : std::vector(tasks)) {
            if (const auto task = weak.lock()) {
                (*task)();
            }
        }
    }
    std::size_t liveTimers() const {
        return std::ranges::count_if(tasks, [](const auto& task) { return !task.expired(); });
    }
    std::chrono::milliseconds lastInterval{0};

private:
    // Owns the task: the scheduler only sees it while the handle lives.
    struct ManualTimer : Timer {
        std::shared_ptr<std::function<void()>> task;
    };

    std::vector<std::weak_ptr<std::function<void()>>> tasks;
};

} // namespace drowsel::fakes
