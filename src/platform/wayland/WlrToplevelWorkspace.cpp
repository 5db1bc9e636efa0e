// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/wayland/WlrToplevelWorkspace.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"

#include <QString>
#include <QTimer>

#include <algorithm>

namespace drowsel {

namespace {

constexpr std::uint32_t protocolVersion = 3;

// Titles and app ids come from other clients: whatever they send is shown as
// valid UTF-8.
std::string validUtf8(const char* text) { return QString::fromUtf8(text).toStdString(); }

bool hasActivatedState(const wl_array& states) {
    const auto* first = static_cast<const std::uint32_t*>(states.data);
    const auto* last = first + states.size / sizeof(std::uint32_t);
    return std::find(first, last, std::uint32_t(ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED)) != last;
}

} // namespace

std::unique_ptr<WlrToplevelWorkspace> WlrToplevelWorkspace::open(WaylandConnection& connection, Logger log,
                                                                 const XWaylandClients* xwayland) {
    const auto global = connection.global(protocol);
    if (!global) {
        log.info(std::string("The compositor does not offer ") + protocol);
        return nullptr;
    }
    auto* manager = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        connection.bind(*global, &zwlr_foreign_toplevel_manager_v1_interface, protocolVersion));
    std::unique_ptr<WlrToplevelWorkspace> workspace(
        new WlrToplevelWorkspace(connection, std::move(log), xwayland, manager));
    // The toplevels that exist already arrive now, so the first reading is complete.
    connection.roundTrip();
    return workspace;
}

WlrToplevelWorkspace::WlrToplevelWorkspace(WaylandConnection& connection, Logger log, const XWaylandClients* xwayland,
                                           zwlr_foreign_toplevel_manager_v1* manager)
    : connection(connection), log(std::move(log)), xwayland(xwayland), manager(manager),
      closer(std::make_shared<const ToplevelCloser>([this](std::uint64_t id) { return askToClose(id); })) {
    static const zwlr_foreign_toplevel_manager_v1_listener listener = {&WlrToplevelWorkspace::addToplevel,
                                                                       &WlrToplevelWorkspace::stopListing};
    zwlr_foreign_toplevel_manager_v1_add_listener(manager, &listener, this);
}

WlrToplevelWorkspace::~WlrToplevelWorkspace() {
    for (const auto& [id, toplevel] : toplevels) {
        zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    }
    if (manager != nullptr) {
        zwlr_foreign_toplevel_manager_v1_stop(manager);
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
    }
    connection.flush();
}

std::vector<ApplicationHandle> WlrToplevelWorkspace::runningApplications() const {
    std::vector<ApplicationHandle> running;
    for (const auto& [key, application] : applications.all()) {
        if (!isXWaylandApplication(*application)) {
            running.emplace_back(application);
        }
    }
    return running;
}

std::optional<ApplicationHandle> WlrToplevelWorkspace::frontmostApplication() const {
    if (const auto owner = activeOwner()) {
        return ApplicationHandle(owner);
    }
    return std::nullopt;
}

void WlrToplevelWorkspace::addDeactivationObserver(DeactivationObserver observer) {
    deactivations.addObserver(std::move(observer));
}

void WlrToplevelWorkspace::addToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                                       zwlr_foreign_toplevel_handle_v1* handle) {
    static const zwlr_foreign_toplevel_handle_v1_listener listener = {
        .title = &WlrToplevelWorkspace::setTitle,
        .app_id = &WlrToplevelWorkspace::setAppId,
        .output_enter = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        .output_leave = [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
        .state = &WlrToplevelWorkspace::setState,
        .done = &WlrToplevelWorkspace::applyChanges,
        .closed = &WlrToplevelWorkspace::removeToplevel,
        .parent = [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},
    };
    auto* workspace = static_cast<WlrToplevelWorkspace*>(data);
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->workspace = workspace;
    toplevel->handle = handle;
    toplevel->id = workspace->nextToplevelId++;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, toplevel.get());
    workspace->toplevels.emplace(toplevel->id, std::move(toplevel));
}

void WlrToplevelWorkspace::stopListing(void* data, zwlr_foreign_toplevel_manager_v1* manager) {
    auto* workspace = static_cast<WlrToplevelWorkspace*>(data);
    workspace->log.error("The compositor stopped listing toplevels");
    zwlr_foreign_toplevel_manager_v1_destroy(manager);
    workspace->manager = nullptr;
}

void WlrToplevelWorkspace::setTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title) {
    static_cast<Toplevel*>(data)->pending.title = validUtf8(title);
}

void WlrToplevelWorkspace::setAppId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* appId) {
    static_cast<Toplevel*>(data)->pending.appId = validUtf8(appId);
}

void WlrToplevelWorkspace::setState(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
    static_cast<Toplevel*>(data)->pending.isActivated = hasActivatedState(*states);
}

