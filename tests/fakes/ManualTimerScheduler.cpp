// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/ManualTimerScheduler.h"

namespace drowsel::fakes {

namespace {

// Owns the task: the scheduler only sees it while the handle lives.
struct ManualTimer : TimerScheduler::Timer {
    std::shared_ptr<std::function<void()>> task;
};

} // namespace

std::unique_ptr<TimerScheduler::Timer> ManualTimerScheduler::scheduleRepeating(std::chrono::milliseconds interval,
                                                                               std::function<void()> task) {
    lastInterval = interval;
    auto timer = std::make_unique<ManualTimer>();
    timer->task = std::make_shared<std::function<void()>>(std::move(task));
    tasks.push_back(timer->task);
    return timer;
}

void ManualTimerScheduler::fireAll() {
    for (const auto& weak : std::vector(tasks)) {
        if (const auto task = weak.lock()) {
            (*task)();
        }
    }
}

} // namespace drowsel::fakes
