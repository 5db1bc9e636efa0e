// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "platform/away/PresenceClock.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>

namespace drowsel {

// Tells the clock when GNOME Shell's screen shield is up (the screen locked
// or blanked), from its org.gnome.ScreenSaver interface: asked once at
// start, then followed by its ActiveChanged signal. What it said goes with
// it, or with the shell; a shell that comes back is asked again.
class GnomeScreenSaverWatch : public QObject {
    Q_OBJECT
public:
    // Null when GNOME's screen saver is not on the bus.
    static std::unique_ptr<GnomeScreenSaverWatch> start(Logger log, PresenceClock& clock,
                                                        QDBusConnection bus = QDBusConnection::sessionBus());
    ~GnomeScreenSaverWatch() override { onActiveChanged(false); }

private Q_SLOTS:
    void onActiveChanged(bool active);

private:
    GnomeScreenSaverWatch(PresenceClock& clock, QDBusConnection bus, const QString& service);
    bool askActive();

    PresenceClock& clock;
    QDBusConnection bus;
    QString service;
};

} // namespace drowsel
