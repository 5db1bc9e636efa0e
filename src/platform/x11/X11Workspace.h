// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "core/Workspace.h"
#include "platform/desktop/DeactivationAnnouncer.h"
#include "platform/desktop/DesktopEntryLookup.h"
#include "platform/wayland/XWaylandClients.h"
#include "platform/x11/WindowCloser.h"
#include "platform/x11/WindowReader.h"
#include "platform/x11/WindowRecord.h"
#include "platform/x11/X11Application.h"
#include "platform/x11/XcbConnection.h"

#include <QIcon>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <map>
#include <memory>
#include <set>
#include <span>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace drowsel {

// The workspace over X11 and the EWMH: applications are the clients owning
// windows in _NET_CLIENT_LIST, the frontmost one owns _NET_ACTIVE_WINDOW.
// Runs on the Qt event loop with a connection of its own; its picture of the
// windows is kept from events, so reading it makes no request to the server.
class X11Workspace : public QObject, public Workspace, public XWaylandClients {
    Q_OBJECT
public:
    // Null when the display cannot be reached (logged at error level).
    static std::unique_ptr<X11Workspace> open(Logger log, const char* displayName = nullptr);
    ~X11Workspace() override;

    std::vector<ApplicationHandle> runningApplications() const override;
    std::optional<ApplicationHandle> frontmostApplication() const override;
    void addDeactivationObserver(DeactivationObserver observer) override;
    // The first icon a window of the application at this bundle location
    // carries (_NET_WM_ICON); null when none has one.
    QIcon iconOfWindowsAt(const std::string& location) const;
    bool hasWindowOfClass(std::string_view name) const override;
    bool hasWindowWithoutClass() const override;
    bool hasClientWithPid(pid_t pid) const override;

    // For measurements: the sequence numbers of two round trips on it tell how
    // many requests the workspace made in between.
    xcb_connection_t* xcbConnection() const { return connection->get(); }

Q_SIGNALS:
    // The X connection broke, usually because the session ended. Emitted once.
    void connectionLost();

private:
    using ApplicationKey = WindowRecord::ApplicationKey;

    X11Workspace(std::unique_ptr<XcbConnection> connection, Logger log);
    void processEvents();
    void processEventsSoon() const;
    void handle(const xcb_generic_event_t& event);
    void handlePropertyChange(const xcb_property_notify_event_t& event);
    void setMapped(xcb_window_t window, bool isMapped);
    void forget(xcb_window_t window);
    bool hasStaleState() const;
    void refresh();
    void readClientList();
    void readNewWindows(std::span<const xcb_window_t> listed);
    void rereadWindows();
    void readActiveWindow();
    void rebuildApplications();
    X11Application::Facts factsOf(const std::vector<const WindowRecord*>& windows);
    std::vector<const WindowRecord*> windowsOf(const ApplicationKey& key) const;
    std::shared_ptr<X11Application> ownerOf(xcb_window_t window) const;
    void announceActiveOwnerChange();
    void checkConnection();
    QIcon windowIcon(xcb_window_t window) const;

    std::unique_ptr<XcbConnection> connection;
    Logger log;
    WindowReader reader;
    DesktopEntryLookup entries;
    std::shared_ptr<const WindowCloser> closer;
    QSocketNotifier notifier;
    // Handles the events read into xcb's queue during a round trip made
    // outside event handling (closing windows, reading icons).
    mutable QTimer queuedEventsTimer;
    // Reads the next windows of a list too long to read at once.
    QTimer nextBatchTimer;

    // The picture of the display, in _NET_CLIENT_LIST order.
    std::vector<xcb_window_t> clientList;
    std::unordered_map<xcb_window_t, WindowRecord> windows;
    // Listed windows that did not exist when read; kept while they are listed.
    std::unordered_set<xcb_window_t> absentWindows;
    std::map<ApplicationKey, std::shared_ptr<X11Application>> applications;
    xcb_window_t activeWindow = XCB_WINDOW_NONE;
    DeactivationAnnouncer<X11Application> activeOwner;
    mutable std::unordered_map<xcb_window_t, QIcon> windowIcons;

    // What events have made stale since the last refresh.
    bool clientListIsStale = true;
    bool activeWindowIsStale = true;
    bool applicationsAreStale = false;
    std::set<xcb_window_t> staleWindows;

    bool lost = false;
};

} // namespace drowsel
