// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayModel.h"

#include "core/DefaultsKeys.h"
#include "platform/desktop/ApplicationIcons.h"
#include "platform/desktop/IconLoader.h"

#include <QCoreApplication>
#include <QTimer>

#include <cmath>

namespace drowsel {

namespace {

QDateTime dateTimeOf(Date date) { return QDateTime::fromMSecsSinceEpoch(std::llround(date * 1000)); }

Date dateOf(const QDateTime& dateTime) { return static_cast<Date>(dateTime.toMSecsSinceEpoch()) / 1000; }

} // namespace

TrayModel::TrayModel(Parts parts, Logger log)
    : parts(std::move(parts)), log(std::move(log)), warns(this->parts.settings, DefaultsKeys::warnBeforeQuitting, true),
      spares(this->parts.settings, DefaultsKeys::spareApplicationsAtWork, true),
      countsOnlyActiveTime(this->parts.settings, DefaultsKeys::countOnlyActiveTime, false) {
    // Told before each change: the look follows once the change is made.
    managerChanges = this->parts.manager.objectWillChange().subscribe(
        [this] { QTimer::singleShot(0, QCoreApplication::instance(), [this] { followManager(); }); });
}

StoredValue<bool>& TrayModel::stored(MenuSwitch item) const {
    switch (item) {
    case MenuSwitch::warnBeforeQuitting:
        return warns;
    case MenuSwitch::spareApplicationsAtWork:
        return spares;
    case MenuSwitch::countOnlyActiveTime:
        return countsOnlyActiveTime;
    }
    return warns;
}

void TrayModel::readStoredPause() {
    const QString stored = parts.store.text(DefaultsKeys::pausedUntil);
    const QDateTime until = QDateTime::fromString(stored, Qt::ISODate);
    if (!stored.isEmpty() && !until.isValid() && stored != badStoredPause) {
        log.error("pausedUntil in the settings file is no ISO 8601 time: " + stored.toStdString());
    }
    badStoredPause = until.isValid() ? QString() : stored;
    if (until.isValid() && until > QDateTime::currentDateTime()) {
        if (pausedUntil() != until) {
            parts.manager.pauseUntil(dateOf(until));
        }
    } else {
        parts.manager.resume();
    }
    followManager();
}

std::optional<QDateTime> TrayModel::pausedUntil() const {
    const auto until = parts.manager.pausedUntil();
    return until ? std::optional(dateTimeOf(*until)) : std::nullopt;
}

// To the whole second, as the file keeps it: reading the file back finds the same pause.
void TrayModel::pauseUntil(const QDateTime& until) {
    const QDateTime wholeSecond = until.addMSecs(-until.time().msec());
    storePause(wholeSecond.toOffsetFromUtc(wholeSecond.offsetFromUtc()).toString(Qt::ISODate));
    parts.manager.pauseUntil(dateOf(wholeSecond));
    followManager();
}

void TrayModel::resume() {
    parts.manager.resume();
    followManager();
}

// A pause that ended, by the user or at a sweep once its time came, leaves
// the file and the icon too.
void TrayModel::followManager() {
    const auto until = pausedUntil();
    if (until == shownPause) {
        return;
    }
    if (!until) {
        storePause(QString());
    }
    shownPause = until;
    parts.tray.setPausedUntil(until);
}

void TrayModel::storePause(const QString& until) { parts.store.setText(DefaultsKeys::pausedUntil, until); }

std::vector<RecentlyQuitEntry> TrayModel::recentlyQuit() const {
    std::vector<RecentlyQuitEntry> entries;
    for (std::size_t index = 0; index < parts.recent.entries().size(); ++index) {
        const auto& entry = parts.recent.entries()[index];
        const QIcon icon = ApplicationIcons::entryIconAt(entry.desktopEntry.toStdString(), log);
        entries.push_back({entry.name, icon.isNull() ? IconLoader::generic() : icon, dateTimeOf(entry.askedAt),
                           parts.recent.canReopen(index)});
    }
    return entries;
}

void TrayModel::reopen(std::size_t index) { parts.recent.reopen(index); }

void TrayModel::quitDrowsel() { QCoreApplication::quit(); }

} // namespace drowsel
