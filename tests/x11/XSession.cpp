#include "XSession.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace drowsel::xtest {

namespace {

// The server and the window manager say nothing the tests need.
const std::string quiet = "/dev/null";

} // namespace

// When a start fails, what did start is stopped as the processes go with the throw.
XSession::XSession() {
    startServer();
    startWindowManager();
}

pid_t XSession::start(const std::vector<std::string>& command) { return processes.start(command, environment()); }

XSession::CommandResult XSession::run(const std::vector<std::string>& command) const {
    return processes.run(command, environment());
}

// Xvfb picks a free display itself and writes its number to the pipe once it
// accepts connections, so parallel tests never collide.
void XSession::startServer() {
    const auto announced = processes.startAnnouncing(
        [](int fd) {
            return std::vector<std::string>{"Xvfb",      "-displayfd", std::to_string(fd),
                                            "-screen",   "0",          "1280x1024x24",
                                            "-nolisten", "tcp",        "-noreset"};
        },
        environment(), quiet, std::chrono::seconds(10));
    server = announced.pid;
    if (announced.line.empty()) {
        throw std::runtime_error("Xvfb did not start");
    }
    displayName = ":" + announced.line;
}

void XSession::startWindowManager() {
    processes.start({"openbox", "--sm-disable"}, environment(), quiet);
    if (!waitUntil([this] { return windowManagerIsReady(); }, std::chrono::seconds(10))) {
        throw std::runtime_error("openbox did not start");
    }
}

// openbox names itself (_NET_SUPPORTING_WM_CHECK) before it manages new
// windows, and a window mapped too early is left unmanaged for good. So a probe
// window is mapped, again until openbox lists it in _NET_CLIENT_LIST, and
// destroyed again before the tests begin.
bool XSession::windowManagerIsReady() const {
    xcb_connection_t* connection = xcb_connect(displayName.c_str(), nullptr);
    const auto closeConnection = [&] { xcb_disconnect(connection); };
    if (xcb_connection_has_error(connection) != 0) {
        closeConnection();
        return false;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const char name[] = "_NET_CLIENT_LIST";
    auto* atom = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    const xcb_atom_t clientList = atom != nullptr ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(atom);
    const xcb_window_t probe = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const auto isListed = [&] {
        auto* property = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, screen->root, clientList, XCB_ATOM_WINDOW, 0, 4096), nullptr);
        bool listed = false;
        if (property != nullptr) {
            const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(property));
            const int count = xcb_get_property_value_length(property) / 4;
            listed = std::find(windows, windows + count, probe) != windows + count;
        }
        std::free(property);
        return listed;
    };
    xcb_map_window(connection, probe);
    xcb_flush(connection);
    bool ready = waitUntil(isListed, std::chrono::milliseconds(300));
    xcb_destroy_window(connection, probe);
    xcb_flush(connection);
    ready = ready && waitUntil([&] { return !isListed(); });
    closeConnection();
    return ready;
}

std::vector<std::string> XSession::environment() const {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::strncmp(*variable, "DISPLAY=", 8) != 0) {
            variables.emplace_back(*variable);
        }
    }
    variables.push_back("DISPLAY=" + displayName);
    return variables;
}

} // namespace drowsel::xtest
