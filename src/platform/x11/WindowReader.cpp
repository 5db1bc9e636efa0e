// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/WindowReader.h"

#include "platform/x11/WindowProperty.h"

#include <xcb/res.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace drowsel {

namespace {

constexpr std::uint32_t windowEvents = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
// The texts a record keeps (window class, host, desktop-file ids) are read up
// to 1 KiB, far more than any real one has: a client cannot make each of its
// windows cost more than that.
constexpr std::uint32_t keptTextLength = 256;

// Field 22 of /proc/PID/stat, the start time in clock ticks since boot: with
// the PID it names one process for good. 0 when unreadable.
std::uint64_t processStartTime(std::int64_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(file, line);
    const auto commandEnd = line.rfind(')');
    if (commandEnd == std::string::npos) {
        return 0;
    }
    std::istringstream fields(line.substr(commandEnd + 1));
    std::string field;
    for (int index = 3; index <= 22 && fields >> field; ++index) {
    }
    std::uint64_t start = 0;
    std::istringstream(field) >> start;
    return start;
}

std::string localHostName() {
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0) {
        return {};
    }
    return name.data();
}

void noteIfMalformed(const WindowProperty& property, const char* name, std::string& problems) {
    if (property.isMalformed()) {
        problems += problems.empty() ? name : std::string(", ") + name;
    }
}

} // namespace

struct WindowReader::Requests {
    xcb_window_t window;
    xcb_get_window_attributes_cookie_t attributes;
    xcb_res_query_client_ids_cookie_t clientIds;
    bool askedClientIds;
    xcb_get_property_cookie_t pid, clientMachine, wmClass, type, state, transientFor, protocols, gtkId, kdeFile;
};

WindowReader::WindowReader(const XcbConnection& connection, Logger log)
    : connection(connection), log(std::move(log)), hostName(localHostName()) {}

std::vector<WindowRecord> WindowReader::read(std::span<const xcb_window_t> windows) const {
    std::vector<Requests> requests;
    requests.reserve(windows.size());
    for (const auto window : windows) {
        requests.push_back(send(window));
    }
    std::vector<WindowRecord> records;
    for (auto& request : requests) {
        if (auto record = receive(request)) {
            records.push_back(std::move(*record));
        }
    }
    return records;
}

bool WindowReader::isRecorded(xcb_atom_t property) const {
    const auto& atoms = connection.atoms();
    const auto& others = connection.otherAtoms();
    const std::array<xcb_atom_t, 9> recorded{
        atoms._NET_WM_PID,         XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_WM_CLASS,
        atoms._NET_WM_WINDOW_TYPE, atoms._NET_WM_STATE,        XCB_ATOM_WM_TRANSIENT_FOR,
        atoms.WM_PROTOCOLS,        others.gtkApplicationId,    others.kdeDesktopFile};
    return std::find(recorded.begin(), recorded.end(), property) != recorded.end();
}

WindowReader::Requests WindowReader::send(xcb_window_t window) const {
    auto* x = connection.get();
    const auto& atoms = connection.atoms();
    const auto& others = connection.otherAtoms();
    // Events first, so that no change between reading and selecting is missed.
    xcb_change_window_attributes(x, window, XCB_CW_EVENT_MASK, &windowEvents);
    Requests requests{};
    requests.window = window;
    requests.attributes = xcb_get_window_attributes(x, window);
    requests.askedClientIds = connection.canQueryClientPids();
    if (requests.askedClientIds) {
        const xcb_res_client_id_spec_t wanted{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        requests.clientIds = xcb_res_query_client_ids(x, 1, &wanted);
    }
    requests.pid = WindowProperty::request(x, window, atoms._NET_WM_PID, 1);
    requests.clientMachine = WindowProperty::request(x, window, XCB_ATOM_WM_CLIENT_MACHINE, keptTextLength);
    requests.wmClass = WindowProperty::request(x, window, XCB_ATOM_WM_CLASS, keptTextLength);
    requests.type = WindowProperty::request(x, window, atoms._NET_WM_WINDOW_TYPE);
    requests.state = WindowProperty::request(x, window, atoms._NET_WM_STATE);
    requests.transientFor = WindowProperty::request(x, window, XCB_ATOM_WM_TRANSIENT_FOR, 1);
    requests.protocols = WindowProperty::request(x, window, atoms.WM_PROTOCOLS);
    requests.gtkId = WindowProperty::request(x, window, others.gtkApplicationId, keptTextLength);
    requests.kdeFile = WindowProperty::request(x, window, others.kdeDesktopFile, keptTextLength);
    return requests;
}

std::optional<WindowRecord> WindowReader::receive(Requests& requests) const {
    auto* x = connection.get();
    const auto& atoms = connection.atoms();
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(x, requests.attributes, nullptr));
    std::string problems;
    WindowRecord record;
    record.id = requests.window;
    record.key = keyOf(requests, problems);
    record.isMapped = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
    record.isNormal = isNormal(requests, problems);

    auto wmClass = WindowProperty::reply(x, requests.wmClass);
    auto classParts = wmClass.strings(atoms.UTF8_STRING);
    noteIfMalformed(wmClass, "WM_CLASS", problems);
    if (!classParts.empty() && !classParts[0].empty()) {
        record.classInstance = classParts[0];
    }
    if (classParts.size() > 1 && !classParts[1].empty()) {
        record.className = classParts[1];
    }

    auto state = WindowProperty::reply(x, requests.state);
    const auto states = state.items(XCB_ATOM_ATOM);
    noteIfMalformed(state, "_NET_WM_STATE", problems);
    record.skipsTaskbar = std::ranges::find(states, atoms._NET_WM_STATE_SKIP_TASKBAR) != states.end();

    auto protocols = WindowProperty::reply(x, requests.protocols);
    const auto protocolList = protocols.items(XCB_ATOM_ATOM);
    noteIfMalformed(protocols, "WM_PROTOCOLS", problems);
    record.acceptsDelete =
        std::ranges::find(protocolList, connection.otherAtoms().wmDeleteWindow) != protocolList.end();

    auto gtkId = WindowProperty::reply(x, requests.gtkId);
    record.gtkApplicationId = gtkId.text(atoms.UTF8_STRING);
    noteIfMalformed(gtkId, "_GTK_APPLICATION_ID", problems);
    auto kdeFile = WindowProperty::reply(x, requests.kdeFile);
    record.kdeDesktopFile = kdeFile.text(atoms.UTF8_STRING);
    noteIfMalformed(kdeFile, "_KDE_NET_WM_DESKTOP_FILE", problems);

    if (!attributes) {
        return std::nullopt; // gone before we could read it
    }
    if (!problems.empty()) {
        log.debug("Ignored malformed properties of window " + std::to_string(record.id) + ": " + problems);
    }
    return record;
}

