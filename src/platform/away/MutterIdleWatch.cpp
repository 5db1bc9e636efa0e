// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/away/MutterIdleWatch.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>

namespace drowsel {

namespace {

const QString service = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString path = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString interface = QStringLiteral("org.gnome.Mutter.IdleMonitor");
// Asked at start and when Mutter comes back: a hung bus must not hold the program up for long.
constexpr int callTimeoutMs = 3000;

} // namespace

std::unique_ptr<MutterIdleWatch> MutterIdleWatch::start(Logger log, PresenceClock& clock,
                                                        std::chrono::milliseconds awayAfter, QDBusConnection bus) {
    std::unique_ptr<MutterIdleWatch> watch(new MutterIdleWatch(clock, awayAfter, bus));
    if (!watch->subscribe()) {
        log.debug("No idle monitor of Mutter's on the session bus");
        return nullptr;
    }
    auto* watcher = new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, watch.get());
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, watch.get(), [watch = watch.get()] {
        watch->takeBack();
        watch->subscribe();
    });
    return watch;
}

MutterIdleWatch::MutterIdleWatch(PresenceClock& clock, std::chrono::milliseconds awayAfter, QDBusConnection bus)
    : clock(clock), awayAfter(awayAfter), bus(bus) {
    bus.connect(service, path, interface, "WatchFired", this, SLOT(onWatchFired(uint)));
}

bool MutterIdleWatch::subscribe() {
    idleWatch = addWatch(QStringLiteral("AddIdleWatch"), {static_cast<qulonglong>(awayAfter.count())});
    return idleWatch != 0;
}

uint MutterIdleWatch::addWatch(const QString& method, const QVariantList& arguments) {
    auto message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    message.setAutoStartService(false);
    const QDBusReply<uint> reply = bus.call(message, QDBus::Block, callTimeoutMs);
    return reply.isValid() ? reply.value() : 0;
}

void MutterIdleWatch::onWatchFired(uint watch) {
    if (watch == idleWatch) {
        // Mutter drops an active watch once it has fired: one is added for each time away.
        activeWatch = addWatch(QStringLiteral("AddUserActiveWatch"), {});
        clock.setAway(PresenceClock::AwaySource::noInput, activeWatch != 0);
    } else if (watch == activeWatch) {
        activeWatch = 0;
        clock.setAway(PresenceClock::AwaySource::noInput, false);
    }
}

void MutterIdleWatch::takeBack() {
    idleWatch = 0;
    activeWatch = 0;
    clock.setAway(PresenceClock::AwaySource::noInput, false);
}

} // namespace drowsel
