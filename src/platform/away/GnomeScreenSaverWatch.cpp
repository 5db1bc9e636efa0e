// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/away/GnomeScreenSaverWatch.h"

#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>

namespace drowsel {

namespace {

// The shell's own name for its screen shield first: org.gnome.ScreenSaver is a
// helper the bus starts on demand, which passes the calls on to it.
const QStringList services = {QStringLiteral("org.gnome.Shell.ScreenShield"), QStringLiteral("org.gnome.ScreenSaver")};
const QString path = QStringLiteral("/org/gnome/ScreenSaver");
const QString interface = QStringLiteral("org.gnome.ScreenSaver");
// Asked at start and when the shell comes back: a hung bus must not hold the program up for long.
constexpr int callTimeoutMs = 3000;

} // namespace

std::unique_ptr<GnomeScreenSaverWatch> GnomeScreenSaverWatch::start(Logger log, PresenceClock& clock,
                                                                    QDBusConnection bus) {
    for (const auto& service : services) {
        std::unique_ptr<GnomeScreenSaverWatch> watch(new GnomeScreenSaverWatch(clock, bus, service));
        if (watch->askActive()) {
            auto* watcher =
                new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, watch.get());
            connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, watch.get(), [watch = watch.get()] {
                if (!watch->askActive()) {
                    watch->onActiveChanged(false);
                }
            });
            return watch;
        }
    }
    log.debug("No screen saver of GNOME's on the session bus");
    return nullptr;
}

GnomeScreenSaverWatch::GnomeScreenSaverWatch(PresenceClock& clock, QDBusConnection bus, const QString& service)
    : clock(clock), bus(bus), service(service) {
    bus.connect(service, path, interface, "ActiveChanged", this, SLOT(onActiveChanged(bool)));
}

bool GnomeScreenSaverWatch::askActive() {
    auto getActive = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetActive"));
    getActive.setAutoStartService(false);
    const QDBusReply<bool> active = bus.call(getActive, QDBus::Block, callTimeoutMs);
    if (active.isValid()) {
        onActiveChanged(active.value());
    }
    return active.isValid();
}

void GnomeScreenSaverWatch::onActiveChanged(bool active) {
    clock.setAway(PresenceClock::AwaySource::screenSaver, active);
}

} // namespace drowsel
