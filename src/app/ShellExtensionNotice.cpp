// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShellExtensionNotice.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace drowsel {

namespace {

const QString extensionService = QStringLiteral("com.drowsel.Drowsel.Shell");
const QString trayWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString drowselUuid = QStringLiteral("drowsel@drowsel.com");
// Debian and Ubuntu name the AppIndicator extension so; other distributions
// ship it under its author's uuid. Enabling a uuid that is not installed does
// nothing, so both are asked for.
const QStringList appIndicatorUuids = {QStringLiteral("ubuntu-appindicators@ubuntu.com"),
                                       QStringLiteral("appindicatorsupport@rgcjonas.gmail.com")};

} // namespace

ShellExtensionNotice::Session ShellExtensionNotice::Session::ours() {
    return {qEnvironmentVariable("XDG_CURRENT_DESKTOP"), qEnvironmentVariable("WAYLAND_DISPLAY")};
}

bool ShellExtensionNotice::Session::isGnomeOnWayland() const {
    return currentDesktop.split(u':').contains(QStringLiteral("GNOME")) && !waylandDisplay.isEmpty();
}

ShellExtensionNotice::ShellExtensionNotice(DesktopNotifications& notifications, Logger log, Session session,
                                           QDBusConnection bus, int delayMilliseconds)
    : notifications(notifications), log(std::move(log)), bus(bus),
      extensionWatcher(extensionService, bus, QDBusServiceWatcher::WatchForRegistration) {
    if (!session.isGnomeOnWayland()) {
        return;
    }
    delay.setSingleShot(true);
    delay.setInterval(delayMilliseconds);
    QObject::connect(&delay, &QTimer::timeout, [this] { noticeMissingExtension(); });
    // The timer, ours, ends the connection when we go.
    QObject::connect(&extensionWatcher, &QDBusServiceWatcher::serviceRegistered, &delay, [this] { takeBack(); });
    delay.start();
}

bool ShellExtensionNotice::isOnBus(const QString& name) const {
    const QDBusConnectionInterface* daemon = bus.interface();
    return daemon != nullptr && daemon->isServiceRegistered(name);
}

void ShellExtensionNotice::noticeMissingExtension() {
    if (isOnBus(extensionService)) {
        return;
    }
    QString body = tr("Without its GNOME Shell extension, Drowsel sees none of your Wayland windows. On Wayland a "
                      "newly installed extension runs only after you log out and back in; until then Drowsel works "
                      "with the applications that run under XWayland only.");
    QStringList uuids{drowselUuid};
    if (!isOnBus(trayWatcherService)) {
        body += u' ' + tr("Enable the AppIndicator extension too, so that the top bar shows Drowsel's icon.");
        uuids += appIndicatorUuids;
    }
    log.info("Drowsel's GNOME Shell extension does not run; a notice offers to enable " +
             uuids.join(QStringLiteral(", ")).toStdString());
    notice = notifications.show(tr("Drowsel's GNOME Shell extension is not running"), body, {{enableKey, tr("Enable")}},
                                [this, uuids](const QString&) {
                                    notice.reset();
                                    enableExtensions(uuids);
                                });
}

void ShellExtensionNotice::enableExtensions(const QStringList& uuids) {
    for (const auto& uuid : uuids) {
        // The shell itself answers for its extensions, on its own name.
        auto message = QDBusMessage::createMethodCall(
            QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
            QStringLiteral("org.gnome.Shell.Extensions"), QStringLiteral("EnableExtension"));
        message.setArguments({uuid});
        auto* call = new QDBusPendingCallWatcher(bus.asyncCall(message), &delay);
        QObject::connect(call, &QDBusPendingCallWatcher::finished, &delay, [this, uuid](QDBusPendingCallWatcher* call) {
            call->deleteLater();
            const QDBusPendingReply<bool> reply = *call;
            log.info("GNOME Shell " + std::string(reply.isValid() && reply.value() ? "enabled " : "did not enable ") +
                     uuid.toStdString() + (reply.isError() ? ": " + reply.error().message().toStdString() : ""));
        });
    }
}

void ShellExtensionNotice::takeBack() {
    delay.stop();
    if (notice) {
        log.info("Drowsel's GNOME Shell extension runs: its notice is taken back");
        notifications.close(*notice);
        notice.reset();
    }
}

} // namespace drowsel
