// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gnome/GnomeShellWorkspace.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace drowsel {

namespace {

std::optional<std::string> executableOf(pid_t pid) {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    return error ? std::nullopt : std::optional(path.string());
}

std::optional<std::string> unlessEmpty(const std::string& text) {
    return text.empty() ? std::nullopt : std::optional(text);
}

QDBusMessage methodCall(const char* method) {
    return QDBusMessage::createMethodCall(GnomeShellWorkspace::service, GnomeShellWorkspace::path,
                                          GnomeShellWorkspace::interface, method);
}

} // namespace

std::unique_ptr<GnomeShellWorkspace> GnomeShellWorkspace::open(const QDBusConnection& bus, Logger log,
                                                               const XWaylandClients* xwayland) {
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service)) {
        log.debug(std::string("No GNOME Shell extension of ours owns ") + service + " on the session bus");
        return nullptr;
    }
    std::unique_ptr<GnomeShellWorkspace> workspace(new GnomeShellWorkspace(bus, std::move(log), xwayland));
    workspace->readWindows();
    return workspace;
}

GnomeShellWorkspace::GnomeShellWorkspace(const QDBusConnection& bus, Logger log, const XWaylandClients* xwayland)
    : bus(bus), log(std::move(log)), xwayland(xwayland),
      watcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange),
      closer(std::make_shared<const ToplevelCloser>([this](std::uint64_t id) { return askToClose(id); })) {
    connect(
        &watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](const QString&, const QString& oldOwner, const QString& newOwner) { ownerChanged(oldOwner, newOwner); });
    listenToSignals();
}

// By the well-known name: the bus routes the signals of whoever owns it, a
// restarted Shell's too.
void GnomeShellWorkspace::listenToSignals() {
    const auto listen = [this](const char* signal, const char* slot) {
        if (!bus.connect(service, path, interface, signal, this, slot)) {
            log.error(std::string("Cannot follow the GNOME Shell extension's ") + signal + " signal");
        }
    };
    listen("WindowOpened", SLOT(windowOpened(QVariantMap)));
    listen("WindowChanged", SLOT(windowOpened(QVariantMap)));
    listen("WindowClosed", SLOT(windowClosed(qulonglong)));
    listen("FocusChanged", SLOT(focusChanged(qulonglong)));
}

std::vector<ApplicationHandle> GnomeShellWorkspace::runningApplications() const {
    std::vector<ApplicationHandle> running;
    for (const auto& [key, application] : applications.all()) {
        if (!isXWaylandApplication(*application)) {
            running.emplace_back(application);
        }
    }
    return running;
}

std::optional<ApplicationHandle> GnomeShellWorkspace::frontmostApplication() const {
    if (const auto owner = focusOwner()) {
        return ApplicationHandle(owner);
    }
    return std::nullopt;
}

void GnomeShellWorkspace::addDeactivationObserver(DeactivationObserver observer) {
    deactivations.addObserver(std::move(observer));
}

// The extension is disabled or Shell stops: its windows are gone from our
// sight. It is enabled again or Shell restarts: the list is read anew.
void GnomeShellWorkspace::ownerChanged(const QString& oldOwner, const QString& newOwner) {
    if (!oldOwner.isEmpty()) {
        log.info("The GNOME Shell extension left the session bus: its windows are no longer seen");
        forgetWindows();
    }
    if (!newOwner.isEmpty()) {
        log.info("The GNOME Shell extension is on the session bus again: reading its windows");
        readWindows();
    }
}

void GnomeShellWorkspace::readWindows() {
    isListed = false;
    const auto current = ++generation;
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(methodCall("ListWindows")), this);
    connect(call, &QDBusPendingCallWatcher::finished, this,
            [this, current](QDBusPendingCallWatcher* finished) { windowsListed(finished, current); });
}

void GnomeShellWorkspace::windowsListed(QDBusPendingCallWatcher* call, unsigned answered) {
    call->deleteLater();
    if (answered != generation) {
        return;
    }
    if (call->isError()) {
        log.error("The GNOME Shell extension did not list its windows: " + call->error().message().toStdString());
        return;
    }
    windows.clear();
    focused = 0;
    isListed = true;
    const auto list = call->reply().arguments().value(0).value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QVariantMap description;
        list >> description;
        windowOpened(description);
    }
    list.endArray();
    changesSoon();
}

// What the extension told before it went stays readable on the applications it had.
void GnomeShellWorkspace::forgetWindows() {
    processChanges();
    ++generation;
    isListed = false;
    windows.clear();
    focused = 0;
    processChanges();
}

