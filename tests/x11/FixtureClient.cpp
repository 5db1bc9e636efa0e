// SPDX-License-Identifier: GPL-3.0-or-later
// An X client whose window properties the tests choose, including odd ones:
//   --class INSTANCE CLASS, --name NAME, --no-class, --non-utf8-class, --gtk-id ID,
//   --icon AARRGGBB (two sizes and a bogus third), --malformed (ill-typed properties),
//   --dock, --skip-taskbar, --windows N, --with-dock (one more window: a dock of
//   class "<CLASS>Dock" that lists WM_DELETE_WINDOW too),
//   --no-delete (no WM_DELETE_WINDOW), --log FILE (appends "<class of the window>
//   delete request" for every such request).
// Exits 0 when asked to close with WM_DELETE_WINDOW, unless --ignore-delete.
// SIGUSR1 replaces its oldest window with a new one (window churn).
// --long-classes gives every window a class never used before, 16 KB of WM_CLASS.
// --run COMMAND runs the shell command as its child, which ends with it.
#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <poll.h>
#include <set>
#include <string>
#include <sys/prctl.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t churnRequested = 0;
std::set<std::string> flags;
std::map<std::string, std::string> values{
    {"--class", "fixture"}, {"--class-name", "Fixture"}, {"--name", "Fixture"}, {"--windows", "1"}};
xcb_connection_t* x = nullptr;
xcb_screen_t* screen = nullptr;
std::deque<xcb_window_t> windows;
std::map<xcb_window_t, std::string> classes;

bool has(const char* flag) { return flags.contains(flag); }

void parse(int argc, char** argv) {
    const std::set<std::string> valued{"--class", "--name", "--log", "--gtk-id", "--icon", "--windows", "--run"};
    for (int index = 1; index < argc; ++index) {
        const std::string option = argv[index];
        const auto next = [&] { return index + 1 < argc ? std::string(argv[++index]) : std::string(); };
        if (option == "--class") {
            values["--class"] = next();
            values["--class-name"] = next();
        } else if (valued.contains(option)) {
            values[option] = next();
        } else {
            flags.insert(option);
        }
    }
}

xcb_atom_t atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

void set(xcb_window_t window, const char* property, xcb_atom_t type, std::uint8_t format, const void* data,
         std::uint32_t count) {
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, window, atom(property), type, format, count, data);
}

void setAtoms(xcb_window_t window, const char* property, const std::vector<xcb_atom_t>& values) {
    set(window, property, XCB_ATOM_ATOM, 32, values.data(), std::uint32_t(values.size()));
}

void setText(xcb_window_t window, const char* property, xcb_atom_t type, const std::string& text) {
    set(window, property, type, 8, text.data(), std::uint32_t(text.size()));
}

// Two plain sizes, then an image claiming to be 2^31 pixels wide.
void setIcon(xcb_window_t window) {
    const auto colour = std::uint32_t(std::strtoul(values["--icon"].c_str(), nullptr, 16));
    std::vector<std::uint32_t> data;
    for (const std::uint32_t side : {16u, 32u}) {
        data.insert(data.end(), {side, side});
        data.insert(data.end(), side * side, colour);
    }
    data.insert(data.end(), {0x80000000u, 0x80000000u, colour});
    set(window, "_NET_WM_ICON", XCB_ATOM_CARDINAL, 32, data.data(), std::uint32_t(data.size()));
}

void setMalformedProperties(xcb_window_t window) {
    const std::uint32_t number = 7;
    setText(window, "_NET_WM_WINDOW_TYPE", XCB_ATOM_STRING, "_NET_WM_WINDOW_TYPE_DOCK");
    set(window, "_NET_WM_STATE", XCB_ATOM_CARDINAL, 32, &number, 1);
    setText(window, "_NET_WM_PID", XCB_ATOM_STRING, "1");
    set(window, "WM_CLIENT_MACHINE", XCB_ATOM_CARDINAL, 32, &number, 1);
    set(window, "_GTK_APPLICATION_ID", XCB_ATOM_INTEGER, 32, &number, 1);
    set(window, "WM_TRANSIENT_FOR", XCB_ATOM_STRING, 8, "x", 1);
    set(window, "_NET_WM_ICON", XCB_ATOM_CARDINAL, 32, &number, 1);
}

