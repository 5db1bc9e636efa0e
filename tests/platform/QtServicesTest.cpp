#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtOwnApplication.h"
#include "platform/qt/QtTimerScheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

namespace drowsel {

using ::testing::ElementsAre;

TEST(QtMainQueueTest, RunsTasksLaterInTheOrderPosted) {
    QtMainQueue queue;
    std::vector<int> ran;
    queue.post([&] {
        ran.push_back(1);
        queue.post([&] { ran.push_back(3); });
    });
    queue.post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty());

    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    EXPECT_THAT(ran, ElementsAre(1, 2, 3));
}

TEST(QtMainQueueTest, TasksLeftWhenTheQueueGoesAreDropped) {
    bool ran = false;
    {
        QtMainQueue queue;
        queue.post([&] { ran = true; });
    }
    QCoreApplication::processEvents();

    EXPECT_FALSE(ran);
}

TEST(QtTimerSchedulerTest, RepeatsUntilTheHandleIsReleased) {
    QtTimerScheduler scheduler;
    int ticks = 0;
    auto timer = scheduler.scheduleRepeating(std::chrono::milliseconds(1), [&] { ++ticks; });
    QElapsedTimer waited;
    waited.start();
    while (ticks < 3 && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    ASSERT_GE(ticks, 3);

    timer.reset();
    const int ticksWhenReleased = ticks;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(ticks, ticksWhenReleased);
}

TEST(QtOwnApplicationTest, IdentifierIsTheDesktopFileNameAndOnlyVisibleActiveOrPopupWindowsHaveFocus) {
    QtOwnApplication own;
    QGuiApplication::setDesktopFileName("com.drowsel.Drowsel");
    EXPECT_EQ(own.bundleIdentifier(), "com.drowsel.Drowsel");

    const auto focused = [&] {
        const auto windows = own.windows();
        return std::ranges::any_of(windows, [](const auto& window) { return window.isKey || window.isMain; });
    };
    QWidget hidden;
    hidden.winId(); // a native window that is never shown
    EXPECT_FALSE(focused());

    QWidget popup(nullptr, Qt::Popup);
    popup.show();
    EXPECT_TRUE(focused());
    popup.hide();
    EXPECT_FALSE(focused());
}

} // namespace drowsel
