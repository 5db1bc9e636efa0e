// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NoTrayGuard.h"

#include "core/DefaultsKeys.h"

namespace drowsel {

NoTrayGuard::NoTrayGuard(TrayHostWatcher& hosts, RunningAppsManager& manager, DesktopNotifications& notifications,
                         StoredSettings& settings, Logger log)
    : hosts(hosts), manager(manager), notifications(notifications),
      quitWithoutTray(settings, DefaultsKeys::quitWithoutTray, false), log(std::move(log)) {
    noticeDelay.setSingleShot(true);
    noticeDelay.setInterval(noticeDelayMilliseconds);
    QObject::connect(&noticeDelay, &QTimer::timeout, [this] { noticeMissingTray(); });
    // The timer, ours, ends the connection when we go.
    QObject::connect(&hosts, &TrayHostWatcher::trayChanged, &noticeDelay, [this] { update(); });
    update();
}

void NoTrayGuard::update() {
    const bool there = hosts.isTrayThere();
    manager.setQuittingAllowed(there || quitWithoutTray.value());
    if (there == trayWasThere) {
        return;
    }
    trayWasThere = there;
    if (there) {
        noticeDelay.stop();
        if (notice) {
            notifications.close(*notice);
            notice.reset();
        }
        log.info("A tray shows Drowsel again; idle applications are asked to quit as before");
        return;
    }
    log.error(quitWithoutTray.value()
                  ? "No tray shows Drowsel; idle applications are asked to quit all the same (quitWithoutTray)"
                  : "No tray shows Drowsel; no application is asked to quit until one does");
    if (!noticeSent && !quitWithoutTray.value()) {
        noticeDelay.start();
    }
}

void NoTrayGuard::noticeMissingTray() {
    if (hosts.isTrayThere() || quitWithoutTray.value()) {
        return;
    }
    noticeSent = true;
    notice =
        notifications.show(tr("Drowsel has no tray to show its icon"),
                           tr("Drowsel keeps track of your applications but asks none of them to quit until a tray "
                              "shows its icon, so that you can see and stop it."),
                           {{quitAnywayKey, tr("Quit idle applications anyway")}}, [this](const QString&) {
                               notice.reset();
                               quitWithoutTray.set(true);
                               update();
                           });
}

} // namespace drowsel