// Unique to this process and window, and long: about 8 KB each for instance and class.
std::string freshLongSuffix() {
    static int serial = 0;
    return '.' + std::to_string(getpid()) + '.' + std::to_string(++serial) + std::string(8000, 'z');
}

xcb_window_t createWindow(bool isDock, std::string classSuffix = {}) {
    if (has("--long-classes")) {
        classSuffix = freshLongSuffix();
    }
    const xcb_window_t window = xcb_generate_id(x);
    const std::uint32_t attributes[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(x, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 200, 150, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, attributes);
    classes[window] = values["--class-name"] + classSuffix;
    setText(window, "WM_NAME", XCB_ATOM_STRING, values["--name"]);
    setText(window, "_NET_WM_NAME", atom("UTF8_STRING"), values["--name"]);
    if (has("--non-utf8-class")) {
        setText(window, "WM_CLASS", XCB_ATOM_STRING, std::string("fixture\0Drowsy\xe9\xff\0", 17));
    } else if (!has("--no-class")) {
        setText(window, "WM_CLASS", XCB_ATOM_STRING, values["--class"] + classSuffix + '\0' + classes[window] + '\0');
    }
    for (const auto& [wanted, property, value] :
         {std::tuple{!has("--no-delete"), "WM_PROTOCOLS", "WM_DELETE_WINDOW"},
          {isDock, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DOCK"},
          {has("--skip-taskbar"), "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR"}}) {
        if (wanted) {
            setAtoms(window, property, {atom(value)});
        }
    }
    if (values.contains("--gtk-id")) {
        setText(window, "_GTK_APPLICATION_ID", atom("UTF8_STRING"), values["--gtk-id"]);
    }
    if (values.contains("--icon")) {
        setIcon(window);
    }
    if (has("--malformed")) {
        setMalformedProperties(window);
    }
    xcb_map_window(x, window);
    return window;
}

// The window a WM_DELETE_WINDOW request is for; none for any other event.
xcb_window_t deleteRequested(const xcb_generic_event_t& event) {
    const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
    const bool isDelete = (event.response_type & ~0x80) == XCB_CLIENT_MESSAGE && message.type == atom("WM_PROTOCOLS") &&
                          message.data.data32[0] == atom("WM_DELETE_WINDOW");
    return isDelete ? message.window : xcb_window_t(XCB_WINDOW_NONE);
}

void runChild(const std::string& command) {
    if (fork() == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        execlp("sh", "sh", "-c", command.c_str(), nullptr);
        _exit(127);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGUSR1, [](int) { churnRequested = 1; });
    parse(argc, argv);
    x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x) != 0) {
        return 2;
    }
    screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    for (int index = 0; index < std::atoi(values["--windows"].c_str()); ++index) {
        windows.push_back(createWindow(has("--dock")));
    }
    if (has("--with-dock")) {
        createWindow(true, "Dock");
    }
    if (values.contains("--run")) {
        runChild(values["--run"]);
    }
    for (pollfd connection{xcb_get_file_descriptor(x), POLLIN, 0}; xcb_connection_has_error(x) == 0;) {
        xcb_flush(x);
        poll(&connection, 1, 50);
        if (churnRequested != 0) {
            churnRequested = 0;
            xcb_destroy_window(x, windows.front());
            windows.pop_front();
            windows.push_back(createWindow(has("--dock")));
        }
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            const auto asked = deleteRequested(*event);
            std::free(event);
            if (asked != XCB_WINDOW_NONE && values.contains("--log")) {
                std::ofstream(values["--log"], std::ios::app) << classes[asked] << " delete request\n";
            }
            if (asked != XCB_WINDOW_NONE && !has("--ignore-delete")) {
                return 0;
            }
        }
    }
    return 1;
}
