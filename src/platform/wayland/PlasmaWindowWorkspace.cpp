// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/wayland/PlasmaWindowWorkspace.h"

#include "plasma-window-management-client-protocol.h"

#include <QString>
#include <QTimer>
#include <QUtf8StringView>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>

namespace drowsel {

namespace {

// Windows are known by uuid from version 13 on; 16 adds the resource name.
constexpr std::uint32_t protocolVersion = 16;
// The first with the end of a window's initial state and a destructor.
constexpr std::uint32_t oldestVersion = 4;

std::optional<std::string> executableOf(pid_t pid) {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    return error ? std::nullopt : std::optional(path.string());
}

std::optional<std::string> unlessEmpty(const std::string& text) {
    return text.empty() ? std::nullopt : std::optional(text);
}

} // namespace

std::unique_ptr<PlasmaWindowWorkspace> PlasmaWindowWorkspace::open(WaylandConnection& connection, Logger log,
                                                                   const XWaylandClients* xwayland) {
    const auto global = connection.global(protocol);
    if (!global) {
        log.info(std::string("The compositor does not offer ") + protocol +
                 " to this program; KWin offers it only to programs whose installed desktop entry asks for it");
        return nullptr;
    }
    if (global->version < oldestVersion) {
        log.info(std::string("The compositor offers only version ") + std::to_string(global->version) + " of " +
                 protocol);
        return nullptr;
    }
    auto* manager = static_cast<org_kde_plasma_window_management*>(
        connection.bind(*global, &org_kde_plasma_window_management_interface, protocolVersion));
    std::unique_ptr<PlasmaWindowWorkspace> workspace(
        new PlasmaWindowWorkspace(connection, std::move(log), xwayland, manager));
    // The windows that exist already are announced now, then their states:
    // after two round trips the first reading is complete.
    connection.roundTrip();
    connection.roundTrip();
    workspace->processChanges();
    return workspace;
}

PlasmaWindowWorkspace::PlasmaWindowWorkspace(WaylandConnection& connection, Logger log, const XWaylandClients* xwayland,
                                             org_kde_plasma_window_management* manager)
    : connection(connection), log(std::move(log)), xwayland(xwayland), manager(manager),
      closer(std::make_shared<const ToplevelCloser>([this](std::uint64_t id) { return askToClose(id); })) {
    static const org_kde_plasma_window_management_listener listener = {
        .show_desktop_changed = [](void*, org_kde_plasma_window_management*, std::uint32_t) {},
        .window = &PlasmaWindowWorkspace::addWindow,
        .stacking_order_changed = [](void*, org_kde_plasma_window_management*, wl_array*) {},
        .stacking_order_uuid_changed = [](void*, org_kde_plasma_window_management*, const char*) {},
        .window_with_uuid = &PlasmaWindowWorkspace::addWindowWithUuid,
    };
    org_kde_plasma_window_management_add_listener(manager, &listener, this);
}

PlasmaWindowWorkspace::~PlasmaWindowWorkspace() {
    for (const auto& [id, window] : windows) {
        org_kde_plasma_window_destroy(window->proxy);
    }
    org_kde_plasma_window_management_destroy(manager);
    connection.flush();
}

std::vector<ApplicationHandle> PlasmaWindowWorkspace::runningApplications() const {
    std::vector<ApplicationHandle> running;
    for (const auto& [key, application] : applications.all()) {
        if (!isXWaylandApplication(*application)) {
            running.emplace_back(application);
        }
    }
    return running;
}

std::optional<ApplicationHandle> PlasmaWindowWorkspace::frontmostApplication() const {
    if (const auto owner = activeOwner()) {
        return ApplicationHandle(owner);
    }
    return std::nullopt;
}

void PlasmaWindowWorkspace::addDeactivationObserver(DeactivationObserver observer) {
    deactivations.addObserver(std::move(observer));
}

// KWin announces each window by one of the two events, by the version bound.
void PlasmaWindowWorkspace::addWindow(void* data, org_kde_plasma_window_management* manager, std::uint32_t id) {
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(manager)) <
        ORG_KDE_PLASMA_WINDOW_MANAGEMENT_WINDOW_WITH_UUID_SINCE_VERSION) {
        static_cast<PlasmaWindowWorkspace*>(data)->listen(org_kde_plasma_window_management_get_window(manager, id));
    }
}

void PlasmaWindowWorkspace::addWindowWithUuid(void* data, org_kde_plasma_window_management* manager, std::uint32_t,
                                              const char* uuid) {
    static_cast<PlasmaWindowWorkspace*>(data)->listen(
        org_kde_plasma_window_management_get_window_by_uuid(manager, uuid));
}

