// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "platform/notify/DesktopNotifications.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QTimer>

#include <optional>

namespace drowsel {

// GNOME Shell on Wayland shows Drowsel no window unless Drowsel's own Shell
// extension runs. When it does not a few seconds after start, one notice per
// start says so, with an action that enables it (and the AppIndicator
// extension, when no tray hosts Drowsel's icon), and explains that a newly
// installed extension runs only after a new login. The notice goes when the
// extension turns up.
class ShellExtensionNotice {
    Q_DECLARE_TR_FUNCTIONS(drowsel::ShellExtensionNotice)

public:
    // The session, as $XDG_CURRENT_DESKTOP and $WAYLAND_DISPLAY tell it.
    struct Session {
        QString currentDesktop;
        QString waylandDisplay;
        static Session ours();
        bool isGnomeOnWayland() const;
    };
    // The extension and the tray may take a moment to answer at login.
    static constexpr int defaultDelayMilliseconds = 5000;
    static constexpr auto enableKey = "enable";

    ShellExtensionNotice(DesktopNotifications& notifications, Logger log, Session session = Session::ours(),
                         QDBusConnection bus = QDBusConnection::sessionBus(),
                         int delayMilliseconds = defaultDelayMilliseconds);

private:
    bool isOnBus(const QString& name) const;
    void noticeMissingExtension();
    void enableExtensions(const QStringList& uuids);
    void takeBack();

    DesktopNotifications& notifications;
    Logger log;
    QDBusConnection bus;
    QTimer delay;
    QDBusServiceWatcher extensionWatcher;
    std::optional<DesktopNotifications::Notice> notice;
};

} // namespace drowsel
