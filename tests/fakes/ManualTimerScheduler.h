#pragma once

#include "core/TimerScheduler.h"

#include <map>

namespace drowsel::fakes {

// Timers fire only when the test says so.
class ManualTimerScheduler : public TimerScheduler {
public:
    std::unique_ptr<Timer> scheduleRepeating(std::chrono::milliseconds interval, std::function<void()> task) override;

    void fireAll();
    std::size_t liveTimers() const { return timers.size(); }
    std::chrono::milliseconds lastInterval{0};

private:
    class ManualTimer;
    std::map<int, std::function<void()>> timers;
    int nextId = 0;
};

} // namespace drowsel::fakes
