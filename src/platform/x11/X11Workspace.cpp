// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/X11Workspace.h"

#include "platform/desktop/IconLoader.h"
#include "platform/x11/WindowProperty.h"

#include <QGuiApplication>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace drowsel {

namespace {

// Room for thousands of windows; a longer list is truncated, not trusted whole.
constexpr std::uint32_t clientListLength = 1 << 16;
// Windows new to the list read in one go, and the pause before the next
// batch: a list of thousands of windows, real or not, costs a bounded
// amount of work a second.
constexpr std::size_t windowsReadAtOnce = 1024;
constexpr auto pauseBetweenBatches = std::chrono::milliseconds(100);
// 4 MiB: several icon sizes up to 512 × 512 pixels.
constexpr std::uint32_t iconLength = 1 << 20;

std::optional<std::string> executableOf(std::int64_t pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    if (error) {
        return std::nullopt;
    }
    return path.string();
}

} // namespace

std::unique_ptr<X11Workspace> X11Workspace::open(Logger log, const char* displayName) {
    std::string error;
    auto connection = XcbConnection::connect(displayName, error);
    if (!connection) {
        log.error("Cannot open the X display: " + error);
        return nullptr;
    }
    std::unique_ptr<X11Workspace> workspace(new X11Workspace(std::move(connection), std::move(log)));
    workspace->processEvents();
    return workspace;
}

X11Workspace::X11Workspace(std::unique_ptr<XcbConnection> connection, Logger log)
    : connection(std::move(connection)), log(log), reader(*this->connection, log),
      closer(std::make_shared<WindowCloser>(*this->connection, [this] { processEventsSoon(); })),
      notifier(xcb_get_file_descriptor(this->connection->get()), QSocketNotifier::Read) {
    const std::uint32_t rootEvents = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(this->connection->get(), this->connection->root(), XCB_CW_EVENT_MASK, &rootEvents);
    connect(&notifier, &QSocketNotifier::activated, this, &X11Workspace::processEvents);
    queuedEventsTimer.setSingleShot(true);
    queuedEventsTimer.setInterval(0);
    connect(&queuedEventsTimer, &QTimer::timeout, this, &X11Workspace::processEvents);
    nextBatchTimer.setSingleShot(true);
    nextBatchTimer.setInterval(pauseBetweenBatches);
    connect(&nextBatchTimer, &QTimer::timeout, this, [this] {
        clientListIsStale = true;
        processEvents();
    });
}

X11Workspace::~X11Workspace() {
    for (const auto& [key, application] : applications) {
        application->markGone();
    }
}

std::vector<ApplicationHandle> X11Workspace::runningApplications() const {
    std::vector<ApplicationHandle> handles;
    handles.reserve(applications.size());
    for (const auto& [key, application] : applications) {
        handles.emplace_back(application);
    }
    return handles;
}

std::optional<ApplicationHandle> X11Workspace::frontmostApplication() const {
    if (auto owner = ownerOf(activeWindow)) {
        return ApplicationHandle(std::move(owner));
    }
    return std::nullopt;
}

void X11Workspace::addDeactivationObserver(DeactivationObserver observer) {
    activeOwner.addObserver(std::move(observer));
}

QIcon X11Workspace::iconOfWindowsAt(const std::string& location) const {
    for (const auto& [key, application] : applications) {
        if (application->bundleLocation() != location) {
            continue;
        }
        for (const auto* window : windowsOf(key)) {
            if (auto fromWindow = windowIcon(window->id); !fromWindow.isNull()) {
                return fromWindow;
            }
        }
    }
    return {};
}

bool X11Workspace::hasWindowOfClass(std::string_view name) const {
    return std::ranges::any_of(windows, [name](const auto& entry) {
        return entry.second.className == name || entry.second.classInstance == name;
    });
}

bool X11Workspace::hasWindowWithoutClass() const {
    return std::ranges::any_of(windows, [](const auto& entry) { return !entry.second.className; });
}

bool X11Workspace::hasClientWithPid(pid_t pid) const {
    return pid > 0 && std::ranges::any_of(windows, [pid](const auto& entry) { return entry.second.key.pid == pid; });
}

// xcb reads events into its queue while it waits for a reply, and the socket
// notifier does not fire for those: so events are polled again after every
// round trip until none is left and nothing is stale.
void X11Workspace::processEvents() {
    while (!lost) {
        while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(connection->get())}) {
            handle(*event);
        }
        checkConnection();
        if (lost || !hasStaleState()) {
            break;
        }
        refresh();
    }
    xcb_flush(connection->get());
}

void X11Workspace::processEventsSoon() const { queuedEventsTimer.start(); }

