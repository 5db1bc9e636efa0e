// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ApplicationHandle.h"
#include "core/Logger.h"
#include "core/QuitWarnings.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>
#include <vector>

class QDBusError;
class QDBusPendingCallWatcher;

namespace drowsel {

// The desktop's notifications (org.freedesktop.Notifications): the warnings
// before a quit and the program's other notices. Every call to the server is
// asynchronous, so a slow or hung server never holds up the main thread.
// Without a server nothing is shown and one line is logged; a server that
// comes back is used again, and the notices of the one that went are forgotten.
class DesktopNotifications : public QObject, public QuitWarnings {
    Q_OBJECT
public:
    struct Action {
        QString key;
        QString label;
    };
    using Notice = std::uint64_t;
    using ActionHandler = std::function<void(const QString& key)>;

    explicit DesktopNotifications(Logger log, QDBusConnection bus = QDBusConnection::sessionBus());

    void warn(const ApplicationHandle& application, int minutes, AnswerHandler answered) override;
    void withdraw(const ApplicationHandle& application) override;

    // The handler runs at most once, with the key of the action the user picked.
    Notice show(const QString& summary, const QString& body, const std::vector<Action>& actions, ActionHandler handler);
    // Takes a notice back, if it is still shown; its handler never runs afterwards.
    void close(Notice notice);

private Q_SLOTS:
    void onActionInvoked(uint serverId, const QString& key);
    void onNotificationClosed(uint serverId);
    void onServerOwnerChanged(const QString& service, const QString& oldOwner, const QString& newOwner);

private:
    struct Shown {
        QString summary;
        QString body;
        QStringList actions; // key and label, pair after pair, as the server takes them
        ActionHandler handler;
        std::uint32_t serverId = 0;
        bool sending = false;
        bool changedWhileSending = false;
    };

    void update(Notice notice, const QString& summary, const QString& body, const std::vector<Action>& actions,
                ActionHandler handler);
    static int timeoutOf(const Shown& shown);
    void send(Notice notice);
    void onSent(Notice notice, const QDBusPendingCallWatcher& call);
    void closeOnServer(std::uint32_t serverId);
    void forget(Notice notice);
    void reportUnavailable(const QDBusError& error);

    Logger log;
    QDBusConnection bus;
    std::map<Notice, Shown> notices;
    std::unordered_map<std::uint32_t, Notice> byServerId;
    std::unordered_map<ApplicationHandle, Notice> warnings;
    Notice nextNotice = 1;
    bool unavailabilityLogged = false;
};

} // namespace drowsel
