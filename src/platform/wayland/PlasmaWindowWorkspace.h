// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "core/Workspace.h"
#include "platform/desktop/DeactivationAnnouncer.h"
#include "platform/desktop/DesktopEntryLookup.h"
#include "platform/wayland/ToplevelCloser.h"
#include "platform/wayland/WaylandApplication.h"
#include "platform/wayland/WaylandApplications.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/XWaylandClients.h"

#include <QObject>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

struct org_kde_plasma_window_management;
struct org_kde_plasma_window;

namespace drowsel {

// The workspace of KDE Plasma through KWin's window management protocol,
// which KWin offers only to programs whose installed desktop entry asks for
// it. Applications are the processes owning windows, as on X11; XWayland's
// clients are left to the X11 workspace. The picture is kept from protocol
// events, so reading it makes no request.
class PlasmaWindowWorkspace : public QObject, public Workspace {
    Q_OBJECT
public:
    static constexpr const char* protocol = "org_kde_plasma_window_management";

    // Null when the compositor does not offer the protocol to us. The
    // connection, and xwayland when given, must outlive the workspace.
    static std::unique_ptr<PlasmaWindowWorkspace> open(WaylandConnection& connection, Logger log,
                                                       const XWaylandClients* xwayland);
    ~PlasmaWindowWorkspace() override;

    std::vector<ApplicationHandle> runningApplications() const override;
    std::optional<ApplicationHandle> frontmostApplication() const override;
    void addDeactivationObserver(DeactivationObserver observer) override;

private:
    // What KWin said of one window. A window counts once its initial state
    // has arrived.
    struct Window {
        PlasmaWindowWorkspace* workspace = nullptr;
        org_kde_plasma_window* proxy = nullptr;
        std::uint64_t id = 0;
        std::string title;
        std::string appId;
        std::string resourceName;
        pid_t pid = 0;
        std::uint32_t state = 0;
        bool isTransient = false;
        bool isAnnounced = false;

        bool hasState(std::uint32_t flag) const { return (state & flag) != 0; }
        // Not a panel, desktop, notification or other helper the taskbar leaves out.
        bool isNormal() const;
    };
    // The owning process; a window without a PID is an application of its own.
    using ApplicationKey = std::pair<pid_t, std::uint64_t>;

    PlasmaWindowWorkspace(WaylandConnection& connection, Logger log, const XWaylandClients* xwayland,
                          org_kde_plasma_window_management* manager);
    static void addWindow(void* data, org_kde_plasma_window_management* manager, std::uint32_t id);
    static void addWindowWithUuid(void* data, org_kde_plasma_window_management* manager, std::uint32_t id,
                                  const char* uuid);
    void listen(org_kde_plasma_window* proxy);
    static Window& windowOf(void* data) { return *static_cast<Window*>(data); }
    static void setTitle(void* data, org_kde_plasma_window* proxy, const char* title);
    static void setAppId(void* data, org_kde_plasma_window* proxy, const char* appId);
    static void setResourceName(void* data, org_kde_plasma_window* proxy, const char* name);
    static void setState(void* data, org_kde_plasma_window* proxy, std::uint32_t state);
    static void setPid(void* data, org_kde_plasma_window* proxy, std::uint32_t pid);
    static void setParent(void* data, org_kde_plasma_window* proxy, org_kde_plasma_window* parent);
    static void announce(void* data, org_kde_plasma_window* proxy);
    static void removeWindow(void* data, org_kde_plasma_window* proxy);

    std::string validUtf8(const char* text, const char* what) const;
    void changed(const Window& window);
    void processChangesSoon();
    void processChanges();
    void rebuildApplications();
    static ApplicationKey applicationKey(const Window& window);
    WaylandApplication::Facts factsOf(const ApplicationKey& key, std::vector<const Window*> members);
    bool belongsToXWayland(const Window& window) const;
    bool isXWaylandApplication(const WaylandApplication& application) const;
    bool askToClose(std::uint64_t windowId);
    std::shared_ptr<WaylandApplication> activeOwner() const;
    void announceActiveOwnerChange();

    WaylandConnection& connection;
    Logger log;
    const XWaylandClients* xwayland;
    org_kde_plasma_window_management* manager;
    DesktopEntryLookup entries;
    std::shared_ptr<const ToplevelCloser> closer;

    std::map<std::uint64_t, std::unique_ptr<Window>> windows;
    std::uint64_t nextWindowId = 1;
    WaylandApplications<ApplicationKey> applications{closer};
    DeactivationAnnouncer<WaylandApplication> deactivations;
    bool applicationsAreStale = false;
    bool changesAreScheduled = false;
};

} // namespace drowsel
