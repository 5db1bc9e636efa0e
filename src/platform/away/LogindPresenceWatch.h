// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "platform/away/PresenceClock.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <memory>

namespace drowsel {

// Tells the clock what logind knows of our session and the machine: the
// session locked or idle (its LockedHint and IdleHint), the machine going to
// sleep and waking (PrepareForSleep). What it said goes with it, or with logind.
class LogindPresenceWatch : public QObject {
    Q_OBJECT
public:
    // Null without logind or our session in it (one debug line). The session
    // is $XDG_SESSION_ID's, or else our process's.
    static std::unique_ptr<LogindPresenceWatch> start(Logger log, PresenceClock& clock,
                                                      QDBusConnection bus = QDBusConnection::systemBus());
    ~LogindPresenceWatch() override { takeBack(); }

private Q_SLOTS:
    void onSessionChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);
    void onPrepareForSleep(bool goingToSleep);
    void takeBack();

private:
    LogindPresenceWatch(PresenceClock& clock, QDBusConnection bus);
    bool watch(const QString& session);

    PresenceClock& clock;
    QDBusConnection bus;
};

} // namespace drowsel
