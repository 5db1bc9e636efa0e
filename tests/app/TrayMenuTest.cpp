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
    bool warns = true;
    QStringList calls;

    std::optional<QDateTime> pausedUntil() const override { return paused; }
    void pauseUntil(const QDateTime& until) override { calls << "pause " + until.toString(Qt::ISODate); }
    void resume() override { calls << "resume"; }
    std::vector<RecentlyQuitEntry> recentlyQuit() const override { return quit; }
    void reopen(std::size_t index) override { calls << QString("reopen %1").arg(index); }
    bool warnsBeforeQuitting() const override { return warns; }
    void setWarnsBeforeQuitting(bool on) override { calls << QString("warn %1").arg(on); }
    void openSettings() override { calls << "settings"; }
    void quitDrowsel() override { calls << "quit"; }
};

const QDateTime now(QDate(2026, 3, 2), QTime(14, 30));

// Opens the menu afresh and walks it with the keys alone.
QStringList callsAfterKeys(RecordingModel& model, const std::vector<Qt::Key>& keys) {
    TrayMenu menu(model, [] { return now; });
    QCursor::setPos(0, 0); // not over the menu, where it would choose an item
    menu.popup(QPoint(50, 50));
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&menu));
    for (const Qt::Key key : keys) {
        QWidget* focus = QApplication::activePopupWidget();
        QTest::keyClick(focus != nullptr ? focus : &menu, key);
    }
    return model.calls;
}

} // namespace

TEST(TrayMenuTest, EveryItemIsReachedByTheKeysAndAsksTheModel) {
    using enum Qt::Key;
    const std::tuple<bool, std::vector<Qt::Key>, QString> cases[]{
        {false, {Key_Down, Key_Return}, "pause 2026-03-02T15:30:00"},
        {false, {Key_Down, Key_Down, Key_Return}, "pause 2026-03-03T06:00:00"},
        {true, {Key_Down, Key_Down, Key_Down, Key_Return}, "resume"},
        // Not paused, there is no "Resume": the third item is the submenu, the fourth the switch.
        {false, {Key_Down, Key_Down, Key_Down, Key_Down, Key_Return}, "warn 0"},
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
        EXPECT_EQ(callsAfterKeys(model, keys).join(", ").toStdString(), expected.toStdString());
    }
}

TEST(TrayMenuTest, RecentlyQuitListsEachApplicationAndSaysSoWhenEmpty) {
    RecordingModel model;
    TrayMenu menu(model, [] { return now; });
    const auto recentTexts = [&] {
        Q_EMIT menu.aboutToShow();
        QStringList texts;
        for (const QAction* action : menu.actions()[3]->menu()->actions()) {
            texts << action->text() + (action->isEnabled() ? "" : " (disabled)");
        }
        return texts;
    };
    EXPECT_EQ(recentTexts(), QStringList{"No application quit yet (disabled)"});
    model.quit = {{"Editor", {}, now.addSecs(-60), true}, {"Viewer", {}, now.addSecs(-120), false}};
    const QLocale locale;
    EXPECT_EQ(recentTexts(),
              (QStringList{"Editor, " + locale.toString(QTime(14, 29), QLocale::ShortFormat),
                           "Viewer, " + locale.toString(QTime(14, 28), QLocale::ShortFormat) + " (disabled)"}));
}

TEST(TrayMenuTest, TomorrowEndsAtTheNextSixOClockOnTheWallClock) {
    const QTimeZone berlin("Europe/Berlin");
    const auto at = [&](QDate date, QTime time) { return QDateTime(date, time, berlin); };
    const QDate day(2026, 6, 10);
    const std::pair<QDateTime, QDateTime> cases[]{
        {at(day, QTime(5, 59)), at(day, QTime(6, 0))},
        {at(day, QTime(6, 0)), at(day.addDays(1), QTime(6, 0))},
        {at(day, QTime(23, 10)), at(day.addDays(1), QTime(6, 0))},
        // The clocks go forward at 02:00 on 29 March: 06:00 is seven hours after 22:00, not eight.
        {at(QDate(2026, 3, 28), QTime(22, 0)), at(QDate(2026, 3, 29), QTime(6, 0))},
    };
    for (const auto& [after, expected] : cases) {
        EXPECT_EQ(TrayMenu::nextMorning(after).toString(Qt::ISODate).toStdString(),
                  expected.toString(Qt::ISODate).toStdString());
    }
}

} // namespace drowsel
