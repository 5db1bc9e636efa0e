// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/away/LogindPresenceWatch.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusServiceWatcher>

#include <unistd.h>

namespace drowsel {

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
// Asked once at start: a hung bus must not hold the program up for long.
constexpr int startTimeoutMs = 3000;

QDBusMessage managerCall(const QString& method, const QVariantList& arguments) {
    auto message = QDBusMessage::createMethodCall(service, managerPath, managerInterface, method);
    message.setArguments(arguments);
    return message;
}

} // namespace

std::unique_ptr<LogindPresenceWatch> LogindPresenceWatch::start(Logger log, PresenceClock& clock, QDBusConnection bus) {
    const auto sessionId = qEnvironmentVariable("XDG_SESSION_ID");
    const QDBusReply<QDBusObjectPath> session =
        bus.call(sessionId.isEmpty() ? managerCall("GetSessionByPID", {static_cast<uint>(getpid())})
                                     : managerCall("GetSession", {sessionId}),
                 QDBus::Block, startTimeoutMs);
    std::unique_ptr<LogindPresenceWatch> watch(new LogindPresenceWatch(clock, bus));
    if (!session.isValid() || !watch->watch(session.value().path())) {
        log.debug("No session of ours in logind: its lock, idle and sleep are not watched");
        return nullptr;
    }
    return watch;
}

LogindPresenceWatch::LogindPresenceWatch(PresenceClock& clock, QDBusConnection bus) : clock(clock), bus(bus) {}

bool LogindPresenceWatch::watch(const QString& session) {
    auto getAll = QDBusMessage::createMethodCall(service, session, propertiesInterface, QStringLiteral("GetAll"));
    getAll.setArguments({sessionInterface});
    const QDBusReply<QVariantMap> properties = bus.call(getAll, QDBus::Block, startTimeoutMs);
    if (!properties.isValid()) {
        return false;
    }
    bus.connect(service, session, propertiesInterface, "PropertiesChanged", this,
                SLOT(onSessionChanged(QString, QVariantMap, QStringList)));
    bus.connect(service, managerPath, managerInterface, "PrepareForSleep", this, SLOT(onPrepareForSleep(bool)));
    auto* watcher = new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, &LogindPresenceWatch::takeBack);
    onSessionChanged(sessionInterface, properties.value(), {});
    return true;
}

void LogindPresenceWatch::onSessionChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
    if (interface != sessionInterface) {
        return;
    }
    if (const auto locked = changed.find(QStringLiteral("LockedHint")); locked != changed.end()) {
        clock.setAway(PresenceClock::AwaySource::locked, locked->toBool());
    }
    if (const auto idle = changed.find(QStringLiteral("IdleHint")); idle != changed.end()) {
        clock.setAway(PresenceClock::AwaySource::sessionIdle, idle->toBool());
    }
}

void LogindPresenceWatch::onPrepareForSleep(bool goingToSleep) {
    clock.setAway(PresenceClock::AwaySource::asleep, goingToSleep);
}

void LogindPresenceWatch::takeBack() {
    for (const auto source : {PresenceClock::AwaySource::locked, PresenceClock::AwaySource::sessionIdle,
                              PresenceClock::AwaySource::asleep}) {
        clock.setAway(source, false);
    }
}

} // namespace drowsel
