// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayMenu.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimeZone>

namespace drowsel {

namespace {

// Records what the menu asked for, as text.
struct RecordingModel : TrayMenuModel {
    std::optional<QDateTime> paused;
    std::vector<RecentlyQuitEntry> quit;
    QStringList calls;

    std::optional<QDateTime> pausedUntil() const override { return paused; }
    void pauseUntil(const QDateTime& until) override { calls << "pause " + until.toString(Qt::ISODate); }
    void resume() override { calls << "resume"; }
    std::vector<RecentlyQuitEntry> recentlyQuit() const override { return quit; }
    void reopen(std::size_t index) override { calls << QString("reopen %1").arg(index); }
    bool isOn(MenuSwitch item) const override { return item != MenuSwitch::countOnlyActiveTime; }
    void setOn(MenuSwitch item, bool on) override { calls << QString("switch %1 %2").arg(int(item)).arg(on); }
    void openSettings() override { calls << "settings"; }
    void quitDrowsel() override { calls << "quit"; }
};

const QDateTime now(QDate(2026, 3, 2), QTime(14, 30));

} // namespace

TEST(TrayMenuTest, EveryItemIsReachedByTheKeysAndAsksTheModel) {
    using enum Qt::Key;
    const std::tuple<bool, std::vector<Qt::Key>, QString> cases[]{
        {false, {Key_Down, Key_Return}, "pause 2026-03-02T15:30:00"},
        {false, {Key_Down, Key_Down, Key_Return}, "pause 2026-03-03T06:00:00"},
        {true, {Key_Down, Key_Down, Key_Down, Key_Return}, "resume"},
        // Not paused, there is no "Resume": the third item is the submenu, the fourth the switch.
        {false, {Key_Down, Key_Down, Key_Down, Key_Down, Key_Return}, "switch 0 0"},
        {false, {Key_Up, Key_Up, Key_Up, Key_Return}, "switch 2 1"},
        {true, {Key_Up, Key_Up, Key_Up, Key_Up, Key_Return}, "switch 1 0"},
        {false, {Key_Up, Key_Up, Key_Return}, "settings"},
        {true, {Key_Up, Key_Return}, "quit"},
        // The submenu opens on its first application; the second cannot be reopened: the keys pass over it.
        {false, {Key_Down, Key_Down, Key_Down, Key_Right, Key_Down, Key_Return}, "reopen 2"},
    };
    for (const auto& [paused, keys, expected] : cases) {
        RecordingModel model;
        model.paused = paused ? std::optional(now.addSecs(600)) : std::nullopt;
        model.quit = {{"Editor", {}, now.addSecs(-60), true},
                      {"Viewer", {}, now.addDays(-1), false},
                      {"Player", {}, now.addSecs(-30), true}};
        // Opened afresh and walked with the keys alone, the pointer away from it (where it would choose an item).
        TrayMenu menu(model, [] { return now; });
        QCursor::setPos(0, 0);
        menu.popup(QPoint(50, 50));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
        for (const Qt::Key key : keys) {
            QTest::keyClick(QApplication::activePopupWidget(), key);
        }
        EXPECT_EQ(model.calls.join(", ").toStdString(), expected.toStdString());
    }
}

TEST(TrayMenuTest, TomorrowEndsAtTheNextSixOClockOnTheWallClock) {
    const auto inBerlin = [](const char* local) {
        const QDateTime time = QDateTime::fromString(local, Qt::ISODate);
        return QDateTime(time.date(), time.time(), QTimeZone("Europe/Berlin"));
    };
    const std::pair<const char*, std::string> cases[]{
        {"2026-06-10T05:59", "2026-06-10T06:00:00+02:00"},
        {"2026-06-10T06:00", "2026-06-11T06:00:00+02:00"},
        {"2026-06-10T23:10", "2026-06-11T06:00:00+02:00"},
        // The clocks go forward at 02:00 on 29 March: 06:00 is seven hours after 22:00, not eight.
        {"2026-03-28T22:00", "2026-03-29T06:00:00+02:00"},
    };
    for (const auto& [after, expected] : cases) {
        EXPECT_EQ(TrayMenu::nextMorning(inBerlin(after)).toString(Qt::ISODate).toStdString(), expected) << after;
    }
}

} // namespace drowsel
