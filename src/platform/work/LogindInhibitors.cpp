// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/work/LogindInhibitors.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>

#include <algorithm>

namespace drowsel {

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
constexpr int callTimeoutMs = 1000;

// A block of any kind (idle, sleep, shutdown for an update, the power keys)
// is work under way; a delay lock merely asks for time before the computer
// sleeps or shuts down, and many programs hold one for as long as they run.
bool keepsAwake(const QString& mode) { return mode == QLatin1String("block"); }

} // namespace

LogindInhibitors::LogindInhibitors(Logger log, const Clock& clock, Delays delays)
    : log(std::move(log)), clock(clock), delays(delays),
      watcher(
          new QDBusServiceWatcher(service, QDBusConnection(QString()), QDBusServiceWatcher::WatchForOwnerChange, this)),
      retryDelay(delays.firstRetry) {
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &LogindInhibitors::onLogindOwnerChanged);
    connectBus();
}

LogindInhibitors::~LogindInhibitors() { dropBus(); }

std::optional<std::string> LogindInhibitors::inhibitorWhy(const std::unordered_set<std::int64_t>& processes) {
    if (!reachBus() || !logindPresent) {
        return std::nullopt;
    }
    if (!readAt || clock.now() - *readAt >= delays.reread) {
        readList();
    }
    const auto held =
        std::ranges::find_if(inhibitors, [&](const auto& inhibitor) { return processes.contains(inhibitor.pid); });
    return held == inhibitors.end() ? std::nullopt : std::optional(held->why);
}

bool LogindInhibitors::isAvailable() const {
    return connected && logindPresent && QDBusConnection(connectionName).isConnected();
}

void LogindInhibitors::onLogindOwnerChanged(const QString&, const QString&, const QString& newOwner) {
    logindPresent = !newOwner.isEmpty();
    readAt.reset();
    inhibitors.clear();
    if (logindPresent) {
        reportBack();
    } else {
        reportOutage("logind stopped");
    }
}

// A lost bus is tried again only once its retry delay has passed.
bool LogindInhibitors::reachBus() {
    if (connected && QDBusConnection(connectionName).isConnected()) {
        return true;
    }
    if (connected) {
        dropBus();
        reportOutage("the system bus went; trying it again later");
        nextAttempt = clock.now() + retryDelay;
    }
    if (clock.now() < nextAttempt) {
        return false;
    }
    connectBus();
    if (!connected) {
        nextAttempt = clock.now() + retryDelay;
        retryDelay = std::min(retryDelay * 2, delays.longestRetry);
    }
    return connected;
}

// A connection of our own: one Qt's shared system bus object, once lost, is never made again.
void LogindInhibitors::connectBus() {
    connectionName = QStringLiteral("drowsel-logind-%1").arg(++connections);
    auto bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, connectionName);
    if (!bus.isConnected()) {
        reportOutage("no system bus (" + bus.lastError().message().toStdString() + "); trying it again later");
        QDBusConnection::disconnectFromBus(connectionName);
        return;
    }
    connected = true;
    retryDelay = delays.firstRetry;
    watcher->setConnection(bus);
    logindPresent = bus.interface()->isServiceRegistered(service);
    if (logindPresent) {
        reportBack();
    } else {
        reportOutage("logind is not running");
    }
}

void LogindInhibitors::dropBus() {
    if (connected) {
        watcher->setConnection(QDBusConnection(QString()));
        QDBusConnection::disconnectFromBus(connectionName);
    }
    connected = false;
    logindPresent = false;
    readAt.reset();
    inhibitors.clear();
}

// A failed read is not repeated before the next interval: a logind slow to
// answer costs the main thread one short wait a minute at most.
void LogindInhibitors::readList() {
    readAt = clock.now();
    inhibitors.clear();
    const auto call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/login1"),
                                                     QStringLiteral("org.freedesktop.login1.Manager"),
                                                     QStringLiteral("ListInhibitors"));
    const auto reply = QDBusConnection(connectionName).call(call, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QStringLiteral("a(ssssuu)")) {
        reportOutage("logind did not list them (" + reply.errorMessage().toStdString() + ")");
        return;
    }
    const auto list = reply.arguments().constFirst().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QString what, who, why, mode;
        uint uid = 0, pid = 0;
        list.beginStructure();
        list >> what >> who >> why >> mode >> uid >> pid;
        list.endStructure();
        if (keepsAwake(mode)) {
            inhibitors.push_back({pid, why.toStdString()});
        }
    }
    list.endArray();
    reportBack();
}

// Many systems have no logind at all: missing from the start, it is a debug
// line, and the start-up line says which detectors run.
void LogindInhibitors::reportOutage(const std::string& reason) {
    if (!outageLogged) {
        outageLogged = true;
        const auto line = "logind's inhibitors are not seen: " + reason;
        if (everSeen) {
            log.info(line);
        } else {
            log.debug(line);
        }
    }
}

void LogindInhibitors::reportBack() {
    everSeen = true;
    if (outageLogged) {
        outageLogged = false;
        log.info("logind's inhibitors are seen again");
    }
}

} // namespace drowsel
