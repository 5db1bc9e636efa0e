// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtOwnApplication.h"
#include "platform/qt/QtTimerScheduler.h"
#include "platform/system/SystemClock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

namespace drowsel {

TEST(QtMainQueueTest, RunsTasksLaterInTheOrderPostedAndDropsWhatIsLeftWhenItGoes) {
    std::vector<int> ran;
    {
        QtMainQueue queue;
        queue.post([&] {
            ran.push_back(1);
            queue.post([&] { ran.push_back(3); });
        });
        queue.post([&] { ran.push_back(2); });
        EXPECT_TRUE(ran.empty());
        QCoreApplication::processEvents(); // 1 and 2; 3, posted by 1, runs in the next
        QCoreApplication::processEvents();
        queue.post([&] { ran.push_back(4); });
    }
    QCoreApplication::processEvents();

    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
}

TEST(QtTimerSchedulerTest, RepeatsUntilTheHandleIsReleased) {
    QEventLoop loop;
    int ticks = 0;
    auto timer = QtTimerScheduler().scheduleRepeating(std::chrono::milliseconds(1), [&] {
        if (++ticks == 3) {
            loop.quit();
        }
    });
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_EQ(ticks, 3) << "no third tick within ten seconds";

    timer.reset();
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(ticks, 3);
}

TEST(QtOwnApplicationTest, AnOpenPopupHasTheFocus) {
    const QtOwnApplication own;
    const auto hasFocus = [](const OwnApplication::Window& window) { return window.isKey || window.isMain; };

    QWidget popup(nullptr, Qt::Popup);
    popup.show();
    EXPECT_TRUE(std::ranges::any_of(own.windows(), hasFocus));
    popup.hide();
    EXPECT_FALSE(std::ranges::any_of(own.windows(), hasFocus));
}

// The wall clock set 10 h forward, then a day back, moves nothing; only the
// time since boot (sleep included) does.
TEST(SystemClockTest, StartsAtTheWallTimeAndThenFollowsOnlyTheTimeSinceBoot) {
    static Date wall = 1'800'000'000;
    static Date boot = 500;
    const SystemClock clock([] { return wall; }, [] { return boot; });
    EXPECT_EQ(clock.now(), 1'800'000'000);

    wall += 10 * 3600;
    boot += 1;
    EXPECT_EQ(clock.now(), 1'800'000'001);
    wall -= 24 * 3600;
    boot += 3600;
    EXPECT_EQ(clock.now(), 1'800'003'601);
    EXPECT_GT(SystemClock().now(), SystemClock::wallSeconds() - 1) << "the system's sources";
}

} // namespace drowsel
