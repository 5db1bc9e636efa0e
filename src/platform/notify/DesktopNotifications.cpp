// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/notify/DesktopNotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace drowsel {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
const QString appName = QStringLiteral("Drowsel");
const QString appId = QStringLiteral("com.drowsel.Drowsel");
constexpr int serverDefaultTimeout = -1;
constexpr int neverExpires = 0;
constexpr auto keepOpenKey = "keep-open";
constexpr auto quitNowKey = "quit-now";

QDBusMessage serverCall(const QString& method, const QVariantList& arguments) {
    auto message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return message;
}

} // namespace

DesktopNotifications::DesktopNotifications(Logger log, QDBusConnection bus) : log(std::move(log)), bus(bus) {
    if (!bus.isConnected()) {
        reportUnavailable(bus.lastError());
        return;
    }
    bus.connect(service, path, interface, "ActionInvoked", this, SLOT(onActionInvoked(uint, QString)));
    bus.connect(service, path, interface, "NotificationClosed", this, SLOT(onNotificationClosed(uint)));
    auto* watcher = new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &DesktopNotifications::onServerOwnerChanged);
}

void DesktopNotifications::warn(const ApplicationHandle& application, int minutes, AnswerHandler answered) {
    const auto name = QString::fromStdString(application.name());
    const auto shownName = name.isEmpty() ? tr("An application") : name;
    const auto summary = minutes == 1
                             ? tr("%1 will be asked to quit in 1 minute").arg(shownName)
                             : tr("%1 will be asked to quit in %2 minutes").arg(shownName, QString::number(minutes));
    const auto [kept, added] = warnings.try_emplace(application, nextNotice);
    nextNotice += added ? 1 : 0;
    update(kept->second, summary, {}, {{keepOpenKey, tr("Keep open")}, {quitNowKey, tr("Quit now")}},
           [answered = std::move(answered)](const QString& key) {
               answered(key == keepOpenKey ? Answer::keepOpen : Answer::quitNow);
           });
}

void DesktopNotifications::withdraw(const ApplicationHandle& application) {
    if (const auto warning = warnings.find(application); warning != warnings.end()) {
        close(warning->second);
    }
}

DesktopNotifications::Notice DesktopNotifications::show(const QString& summary, const QString& body,
                                                        const std::vector<Action>& actions, ActionHandler handler) {
    const Notice notice = nextNotice++;
    update(notice, summary, body, actions, std::move(handler));
    return notice;
}

void DesktopNotifications::close(Notice notice) {
    const auto shown = notices.find(notice);
    if (shown == notices.end()) {
        return;
    }
    // One still on its way is closed when the server names it.
    if (shown->second.serverId != 0) {
        closeOnServer(shown->second.serverId);
    }
    forget(notice);
}

void DesktopNotifications::update(Notice notice, const QString& summary, const QString& body,
                                  const std::vector<Action>& actions, ActionHandler handler) {
    auto& shown = notices[notice];
    shown.summary = summary;
    shown.body = body;
    shown.actions.clear();
    for (const auto& action : actions) {
        shown.actions << action.key << action.label;
    }
    shown.handler = std::move(handler);
    send(notice);
}

// A notice that asks for an answer stays until it has one or is taken back:
// a warning that timed out would leave its "Quit now" out of reach.
int DesktopNotifications::timeoutOf(const Shown& shown) {
    return shown.actions.isEmpty() ? serverDefaultTimeout : neverExpires;
}

// One call per notice at a time: a change made meanwhile goes out once the
// server has named the notice, so that it replaces it rather than adding one.
void DesktopNotifications::send(Notice notice) {
    auto& shown = notices.at(notice);
    shown.changedWhileSending = shown.sending;
    if (shown.sending) {
        return;
    }
    shown.sending = true;
    const QVariantMap hints{{QStringLiteral("desktop-entry"), appId}};
    const auto call = bus.asyncCall(serverCall(
        "Notify", {appName, shown.serverId, appId, shown.summary, shown.body, shown.actions, hints, timeoutOf(shown)}));
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, notice](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        onSent(notice, *finished);
    });
}

void DesktopNotifications::onSent(Notice notice, const QDBusPendingCallWatcher& call) {
    const QDBusPendingReply<uint> reply = call;
    const auto shown = notices.find(notice);
    if (reply.isError()) {
        reportUnavailable(reply.error());
        forget(notice);
        return;
    }
    if (shown == notices.end()) {
        closeOnServer(reply.value()); // taken back while on its way
        return;
    }
    byServerId.erase(shown->second.serverId);
    shown->second.serverId = reply.value();
    shown->second.sending = false;
    byServerId[reply.value()] = notice;
    if (shown->second.changedWhileSending) {
        send(notice);
    }
}

void DesktopNotifications::onActionInvoked(uint serverId, const QString& key) {
    const auto found = byServerId.find(serverId);
    if (found == byServerId.end()) {
        return;
    }
    const Notice notice = found->second;
    auto& shown = notices.at(notice);
    const auto offered = shown.actions.indexOf(key);
    if (offered < 0 || offered % 2 != 0) {
        return; // not one of its action keys
    }
    // Forgotten first: the handler may show or take back notices.
    const auto handler = std::move(shown.handler);
    forget(notice);
    handler(key);
}

void DesktopNotifications::onNotificationClosed(uint serverId) {
    if (const auto found = byServerId.find(serverId); found != byServerId.end()) {
        forget(found->second);
    }
}

// The ids of a server that went mean nothing to the next one.
void DesktopNotifications::onServerOwnerChanged(const QString&, const QString& oldOwner, const QString& newOwner) {
    if (!oldOwner.isEmpty()) {
        log.info("The notification server went: its notifications are forgotten");
        notices.clear();
        byServerId.clear();
        warnings.clear();
    }
    if (!newOwner.isEmpty()) {
        unavailabilityLogged = false;
    }
}

void DesktopNotifications::closeOnServer(std::uint32_t serverId) {
    bus.send(serverCall("CloseNotification", {serverId}));
}

void DesktopNotifications::forget(Notice notice) {
    if (const auto shown = notices.find(notice); shown != notices.end()) {
        byServerId.erase(shown->second.serverId);
        notices.erase(shown);
    }
    std::erase_if(warnings, [notice](const auto& warning) { return warning.second == notice; });
}

void DesktopNotifications::reportUnavailable(const QDBusError& error) {
    if (!unavailabilityLogged) {
        unavailabilityLogged = true;
        log.error("Notifications are not shown: " + error.message().toStdString());
    }
}

} // namespace drowsel