void PlasmaWindowWorkspace::listen(org_kde_plasma_window* proxy) {
    static const org_kde_plasma_window_listener listener = {
        .title_changed = &PlasmaWindowWorkspace::setTitle,
        .app_id_changed = &PlasmaWindowWorkspace::setAppId,
        .state_changed = &PlasmaWindowWorkspace::setState,
        .virtual_desktop_changed = [](void*, org_kde_plasma_window*, std::int32_t) {},
        .themed_icon_name_changed = [](void*, org_kde_plasma_window*, const char*) {},
        .unmapped = &PlasmaWindowWorkspace::removeWindow,
        .initial_state = &PlasmaWindowWorkspace::announce,
        .parent_window = &PlasmaWindowWorkspace::setParent,
        .geometry = [](void*, org_kde_plasma_window*, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t) {},
        .icon_changed = [](void*, org_kde_plasma_window*) {},
        .pid_changed = &PlasmaWindowWorkspace::setPid,
        .virtual_desktop_entered = [](void*, org_kde_plasma_window*, const char*) {},
        .virtual_desktop_left = [](void*, org_kde_plasma_window*, const char*) {},
        .application_menu = [](void*, org_kde_plasma_window*, const char*, const char*) {},
        .activity_entered = [](void*, org_kde_plasma_window*, const char*) {},
        .activity_left = [](void*, org_kde_plasma_window*, const char*) {},
        .resource_name_changed = &PlasmaWindowWorkspace::setResourceName,
    };
    auto window = std::make_unique<Window>();
    window->workspace = this;
    window->proxy = proxy;
    window->id = nextWindowId++;
    org_kde_plasma_window_add_listener(proxy, &listener, window.get());
    windows.emplace(window->id, std::move(window));
}

void PlasmaWindowWorkspace::setTitle(void* data, org_kde_plasma_window*, const char* title) {
    auto& window = windowOf(data);
    window.title = window.workspace->validUtf8(title, "title");
    window.workspace->changed(window);
}

void PlasmaWindowWorkspace::setAppId(void* data, org_kde_plasma_window*, const char* appId) {
    auto& window = windowOf(data);
    window.appId = window.workspace->validUtf8(appId, "app id");
    window.workspace->changed(window);
}

void PlasmaWindowWorkspace::setResourceName(void* data, org_kde_plasma_window*, const char* name) {
    auto& window = windowOf(data);
    window.resourceName = window.workspace->validUtf8(name, "resource name");
}

void PlasmaWindowWorkspace::setState(void* data, org_kde_plasma_window*, std::uint32_t state) {
    auto& window = windowOf(data);
    window.state = state;
    window.workspace->changed(window);
}

// The PID comes from the compositor, but a window may come without one;
// such a window stands for itself rather than for some unrelated process.
void PlasmaWindowWorkspace::setPid(void* data, org_kde_plasma_window*, std::uint32_t pid) {
    auto& window = windowOf(data);
    if (pid > std::uint32_t(INT_MAX)) {
        window.workspace->log.debug("Ignored the impossible PID " + std::to_string(pid) + " of a window");
        pid = 0;
    }
    window.pid = pid_t(pid);
    window.workspace->changed(window);
}

void PlasmaWindowWorkspace::setParent(void* data, org_kde_plasma_window*, org_kde_plasma_window* parent) {
    auto& window = windowOf(data);
    window.isTransient = parent != nullptr;
    window.workspace->changed(window);
}

void PlasmaWindowWorkspace::announce(void* data, org_kde_plasma_window*) {
    auto& window = windowOf(data);
    window.isAnnounced = true;
    window.workspace->changed(window);
}

void PlasmaWindowWorkspace::removeWindow(void* data, org_kde_plasma_window* proxy) {
    auto* workspace = windowOf(data).workspace;
    const auto id = windowOf(data).id;
    org_kde_plasma_window_destroy(proxy);
    workspace->windows.erase(id);
    workspace->applicationsAreStale = true;
    workspace->processChangesSoon();
}

// Titles and app ids come from other clients: whatever they send is kept as
// valid UTF-8.
std::string PlasmaWindowWorkspace::validUtf8(const char* text, const char* what) const {
    if (text == nullptr) {
        return {};
    }
    if (!QUtf8StringView(text).isValidUtf8()) {
        log.debug(std::string("A window's ") + what + " is not valid UTF-8; its bad bytes are replaced");
    }
    return QString::fromUtf8(text).toStdString();
}

void PlasmaWindowWorkspace::changed(const Window& window) {
    if (window.isAnnounced) {
        applicationsAreStale = true;
        processChangesSoon();
    }
}

// One change often comes as several events (the window losing the active
// state, then the one gaining it): they are handled together once the batch
// has been dispatched, so a switch between two windows of one application is
// no change of the active application.
void PlasmaWindowWorkspace::processChangesSoon() {
    if (!changesAreScheduled) {
        changesAreScheduled = true;
        QTimer::singleShot(0, this, &PlasmaWindowWorkspace::processChanges);
    }
}