void GnomeShellWorkspace::windowOpened(const QVariantMap& description) {
    const auto window = GnomeShellWindow::fromMap(description);
    if (!isListed || !window || !window->isWayland) {
        return;
    }
    windows.insert_or_assign(window->id, *window);
    if (window->hasFocus) {
        focused = window->id;
    }
    changesSoon();
}

void GnomeShellWorkspace::windowClosed(qulonglong id) {
    if (windows.erase(id) > 0) {
        changesSoon();
    }
}

void GnomeShellWorkspace::focusChanged(qulonglong id) {
    if (isListed) {
        focused = id;
        changesSoon();
    }
}

// A switch often comes as several signals (a window closing, then the focus
// moving): they are handled together, so that an application is told
// deactivated once.
void GnomeShellWorkspace::changesSoon() {
    if (!changesAreScheduled) {
        changesAreScheduled = true;
        QTimer::singleShot(0, this, &GnomeShellWorkspace::processChanges);
    }
}

void GnomeShellWorkspace::processChanges() {
    changesAreScheduled = false;
    rebuildApplications();
    // One that has gone meanwhile is not announced, nor one found to be
    // XWayland's: the X11 workspace announces those.
    deactivations.ownerIs(
        focusOwner(), [this](const WaylandApplication& application) { return !isXWaylandApplication(application); });
}

void GnomeShellWorkspace::rebuildApplications() {
    std::map<ApplicationKey, std::vector<const GnomeShellWindow*>> groups;
    for (const auto& [id, window] : windows) {
        groups[applicationKey(window)].push_back(&window);
    }
    applications.rebuild(groups,
                         [this](const ApplicationKey& key, const std::vector<const GnomeShellWindow*>& members) {
                             return factsOf(key, members);
                         });
}

GnomeShellWorkspace::ApplicationKey GnomeShellWorkspace::applicationKey(const GnomeShellWindow& window) {
    return window.pid > 0 ? ApplicationKey{window.pid, 0} : ApplicationKey{0, window.id};
}

// Normal windows speak for the application first; Shell's app for a window,
// else the window's app id (Mutter's class of a Wayland window), names it.
WaylandApplication::Facts GnomeShellWorkspace::factsOf(const ApplicationKey& key,
                                                       std::vector<const GnomeShellWindow*> members) const {
    std::ranges::stable_partition(members, &GnomeShellWindow::isNormal);
    WaylandApplication::Facts facts;
    facts.policy = members.front()->isNormal() ? ActivationPolicy::regular : ActivationPolicy::accessory;
    for (const auto* member : members) {
        const auto& appId = member->appId.empty() ? member->wmClass : member->appId;
        if (!facts.identifier && !appId.empty()) {
            const auto entry = entries.findForAppId(appId);
            facts.identifier = entry ? entry->id : appId;
            facts.name = entry && !entry->name.empty() ? entry->name : appId;
            facts.location = entry ? std::optional(entry->path) : std::nullopt;
        }
    }
    for (const auto* member : members) {
        if (!facts.name) {
            facts.name = unlessEmpty(member->title);
        }
        facts.toplevels.push_back(member->id);
    }
    if (key.first > 0) {
        facts.pid = key.first;
        facts.location = facts.location ? facts.location : executableOf(key.first);
    }
    return facts;
}

// Shell tells XWayland's windows apart; a process that also shows X windows
// is the X11 workspace's as a whole, so that it is listed once.
bool GnomeShellWorkspace::belongsToXWayland(const GnomeShellWindow& window) const {
    return xwayland != nullptr && window.pid > 0 && xwayland->hasClientWithPid(window.pid);
}

bool GnomeShellWorkspace::isXWaylandApplication(const WaylandApplication& application) const {
    return std::ranges::any_of(application.currentFacts().toplevels, [this](std::uint64_t id) {
        const auto window = windows.find(id);
        return window != windows.end() && belongsToXWayland(window->second);
    });
}

// The answer is not awaited: the extension refuses a window that cannot be
// closed, and one that closes says so by its WindowClosed signal.
bool GnomeShellWorkspace::askToClose(std::uint64_t windowId) {
    const auto found = windows.find(windowId);
    if (!isListed || found == windows.end() || !found->second.isNormal() || !found->second.canClose ||
        belongsToXWayland(found->second)) {
        return false;
    }
    auto call = methodCall("CloseWindow");
    call << qulonglong(windowId);
    return bus.send(call);
}

std::shared_ptr<WaylandApplication> GnomeShellWorkspace::focusOwner() const {
    const auto window = windows.find(focused);
    if (window == windows.end() || belongsToXWayland(window->second)) {
        return nullptr;
    }
    return applications.ownerOf(focused);
}

} // namespace drowsel
