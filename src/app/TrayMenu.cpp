// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayMenu.h"

#include <QLocale>

namespace drowsel {

namespace {

constexpr int morningHour = 6;
constexpr int secondsInAnHour = 3600;

} // namespace

TrayMenu::TrayMenu(TrayMenuModel& model, Clock now) : model(model), now(std::move(now)) {
    connect(this, &QMenu::aboutToShow, this, &TrayMenu::rebuild);
    rebuild();
}

QDateTime TrayMenu::nextMorning(const QDateTime& after) {
    QDateTime morning = after;
    morning.setTime(QTime(morningHour, 0));
    // Days, not 24 hours: the wall clock reads 06:00 on a day the clocks change.
    return morning > after ? morning : morning.addDays(1);
}

void TrayMenu::rebuild() {
    clear();
    addPauseItems();
    addRecentlyQuit();
    addSwitch(tr("Warn before quitting"), MenuSwitch::warnBeforeQuitting);
    addSwitch(tr("Spare applications at work"), MenuSwitch::spareApplicationsAtWork);
    addSwitch(tr("Count only time at the computer"), MenuSwitch::countOnlyActiveTime);
    addSeparator();
    addAction(tr("Settings…"), this, [this] { model.openSettings(); });
    addAction(tr("Quit Drowsel"), this, [this] { model.quitDrowsel(); });
}

void TrayMenu::addSwitch(const QString& text, MenuSwitch item) {
    QAction* action = addAction(text);
    action->setCheckable(true);
    action->setChecked(model.isOn(item));
    connect(action, &QAction::toggled, this, [this, item](bool checked) { model.setOn(item, checked); });
}

void TrayMenu::addPauseItems() {
    addAction(tr("Pause for 1 hour"), this, [this] { model.pauseUntil(now().addSecs(secondsInAnHour)); });
    addAction(tr("Pause until tomorrow"), this, [this] { model.pauseUntil(nextMorning(now())); });
    if (model.pausedUntil()) {
        addAction(tr("Resume"), this, [this] { model.resume(); });
    }
    addSeparator();
}

void TrayMenu::addRecentlyQuit() {
    QMenu* recent = addMenu(tr("Recently quit"));
    const auto entries = model.recentlyQuit();
    if (entries.empty()) {
        recent->addAction(tr("No application quit yet"))->setEnabled(false);
    }
    const QDate today = now().date();
    const QLocale locale;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const auto& entry = entries[index];
        const QString when = entry.quitAt.date() == today ? locale.toString(entry.quitAt.time(), QLocale::ShortFormat)
                                                          : locale.toString(entry.quitAt, QLocale::ShortFormat);
        QAction* reopen = recent->addAction(entry.icon, tr("%1, %2").arg(entry.name, when), this,
                                            [this, index] { model.reopen(index); });
        reopen->setEnabled(entry.canReopen);
    }
}

} // namespace drowsel
