// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"

#include <QObject>
#include <QSocketNotifier>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_interface;

namespace drowsel {

// A Wayland connection of our own, apart from the one Qt may hold, driven by
// the Qt event loop: events are read when the socket is readable and
// dispatched on the main thread.
class WaylandConnection : public QObject {
    Q_OBJECT
public:
    struct Global {
        std::uint32_t name = 0;
        std::string interface;
        std::uint32_t version = 0;
    };

    // displayName: a socket name or absolute path; nullptr for $WAYLAND_DISPLAY.
    // Null when the compositor cannot be reached (logged).
    static std::unique_ptr<WaylandConnection> open(Logger log, const char* displayName = nullptr);
    ~WaylandConnection() override;
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* display() const { return connection; }
    // One of the globals the compositor announced when we connected.
    std::optional<Global> global(std::string_view interface) const;
    // Binds a global at the lower of its version and the one we speak.
    void* bind(const Global& global, const wl_interface* interface, std::uint32_t version);
    // Sends requests made outside event handling.
    void flush();
    // Waits until the compositor has handled every request so far and its
    // answers are dispatched. For start-up; false when the connection broke.
    bool roundTrip();
    // The compositor has gone: nothing sent any more reaches it.
    bool isLost() const { return lost; }

Q_SIGNALS:
    // The compositor went away, usually because the session ended. Emitted once.
    void connectionLost();

private:
    WaylandConnection(wl_display* connection, Logger log);
    void readAndDispatch();
    void checkConnection();
    static void announceGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t version);
    static void removeGlobal(void* data, wl_registry* registry, std::uint32_t name);

    wl_display* connection;
    Logger log;
    wl_registry* registry = nullptr;
    std::vector<Global> globals;
    QSocketNotifier notifier;
    bool lost = false;
};

} // namespace drowsel
