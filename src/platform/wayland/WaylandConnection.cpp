// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/wayland/WaylandConnection.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace drowsel {

std::unique_ptr<WaylandConnection> WaylandConnection::open(Logger log, const char* displayName) {
    wl_display* display = wl_display_connect(displayName);
    if (display == nullptr) {
        log.error(std::string("Cannot connect to the Wayland compositor: ") + std::strerror(errno));
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display, std::move(log)));
    if (!connection->roundTrip()) {
        connection->log.error("The Wayland compositor closed the connection at start");
        return nullptr;
    }
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* connection, Logger log)
    : connection(connection), log(std::move(log)), registry(wl_display_get_registry(connection)),
      notifier(wl_display_get_fd(connection), QSocketNotifier::Read) {
    static const wl_registry_listener listener = {&WaylandConnection::announceGlobal, &WaylandConnection::removeGlobal};
    wl_registry_add_listener(registry, &listener, this);
    connect(&notifier, &QSocketNotifier::activated, this, &WaylandConnection::readAndDispatch);
}

WaylandConnection::~WaylandConnection() {
    notifier.setEnabled(false);
    wl_registry_destroy(registry);
    wl_display_disconnect(connection);
}

std::optional<WaylandConnection::Global> WaylandConnection::global(std::string_view interface) const {
    const auto found = std::ranges::find(globals, interface, &Global::interface);
    return found == globals.end() ? std::nullopt : std::optional(*found);
}

void* WaylandConnection::bind(const Global& global, const wl_interface* interface, std::uint32_t version) {
    return wl_registry_bind(registry, global.name, interface, std::min(version, global.version));
}

void WaylandConnection::flush() {
    if (!lost) {
        wl_display_flush(connection);
        checkConnection();
    }
}

bool WaylandConnection::roundTrip() {
    if (!lost) {
        wl_display_roundtrip(connection);
        checkConnection();
    }
    return !lost;
}

// Events already queued (read during a round trip) are dispatched first;
// then whatever the socket holds is read without blocking.
void WaylandConnection::readAndDispatch() {
    if (lost) {
        return;
    }
    while (wl_display_prepare_read(connection) != 0) {
        wl_display_dispatch_pending(connection);
    }
    wl_display_read_events(connection);
    wl_display_dispatch_pending(connection);
    wl_display_flush(connection);
    checkConnection();
}

void WaylandConnection::checkConnection() {
    const int error = wl_display_get_error(connection);
    if (lost || error == 0) {
        return;
    }
    lost = true;
    notifier.setEnabled(false);
    log.error(std::string("Lost the connection to the Wayland compositor: ") + std::strerror(error));
    Q_EMIT connectionLost();
}

void WaylandConnection::announceGlobal(void* data, wl_registry*, std::uint32_t name, const char* interface,
                                       std::uint32_t version) {
    static_cast<WaylandConnection*>(data)->globals.push_back({name, interface, version});
}

void WaylandConnection::removeGlobal(void* data, wl_registry*, std::uint32_t name) {
    std::erase_if(static_cast<WaylandConnection*>(data)->globals,
                  [name](const Global& global) { return global.name == name; });
}

} // namespace drowsel
