// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/away/IdleNotificationWatch.h"

#include <wayland-client.h>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

namespace drowsel {

std::unique_ptr<IdleNotificationWatch> IdleNotificationWatch::start(Logger log, PresenceClock& clock,
                                                                    std::chrono::milliseconds awayAfter,
                                                                    const char* displayName) {
    auto connection = WaylandConnection::open(log, displayName);
    if (connection == nullptr) {
        return nullptr;
    }
    std::unique_ptr<IdleNotificationWatch> watch(new IdleNotificationWatch(std::move(connection), clock));
    if (!watch->subscribe(awayAfter)) {
        log.info("The Wayland compositor tells nothing of the time without input: not watched");
        return nullptr;
    }
    return watch;
}

IdleNotificationWatch::IdleNotificationWatch(std::unique_ptr<WaylandConnection> connection, PresenceClock& clock)
    : connection(std::move(connection)), clock(clock) {
    QObject::connect(this->connection.get(), &WaylandConnection::connectionLost, this,
                     [this] { resumed(this, nullptr); });
}

IdleNotificationWatch::~IdleNotificationWatch() {
    resumed(this, nullptr);
    if (notification != nullptr) {
        ext_idle_notification_v1_destroy(notification);
    }
    if (notifier != nullptr) {
        ext_idle_notifier_v1_destroy(notifier);
    }
    if (kdeTimeout != nullptr) {
        org_kde_kwin_idle_timeout_release(kdeTimeout);
    }
    if (kdeIdle != nullptr) {
        org_kde_kwin_idle_destroy(kdeIdle);
    }
    if (seat != nullptr) {
        wl_seat_destroy(seat);
    }
    connection->flush();
}

bool IdleNotificationWatch::subscribe(std::chrono::milliseconds awayAfter) {
    const auto seatGlobal = connection->global(wl_seat_interface.name);
    const auto standard = connection->global(ext_idle_notifier_v1_interface.name);
    const auto kde = connection->global(org_kde_kwin_idle_interface.name);
    if (!seatGlobal || (!standard && !kde)) {
        return false;
    }
    seat = static_cast<wl_seat*>(connection->bind(*seatGlobal, &wl_seat_interface, 1));
    const auto timeout = static_cast<std::uint32_t>(awayAfter.count());
    if (standard) {
        static const ext_idle_notification_v1_listener listener{&IdleNotificationWatch::idled,
                                                                &IdleNotificationWatch::resumed};
        notifier = static_cast<ext_idle_notifier_v1*>(connection->bind(*standard, &ext_idle_notifier_v1_interface, 1));
        notification = ext_idle_notifier_v1_get_idle_notification(notifier, timeout, seat);
        ext_idle_notification_v1_add_listener(notification, &listener, this);
    } else {
        static const org_kde_kwin_idle_timeout_listener listener{&IdleNotificationWatch::kdeIdled,
                                                                 &IdleNotificationWatch::kdeResumed};
        kdeIdle = static_cast<org_kde_kwin_idle*>(connection->bind(*kde, &org_kde_kwin_idle_interface, 1));
        kdeTimeout = org_kde_kwin_idle_get_idle_timeout(kdeIdle, seat, timeout);
        org_kde_kwin_idle_timeout_add_listener(kdeTimeout, &listener, this);
    }
    return connection->roundTrip();
}

void IdleNotificationWatch::idled(void* data, ext_idle_notification_v1*) {
    static_cast<IdleNotificationWatch*>(data)->clock.setAway(PresenceClock::AwaySource::noInput, true);
}

void IdleNotificationWatch::resumed(void* data, ext_idle_notification_v1*) {
    static_cast<IdleNotificationWatch*>(data)->clock.setAway(PresenceClock::AwaySource::noInput, false);
}

void IdleNotificationWatch::kdeIdled(void* data, org_kde_kwin_idle_timeout*) { idled(data, nullptr); }

void IdleNotificationWatch::kdeResumed(void* data, org_kde_kwin_idle_timeout*) { resumed(data, nullptr); }

} // namespace drowsel
