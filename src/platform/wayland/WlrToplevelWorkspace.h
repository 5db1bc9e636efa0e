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
#include <vector>

struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;
struct wl_array;

namespace drowsel {

// The workspace of a wlroots compositor (sway, labwc, Hyprland, Wayfire)
// through wlr-foreign-toplevel-management: one application per app id, each
// toplevel without one an application of its own. The picture is kept from
// protocol events, so reading it makes no request.
class WlrToplevelWorkspace : public QObject, public Workspace {
    Q_OBJECT
public:
    static constexpr const char* protocol = "zwlr_foreign_toplevel_manager_v1";

    // Null when the compositor does not offer the protocol. xwayland, when
    // given, must outlive the workspace.
    static std::unique_ptr<WlrToplevelWorkspace> open(WaylandConnection& connection, Logger log,
                                                      const XWaylandClients* xwayland);
    ~WlrToplevelWorkspace() override;

    std::vector<ApplicationHandle> runningApplications() const override;
    std::optional<ApplicationHandle> frontmostApplication() const override;
    void addDeactivationObserver(DeactivationObserver observer) override;

private:
    // What the compositor said of one toplevel; changes wait for its done event.
    struct Toplevel {
        struct State {
            std::string title;
            std::string appId;
            bool isActivated = false;
        };

        WlrToplevelWorkspace* workspace = nullptr;
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        std::uint64_t id = 0;
        State current;
        State pending;
        bool isAnnounced = false;
    };

    WlrToplevelWorkspace(WaylandConnection& connection, Logger log, const XWaylandClients* xwayland,
                         zwlr_foreign_toplevel_manager_v1* manager);
    static void addToplevel(void* data, zwlr_foreign_toplevel_manager_v1* manager,
                            zwlr_foreign_toplevel_handle_v1* handle);
    static void stopListing(void* data, zwlr_foreign_toplevel_manager_v1* manager);
    static void setTitle(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* title);
    static void setAppId(void* data, zwlr_foreign_toplevel_handle_v1* handle, const char* appId);
    static void setState(void* data, zwlr_foreign_toplevel_handle_v1* handle, wl_array* states);
    static void applyChanges(void* data, zwlr_foreign_toplevel_handle_v1* handle);
    static void removeToplevel(void* data, zwlr_foreign_toplevel_handle_v1* handle);

    void rebuildApplications();
    static std::string applicationKey(const Toplevel& toplevel);
    WaylandApplication::Facts factsOf(const std::vector<const Toplevel*>& members);
    bool belongsToXWayland(const Toplevel& toplevel) const;
    bool isXWaylandApplication(const WaylandApplication& application) const;
    bool askToClose(std::uint64_t toplevelId);
    std::shared_ptr<WaylandApplication> activeOwner() const;
    void checkActivationSoon();
    void announceActiveOwnerChange();

    WaylandConnection& connection;
    Logger log;
    const XWaylandClients* xwayland;
    zwlr_foreign_toplevel_manager_v1* manager;
    DesktopEntryLookup entries;
    std::shared_ptr<const ToplevelCloser> closer;

    std::map<std::uint64_t, std::unique_ptr<Toplevel>> toplevels;
    std::uint64_t nextToplevelId = 1;
    // One application per app id, or per toplevel without one.
    WaylandApplications<std::string> applications{closer};
    DeactivationAnnouncer<WaylandApplication> deactivations;
    bool activationCheckIsScheduled = false;
};

} // namespace drowsel
