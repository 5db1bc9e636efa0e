// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "platform/away/PresenceClock.h"
#include "platform/wayland/WaylandConnection.h"

#include <QObject>

#include <chrono>
#include <memory>

struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

namespace drowsel {

// Tells the clock when the user of a Wayland session has made no input for a
// while, from the compositor's idle notification on the seat: the standard
// ext_idle_notifier_v1, or else KDE's older org_kde_kwin_idle (wlroots
// compositors before it). On a connection of our own. What it said goes
// with it, or with the compositor.
class IdleNotificationWatch : public QObject {
    Q_OBJECT
public:
    // Null when the compositor cannot be reached or offers neither (logged).
    static std::unique_ptr<IdleNotificationWatch> start(Logger log, PresenceClock& clock,
                                                        std::chrono::milliseconds awayAfter = std::chrono::minutes(10),
                                                        const char* displayName = nullptr);
    ~IdleNotificationWatch() override;
    IdleNotificationWatch(const IdleNotificationWatch&) = delete;
    IdleNotificationWatch& operator=(const IdleNotificationWatch&) = delete;

    // The protocol in use, for the log.
    const char* protocol() const { return notifier != nullptr ? "ext_idle_notifier_v1" : "org_kde_kwin_idle"; }

private:
    IdleNotificationWatch(std::unique_ptr<WaylandConnection> connection, PresenceClock& clock);
    bool subscribe(std::chrono::milliseconds awayAfter);
    static void idled(void* data, ext_idle_notification_v1*);
    static void resumed(void* data, ext_idle_notification_v1*);
    static void kdeIdled(void* data, org_kde_kwin_idle_timeout*);
    static void kdeResumed(void* data, org_kde_kwin_idle_timeout*);

    std::unique_ptr<WaylandConnection> connection;
    PresenceClock& clock;
    wl_seat* seat = nullptr;
    ext_idle_notifier_v1* notifier = nullptr;
    ext_idle_notification_v1* notification = nullptr;
    org_kde_kwin_idle* kdeIdle = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout = nullptr;
};

} // namespace drowsel