void X11Workspace::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & ~0x80) {
    case XCB_PROPERTY_NOTIFY:
        handlePropertyChange(reinterpret_cast<const xcb_property_notify_event_t&>(event));
        break;
    case XCB_MAP_NOTIFY:
        setMapped(reinterpret_cast<const xcb_map_notify_event_t&>(event).window, true);
        break;
    case XCB_UNMAP_NOTIFY:
        setMapped(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window, false);
        break;
    case XCB_DESTROY_NOTIFY:
        forget(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window);
        break;
    default:
        break; // errors about windows that vanished meanwhile, moves, reparenting
    }
}

void X11Workspace::handlePropertyChange(const xcb_property_notify_event_t& event) {
    const auto& atoms = connection->atoms();
    if (event.window == connection->root()) {
        clientListIsStale = clientListIsStale || event.atom == atoms._NET_CLIENT_LIST;
        activeWindowIsStale = activeWindowIsStale || event.atom == atoms._NET_ACTIVE_WINDOW;
        return;
    }
    if (!windows.contains(event.window)) {
        return;
    }
    if (event.atom == atoms._NET_WM_ICON) {
        windowIcons.erase(event.window);
    } else if (reader.isRecorded(event.atom)) {
        staleWindows.insert(event.window);
    }
}

void X11Workspace::setMapped(xcb_window_t window, bool isMapped) {
    if (const auto record = windows.find(window); record != windows.end()) {
        record->second.isMapped = isMapped;
        applicationsAreStale = true;
    }
}

void X11Workspace::forget(xcb_window_t window) {
    if (windows.erase(window) > 0) {
        windowIcons.erase(window);
        applicationsAreStale = true;
    }
}

bool X11Workspace::hasStaleState() const {
    return clientListIsStale || activeWindowIsStale || applicationsAreStale || !staleWindows.empty();
}

void X11Workspace::refresh() {
    if (clientListIsStale) {
        readClientList();
    }
    if (!staleWindows.empty()) {
        rereadWindows();
    }
    if (activeWindowIsStale) {
        readActiveWindow();
    }
    if (applicationsAreStale) {
        rebuildApplications();
    }
    announceActiveOwnerChange();
}

// A malformed list keeps the last good picture, so a broken or hostile
// writer cannot make every application look new. Only windows the list did
// not hold before are read, at most a batch at a time, and listed windows
// that do not exist are remembered as such: rewriting a list, however long,
// costs no request.
void X11Workspace::readClientList() {
    clientListIsStale = false;
    auto* x = connection->get();
    auto property = WindowProperty::reply(
        x, WindowProperty::request(x, connection->root(), connection->atoms()._NET_CLIENT_LIST, clientListLength));
    const auto listed = property.items(XCB_ATOM_WINDOW);
    if (property.isMalformed()) {
        log.error("Ignored a malformed _NET_CLIENT_LIST");
        return;
    }
    applicationsAreStale = true;
    const std::unordered_set<xcb_window_t> isListed(listed.begin(), listed.end());
    std::erase_if(windows, [&](const auto& entry) { return !isListed.contains(entry.first); });
    std::erase_if(windowIcons, [this](const auto& entry) { return !windows.contains(entry.first); });
    std::erase_if(absentWindows, [&](xcb_window_t window) { return !isListed.contains(window); });
    readNewWindows(listed);
    clientList.clear();
    std::ranges::copy_if(listed, std::back_inserter(clientList),
                         [this](xcb_window_t window) { return windows.contains(window); });
}

void X11Workspace::readNewWindows(std::span<const xcb_window_t> listed) {
    std::vector<xcb_window_t> newWindows;
    std::unordered_set<xcb_window_t> picked;
    for (const auto window : listed) {
        if (!windows.contains(window) && !absentWindows.contains(window) && picked.insert(window).second) {
            newWindows.push_back(window);
        }
        if (newWindows.size() == windowsReadAtOnce) {
            nextBatchTimer.start();
            break;
        }
    }
    for (auto& record : reader.read(newWindows)) {
        windows.emplace(record.id, std::move(record));
    }
    std::ranges::copy_if(newWindows, std::inserter(absentWindows, absentWindows.end()),
                         [this](xcb_window_t window) { return !windows.contains(window); });
}

// A window keeps the application it was first seen with: its handle must not
// change under the user because a property arrived late.
void X11Workspace::rereadWindows() {
    std::vector<xcb_window_t> stale;
    std::ranges::copy_if(staleWindows, std::back_inserter(stale),
                         [this](xcb_window_t window) { return windows.contains(window); });
    staleWindows.clear();
    applicationsAreStale = true;
    for (auto& record : reader.read(stale)) {
        record.key = windows.at(record.id).key;
        windows.at(record.id) = std::move(record);
    }
}