WindowRecord::ApplicationKey WindowReader::keyOf(Requests& requests, std::string& problems) const {
    auto* x = connection.get();
    const auto& atoms = connection.atoms();
    auto pidProperty = WindowProperty::reply(x, requests.pid);
    auto machineProperty = WindowProperty::reply(x, requests.clientMachine);
    const auto declaredPid = pidProperty.firstItem(XCB_ATOM_CARDINAL);
    const auto machine = machineProperty.text(atoms.UTF8_STRING);
    noteIfMalformed(pidProperty, "_NET_WM_PID", problems);
    noteIfMalformed(machineProperty, "WM_CLIENT_MACHINE", problems);

    // The server knows the truth for local clients; a client's own word counts
    // only when it says it runs on this machine.
    auto pid = pidFromRes(requests);
    if (!pid && declaredPid && *declaredPid > 0 && machine && !hostName.empty() && *machine == hostName) {
        pid = *declaredPid;
    }
    if (pid) {
        return {*pid, processStartTime(*pid), 0};
    }
    return {0, 0, connection.clientOf(requests.window)};
}

std::optional<std::int64_t> WindowReader::pidFromRes(Requests& requests) const {
    if (!requests.askedClientIds) {
        return std::nullopt;
    }
    XcbReply<xcb_res_query_client_ids_reply_t> reply(
        xcb_res_query_client_ids_reply(connection.get(), requests.clientIds, nullptr));
    if (!reply) {
        return std::nullopt;
    }
    for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem > 0;
         xcb_res_client_id_value_next(&ids)) {
        const auto& [idKind, length] = *ids.data;
        const bool isPid = (idKind.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0;
        if (isPid && xcb_res_client_id_value_value_length(ids.data) == 1) {
            const auto pid = std::int32_t(*xcb_res_client_id_value_value(ids.data));
            if (pid > 0) {
                return pid;
            }
        }
    }
    return std::nullopt;
}

// The first window type this program knows decides (types unknown to it come
// first in some toolkits' lists); with none known, only transients are not normal.
bool WindowReader::isNormal(Requests& requests, std::string& problems) const {
    auto* x = connection.get();
    const auto& atoms = connection.atoms();
    auto typeProperty = WindowProperty::reply(x, requests.type);
    auto transientProperty = WindowProperty::reply(x, requests.transientFor);
    const auto types = typeProperty.items(XCB_ATOM_ATOM);
    const auto transientFor = transientProperty.firstItem(XCB_ATOM_WINDOW);
    noteIfMalformed(typeProperty, "_NET_WM_WINDOW_TYPE", problems);
    noteIfMalformed(transientProperty, "WM_TRANSIENT_FOR", problems);

    const std::array known{atoms._NET_WM_WINDOW_TYPE_NORMAL,        atoms._NET_WM_WINDOW_TYPE_DESKTOP,
                           atoms._NET_WM_WINDOW_TYPE_DOCK,          atoms._NET_WM_WINDOW_TYPE_TOOLBAR,
                           atoms._NET_WM_WINDOW_TYPE_MENU,          atoms._NET_WM_WINDOW_TYPE_UTILITY,
                           atoms._NET_WM_WINDOW_TYPE_SPLASH,        atoms._NET_WM_WINDOW_TYPE_DIALOG,
                           atoms._NET_WM_WINDOW_TYPE_DROPDOWN_MENU, atoms._NET_WM_WINDOW_TYPE_POPUP_MENU,
                           atoms._NET_WM_WINDOW_TYPE_TOOLTIP,       atoms._NET_WM_WINDOW_TYPE_NOTIFICATION,
                           atoms._NET_WM_WINDOW_TYPE_COMBO,         atoms._NET_WM_WINDOW_TYPE_DND};
    const auto firstKnown =
        std::ranges::find_if(types, [&](xcb_atom_t type) { return std::ranges::find(known, type) != known.end(); });
    if (firstKnown != types.end()) {
        return *firstKnown == atoms._NET_WM_WINDOW_TYPE_NORMAL;
    }
    return !transientFor || *transientFor == XCB_WINDOW_NONE;
}

} // namespace drowsel
