// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "platform/away/PresenceClock.h"

#include <QDBusConnection>
#include <QObject>

#include <chrono>
#include <memory>

namespace drowsel {

// Tells the clock when the user of a GNOME session has made no input for a
// while, from Mutter's idle monitor: an idle watch that fires once the input
// has stopped that long, then a one-shot watch for the next input, added
// again each time. Mutter sees the input of Wayland and X11 clients alike.
// What it said goes with it, or with Mutter; a Mutter that comes back is
// watched again.
class MutterIdleWatch : public QObject {
    Q_OBJECT
public:
    // Null when Mutter's idle monitor is not on the bus.
    static std::unique_ptr<MutterIdleWatch> start(Logger log, PresenceClock& clock,
                                                  std::chrono::milliseconds awayAfter = std::chrono::minutes(10),
                                                  QDBusConnection bus = QDBusConnection::sessionBus());
    ~MutterIdleWatch() override { takeBack(); }

private Q_SLOTS:
    void onWatchFired(uint watch);

private:
    MutterIdleWatch(PresenceClock& clock, std::chrono::milliseconds awayAfter, QDBusConnection bus);
    bool subscribe();
    uint addWatch(const QString& method, const QVariantList& arguments);
    void takeBack();

    PresenceClock& clock;
    std::chrono::milliseconds awayAfter;
    QDBusConnection bus;
    uint idleWatch = 0;
    uint activeWatch = 0;
};

} // namespace drowsel