void WlrToplevelWorkspace::applyChanges(void* data, zwlr_foreign_toplevel_handle_v1*) {
    auto& toplevel = *static_cast<Toplevel*>(data);
    const bool regroups = !toplevel.isAnnounced || toplevel.pending.appId != toplevel.current.appId ||
                          (toplevel.current.appId.empty() && toplevel.pending.title != toplevel.current.title);
    toplevel.current = toplevel.pending;
    toplevel.isAnnounced = true;
    if (regroups) {
        toplevel.workspace->rebuildApplications();
    }
    toplevel.workspace->checkActivationSoon();
}

void WlrToplevelWorkspace::removeToplevel(void* data, zwlr_foreign_toplevel_handle_v1* handle) {
    auto* workspace = static_cast<Toplevel*>(data)->workspace;
    const auto id = static_cast<Toplevel*>(data)->id;
    zwlr_foreign_toplevel_handle_v1_destroy(handle);
    workspace->toplevels.erase(id);
    workspace->rebuildApplications();
    workspace->checkActivationSoon();
}

std::string WlrToplevelWorkspace::applicationKey(const Toplevel& toplevel) {
    return toplevel.current.appId.empty() ? "toplevel " + std::to_string(toplevel.id)
                                          : "app id " + toplevel.current.appId;
}

void WlrToplevelWorkspace::rebuildApplications() {
    std::map<std::string, std::vector<const Toplevel*>> groups;
    for (const auto& [id, toplevel] : toplevels) {
        if (toplevel->isAnnounced) {
            groups[applicationKey(*toplevel)].push_back(toplevel.get());
        }
    }
    applications.rebuild(
        groups, [this](const std::string&, const std::vector<const Toplevel*>& members) { return factsOf(members); });
}

WaylandApplication::Facts WlrToplevelWorkspace::factsOf(const std::vector<const Toplevel*>& members) {
    WaylandApplication::Facts facts;
    const auto& first = members.front()->current;
    if (first.appId.empty()) {
        facts.name = first.title.empty() ? std::nullopt : std::optional(first.title);
    } else if (const auto entry = entries.findForAppId(first.appId)) {
        facts.name = entry->name.empty() ? first.appId : entry->name;
        facts.identifier = entry->id;
        facts.location = entry->path;
    } else {
        // By convention the app id is the desktop-file id, even without an installed entry.
        facts.name = first.appId;
        facts.identifier = first.appId;
    }
    for (const auto* member : members) {
        facts.toplevels.push_back(member->id);
    }
    return facts;
}

bool WlrToplevelWorkspace::belongsToXWayland(const Toplevel& toplevel) const {
    if (xwayland == nullptr) {
        return false;
    }
    const auto& appId = toplevel.current.appId;
    return appId.empty() ? xwayland->hasWindowWithoutClass() : xwayland->hasWindowOfClass(appId);
}

bool WlrToplevelWorkspace::isXWaylandApplication(const WaylandApplication& application) const {
    return std::ranges::all_of(application.currentFacts().toplevels, [this](std::uint64_t id) {
        const auto toplevel = toplevels.find(id);
        return toplevel == toplevels.end() || belongsToXWayland(*toplevel->second);
    });
}

// XWayland windows are left to the X11 workspace: a compositor may answer its
// own close request by killing an X client that cannot be asked politely.
bool WlrToplevelWorkspace::askToClose(std::uint64_t toplevelId) {
    const auto found = toplevels.find(toplevelId);
    if (connection.isLost() || found == toplevels.end() || belongsToXWayland(*found->second)) {
        return false;
    }
    zwlr_foreign_toplevel_handle_v1_close(found->second->handle);
    connection.flush();
    return true;
}

std::shared_ptr<WaylandApplication> WlrToplevelWorkspace::activeOwner() const {
    for (const auto& [id, toplevel] : toplevels) {
        if (toplevel->isAnnounced && toplevel->current.isActivated && !belongsToXWayland(*toplevel)) {
            return applications.ownerOf(id);
        }
    }
    return nullptr;
}

// The toplevel losing the activated state and the one gaining it report in
// separate done events of one batch: the change is judged once the batch is
// handled, so a switch between two windows of one application is no change.
void WlrToplevelWorkspace::checkActivationSoon() {
    if (!activationCheckIsScheduled) {
        activationCheckIsScheduled = true;
        QTimer::singleShot(0, this, &WlrToplevelWorkspace::announceActiveOwnerChange);
    }
}

// A toplevel may be judged before the X11 workspace has read its XWayland
// window: an application that turned out to be XWayland's is the X11
// workspace's to announce.
void WlrToplevelWorkspace::announceActiveOwnerChange() {
    activationCheckIsScheduled = false;
    deactivations.ownerIs(
        activeOwner(), [this](const WaylandApplication& application) { return !isXWaylandApplication(application); });
}

} // namespace drowsel