void PlasmaWindowWorkspace::processChanges() {
    changesAreScheduled = false;
    if (applicationsAreStale) {
        rebuildApplications();
    }
    announceActiveOwnerChange();
}

// An application keeps its object while any of its windows remains; one whose
// last window closed is marked gone, and a later one gets a new object.
void PlasmaWindowWorkspace::rebuildApplications() {
    applicationsAreStale = false;
    std::map<ApplicationKey, std::vector<const Window*>> groups;
    for (const auto& [id, window] : windows) {
        if (window->isAnnounced) {
            groups[applicationKey(*window)].push_back(window.get());
        }
    }
    applications.rebuild(groups, [this](const ApplicationKey& key, const std::vector<const Window*>& members) {
        return factsOf(key, members);
    });
}

PlasmaWindowWorkspace::ApplicationKey PlasmaWindowWorkspace::applicationKey(const Window& window) {
    return window.pid > 0 ? ApplicationKey{window.pid, 0} : ApplicationKey{0, window.id};
}

// Normal windows speak for the application first: a tool window's app id or
// title is a weaker clue.
WaylandApplication::Facts PlasmaWindowWorkspace::factsOf(const ApplicationKey& key,
                                                         std::vector<const Window*> members) {
    std::ranges::stable_partition(members, &Window::isNormal);
    WaylandApplication::Facts facts;
    facts.policy = members.front()->isNormal() ? ActivationPolicy::regular : ActivationPolicy::accessory;
    const auto named = std::ranges::find_if(members, [](const Window* window) { return !window->appId.empty(); });
    if (named != members.end()) {
        const auto& appId = (*named)->appId;
        const auto entry = entries.findForAppId(appId);
        // By convention the app id is the desktop-file id, even without an installed entry.
        facts.identifier = entry ? entry->id : appId;
        facts.name = entry && !entry->name.empty() ? entry->name : appId;
        facts.location = entry ? std::optional(entry->path) : std::nullopt;
    }
    for (const auto* member : members) {
        if (!facts.name) {
            facts.name = unlessEmpty(member->title);
        }
        facts.toplevels.push_back(member->id);
    }
    if (key.first > 0) {
        facts.pid = key.first;
    }
    if (!facts.location && key.first > 0) {
        facts.location = executableOf(key.first);
    }
    return facts;
}

bool PlasmaWindowWorkspace::Window::isNormal() const {
    return !isTransient && !hasState(ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_SKIPTASKBAR);
}

// KWin lists XWayland's windows too. Those are the X11 workspace's: KWin
// answers a close request for an X client that cannot be asked politely by
// killing it. A window without a PID is judged by its class.
bool PlasmaWindowWorkspace::belongsToXWayland(const Window& window) const {
    if (xwayland == nullptr) {
        return false;
    }
    if (window.pid > 0) {
        return xwayland->hasClientWithPid(window.pid);
    }
    if (window.appId.empty() && window.resourceName.empty()) {
        return xwayland->hasWindowWithoutClass();
    }
    return (!window.appId.empty() && xwayland->hasWindowOfClass(window.appId)) ||
           (!window.resourceName.empty() && xwayland->hasWindowOfClass(window.resourceName));
}

bool PlasmaWindowWorkspace::isXWaylandApplication(const WaylandApplication& application) const {
    return std::ranges::any_of(application.currentFacts().toplevels, [this](std::uint64_t id) {
        const auto window = windows.find(id);
        return window != windows.end() && belongsToXWayland(*window->second);
    });
}

// Asked again at close time: the X11 workspace may have learnt of the client
// since the list was read. A window KWin will not close is not asked, nor a
// panel or other helper the taskbar leaves out: the close button is the
// ordinary windows'.
bool PlasmaWindowWorkspace::askToClose(std::uint64_t windowId) {
    const auto found = windows.find(windowId);
    if (connection.isLost() || found == windows.end() || belongsToXWayland(*found->second) ||
        !found->second->isNormal() || !found->second->hasState(ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_CLOSEABLE)) {
        return false;
    }
    org_kde_plasma_window_close(found->second->proxy);
    connection.flush();
    return true;
}

std::shared_ptr<WaylandApplication> PlasmaWindowWorkspace::activeOwner() const {
    for (const auto& [id, window] : windows) {
        if (window->isAnnounced && window->hasState(ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) &&
            !belongsToXWayland(*window)) {
            return applications.ownerOf(id);
        }
    }
    return nullptr;
}

// An application that has gone meanwhile is not announced, nor one that
// turned out to be XWayland's: the X11 workspace announces those.
void PlasmaWindowWorkspace::announceActiveOwnerChange() {
    deactivations.ownerIs(
        activeOwner(), [this](const WaylandApplication& application) { return !isXWaylandApplication(application); });
}

} // namespace drowsel