void X11Workspace::readActiveWindow() {
    activeWindowIsStale = false;
    auto* x = connection->get();
    auto property = WindowProperty::reply(
        x, WindowProperty::request(x, connection->root(), connection->atoms()._NET_ACTIVE_WINDOW, 1));
    activeWindow = property.firstItem(XCB_ATOM_WINDOW).value_or(XCB_WINDOW_NONE);
}

void X11Workspace::rebuildApplications() {
    applicationsAreStale = false;
    std::map<ApplicationKey, std::vector<const WindowRecord*>> groups;
    for (const auto window : clientList) {
        if (const auto record = windows.find(window); record != windows.end()) {
            groups[record->second.key].push_back(&record->second);
        }
    }
    std::erase_if(applications, [&](const auto& entry) {
        const bool isGone = !groups.contains(entry.first);
        if (isGone) {
            entry.second->markGone();
        }
        return isGone;
    });
    for (const auto& [key, group] : groups) {
        auto& application = applications[key];
        if (!application) {
            application = std::make_shared<X11Application>(closer);
        }
        auto facts = factsOf(group);
        if (key.pid > 0) {
            facts.pid = key.pid;
        }
        if (!facts.location) {
            facts.location = executableOf(key.pid);
        }
        if (key.pid == getpid() && !QGuiApplication::desktopFileName().isEmpty()) {
            // Drowsel's own windows carry its identifier, desktop entry installed or not,
            // so that it never tracks itself.
            facts.identifier = QGuiApplication::desktopFileName().toStdString();
        }
        application->update(std::move(facts));
    }
}

X11Application::Facts X11Workspace::factsOf(const std::vector<const WindowRecord*>& group) {
    // Regular windows speak for the application first.
    auto ordered = group;
    std::ranges::stable_partition(ordered, &WindowRecord::isRegular);

    X11Application::Facts facts;
    facts.policy = ordered.front()->isRegular() ? ActivationPolicy::regular : ActivationPolicy::accessory;
    facts.hasMappedWindow = std::ranges::any_of(ordered, &WindowRecord::isMapped);
    for (const auto* window : ordered) {
        // A close button belongs to ordinary windows: a dock or other helper of
        // the same process is never asked, though it may list WM_DELETE_WINDOW.
        if (window->acceptsDelete && window->isNormal) {
            facts.closableWindows.push_back(window->id);
        }
        if (!facts.identifier) {
            if (auto entry = entries.find(
                    {window->gtkApplicationId, window->kdeDesktopFile, window->classInstance, window->className})) {
                facts.identifier = entry->id;
                facts.name = entry->name.empty() ? std::nullopt : std::optional(entry->name);
                facts.location = entry->path;
            }
        }
    }
    for (const auto* window : ordered) {
        if (!facts.name) {
            facts.name = window->className;
        }
    }
    return facts;
}

std::vector<const WindowRecord*> X11Workspace::windowsOf(const ApplicationKey& key) const {
    std::vector<const WindowRecord*> result;
    for (const auto window : clientList) {
        if (const auto record = windows.find(window); record != windows.end() && record->second.key == key) {
            result.push_back(&record->second);
        }
    }
    std::ranges::stable_partition(result, &WindowRecord::isRegular);
    return result;
}

std::shared_ptr<X11Application> X11Workspace::ownerOf(xcb_window_t window) const {
    const auto record = windows.find(window);
    if (record == windows.end()) {
        return nullptr;
    }
    const auto application = applications.find(record->second.key);
    return application == applications.end() ? nullptr : application->second;
}

// The active window often changes twice to the same window, or briefly to
// none, on one switch: only a change of the owning application counts, and
// an application that has gone is not announced.
void X11Workspace::announceActiveOwnerChange() { activeOwner.ownerIs(ownerOf(activeWindow)); }

void X11Workspace::checkConnection() {
    if (lost || !connection->hasError()) {
        return;
    }
    lost = true;
    notifier.setEnabled(false);
    for (const auto& [key, application] : applications) {
        application->markGone();
    }
    log.error("The X connection broke; the session has probably ended");
    Q_EMIT connectionLost();
}

QIcon X11Workspace::windowIcon(xcb_window_t window) const {
    if (const auto cached = windowIcons.find(window); cached != windowIcons.end()) {
        return cached->second;
    }
    auto* x = connection->get();
    auto property =
        WindowProperty::reply(x, WindowProperty::request(x, window, connection->atoms()._NET_WM_ICON, iconLength));
    const auto icon = IconLoader::fromNetWmIcon(property.items(XCB_ATOM_CARDINAL));
    if (property.isMalformed() || (property.isPresent() && icon.isNull())) {
        log.debug("Ignored a malformed _NET_WM_ICON of window " + std::to_string(window));
    }
    processEventsSoon();
    windowIcons.emplace(window, icon);
    return icon;
}

} // namespace drowsel
