// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtTimerScheduler.h"

#include <QTimer>

namespace drowsel {

namespace {

class QtTimer : public TimerScheduler::Timer {
public:
    QtTimer(std::chrono::milliseconds interval, std::function<void()> task) {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(interval);
        QObject::connect(&timer, &QTimer::timeout, &timer, std::move(task));
        timer.start();
    }

private:
    QTimer timer;
};

} // namespace

std::unique_ptr<TimerScheduler::Timer> QtTimerScheduler::scheduleRepeating(std::chrono::milliseconds interval,
                                                                           std::function<void()> task) {
    return std::make_unique<QtTimer>(interval, std::move(task));
}

} // namespace drowsel
