#include "fakes/ManualTimerScheduler.h"

#include <vector>

namespace drowsel::fakes {

class ManualTimerScheduler::ManualTimer : public Timer {
public:
    ManualTimer(ManualTimerScheduler& scheduler, int id) : scheduler(scheduler), id(id) {}
    ~ManualTimer() override { scheduler.timers.erase(id); }

private:
    ManualTimerScheduler& scheduler;
    int id;
};

std::unique_ptr<TimerScheduler::Timer> ManualTimerScheduler::scheduleRepeating(std::chrono::milliseconds interval,
                                                                               std::function<void()> task) {
    lastInterval = interval;
    const int id = nextId++;
    timers.emplace(id, std::move(task));
    return std::make_unique<ManualTimer>(*this, id);
}

void ManualTimerScheduler::fireAll() {
    std::vector<std::function<void()>> due;
    for (const auto& [id, task] : timers) {
        due.push_back(task);
    }
    for (const auto& task : due) {
        task();
    }
}

} // namespace drowsel::fakes
