// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayHostWatcher.h"

#include <QDBusConnectionInterface>

namespace drowsel {

namespace {

const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

} // namespace

TrayHostWatcher::TrayHostWatcher(QObject* parent)
    : QObject(parent),
      statusNotifierWatcher(watcherService, QDBusConnection::sessionBus(),
                            QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration) {
    const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    statusNotifierWatcherThere = bus && bus->isServiceRegistered(watcherService);
    connect(&statusNotifierWatcher, &QDBusServiceWatcher::serviceRegistered, this,
            [this] { setStatusNotifierWatcherThere(true); });
    connect(&statusNotifierWatcher, &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { setStatusNotifierWatcherThere(false); });
    if (xembed) {
        xembedEvents = std::make_unique<QSocketNotifier>(xembed->descriptor(), QSocketNotifier::Read);
        connect(xembedEvents.get(), &QSocketNotifier::activated, this, &TrayHostWatcher::readXEmbedTray);
    }
}

void TrayHostWatcher::setStatusNotifierWatcherThere(bool there) {
    const bool wasThere = isTrayThere();
    statusNotifierWatcherThere = there;
    if (isTrayThere() != wasThere) {
        Q_EMIT trayChanged(isTrayThere());
    }
}

void TrayHostWatcher::readXEmbedTray() {
    const bool wasThere = isTrayThere();
    if (!xembed->readEvents()) {
        return;
    }
    if (isTrayThere() != wasThere) {
        Q_EMIT trayChanged(isTrayThere());
    }
    Q_EMIT xembedTrayChanged();
}

} // namespace drowsel
