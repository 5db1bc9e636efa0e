// SPDX-License-Identifier: GPL-3.0-or-later
// An X client whose window properties the tests choose, including odd ones.
// Exits 0 when asked to close with WM_DELETE_WINDOW, unless --ignore-delete,
// or --save-prompt (it then shows a "Save changes?" dialog and keeps running).
// --log FILE appends a line "<class> delete request" for every such request,
// naming the class of the window asked. --with-dock adds a dock window of
// class "<class>Dock" that lists WM_DELETE_WINDOW too.
// SIGUSR1 replaces its oldest window with a new one (window churn).
#include <xcb/xcb.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <optional>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t churnRequested = 0;

class Client {
public:
    struct Options {
        std::string instance = "fixture";
        std::string className = "Fixture";
        bool hasClass = true;
        bool nonUtf8Class = false;
        std::string name = "Fixture";
        bool acceptsDelete = true;
        bool ignoresDelete = false;
        bool savePrompt = false;
        std::string logPath;
        bool isDock = false;
        bool withDock = false;
        bool skipsTaskbar = false;
        int windowCount = 1;
        std::string gtkId;
        std::uint32_t iconColour = 0;
        bool hasIcon = false;
        bool malformed = false;
    };

    static Options parse(int argc, char** argv) {
        Options options;
        for (int index = 1; index < argc; ++index) {
            const std::string option = argv[index];
            const auto next = [&] { return index + 1 < argc ? std::string(argv[++index]) : std::string(); };
            if (option == "--class") {
                options.instance = next();
                options.className = next();
            } else if (option == "--no-class") {
                options.hasClass = false;
            } else if (option == "--non-utf8-class") {
                options.nonUtf8Class = true;
            } else if (option == "--name") {
                options.name = next();
            } else if (option == "--no-delete") {
                options.acceptsDelete = false;
            } else if (option == "--ignore-delete") {
                options.ignoresDelete = true;
            } else if (option == "--save-prompt") {
                options.savePrompt = true;
            } else if (option == "--log") {
                options.logPath = next();
            } else if (option == "--dock") {
                options.isDock = true;
            } else if (option == "--with-dock") {
                options.withDock = true;
            } else if (option == "--skip-taskbar") {
                options.skipsTaskbar = true;
            } else if (option == "--windows") {
                options.windowCount = std::atoi(next().c_str());
            } else if (option == "--gtk-id") {
                options.gtkId = next();
            } else if (option == "--icon") {
                options.hasIcon = true;
                options.iconColour = std::uint32_t(std::strtoul(next().c_str(), nullptr, 16));
            } else if (option == "--malformed") {
                options.malformed = true;
            }
        }
        return options;
    }

    explicit Client(Options options) : options(std::move(options)) {
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection) != 0) {
            std::exit(2);
        }
        screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    }
    ~Client() { xcb_disconnect(connection); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    int run() {
        for (int index = 0; index < options.windowCount; ++index) {
            windows.push_back(createWindow(options.isDock));
        }
        if (options.withDock) {
            createWindow(true, "Dock");
        }
        xcb_flush(connection);
        pollfd x{xcb_get_file_descriptor(connection), POLLIN, 0};
        while (true) {
            poll(&x, 1, 50);
            if (churnRequested != 0) {
                churnRequested = 0;
                churn();
            }
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                const auto asked = deleteRequestedWindow(*event);
                std::free(event);
                const bool closeRequested = asked.has_value();
                if (closeRequested) {
                    logDeleteRequest(classes[*asked]);
                }
                if (closeRequested && options.savePrompt) {
                    showSavePrompt();
                } else if (closeRequested && !options.ignoresDelete) {
                    return 0;
                }
            }
            if (xcb_connection_has_error(connection) != 0) {
                return 1;
            }
        }
    }

private:
    xcb_atom_t atom(const char* name) {
        auto* reply =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    void set(xcb_window_t window, const char* property, xcb_atom_t type, std::uint8_t format, const void* data,
             std::uint32_t count) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom(property), type, format, count, data);
    }

    void setAtoms(xcb_window_t window, const char* property, const std::vector<xcb_atom_t>& values) {
        set(window, property, XCB_ATOM_ATOM, 32, values.data(), std::uint32_t(values.size()));
    }

    void setText(xcb_window_t window, const char* property, xcb_atom_t type, const std::string& text) {
        set(window, property, type, 8, text.data(), std::uint32_t(text.size()));
    }

    xcb_window_t createWindow(bool isDock = false, const std::string& classSuffix = {}) {
        const xcb_window_t window = xcb_generate_id(connection);
        const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 200, 150, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                          values);
        classes[window] = options.className + classSuffix;
        setProperties(window, isDock, classSuffix);
        xcb_map_window(connection, window);
        return window;
    }

    void setProperties(xcb_window_t window, bool isDock, const std::string& classSuffix) {
        const xcb_atom_t utf8 = atom("UTF8_STRING");
        setText(window, "WM_NAME", XCB_ATOM_STRING, options.name);
        setText(window, "_NET_WM_NAME", utf8, options.name);
        if (options.nonUtf8Class) {
            setText(window, "WM_CLASS", XCB_ATOM_STRING, std::string("fixture\0Drowsy\xe9\xff\0", 17));
        } else if (options.hasClass) {
            setText(window, "WM_CLASS", XCB_ATOM_STRING,
                    options.instance + classSuffix + '\0' + options.className + classSuffix + '\0');
        }
        if (options.acceptsDelete) {
            setAtoms(window, "WM_PROTOCOLS", {atom("WM_DELETE_WINDOW")});
        }
        if (isDock) {
            setAtoms(window, "_NET_WM_WINDOW_TYPE", {atom("_NET_WM_WINDOW_TYPE_DOCK")});
        }
        if (options.skipsTaskbar) {
            setAtoms(window, "_NET_WM_STATE", {atom("_NET_WM_STATE_SKIP_TASKBAR")});
        }
        if (!options.gtkId.empty()) {
            setText(window, "_GTK_APPLICATION_ID", utf8, options.gtkId);
        }
        if (options.hasIcon) {
            setIcon(window);
        }
        if (options.malformed) {
            setMalformedProperties(window);
        }
    }

    // Two plain sizes, then an image claiming to be 2^31 pixels wide.
    void setIcon(xcb_window_t window) {
        std::vector<std::uint32_t> data;
        for (const std::uint32_t side : {16u, 32u}) {
            data.push_back(side);
            data.push_back(side);
            data.insert(data.end(), side * side, options.iconColour);
        }
        data.insert(data.end(), {0x80000000u, 0x80000000u, options.iconColour});
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

    std::optional<xcb_window_t> deleteRequestedWindow(const xcb_generic_event_t& event) {
        if ((event.response_type & ~0x80) != XCB_CLIENT_MESSAGE) {
            return std::nullopt;
        }
        const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
        const bool isDelete =
            message.type == atom("WM_PROTOCOLS") && message.data.data32[0] == atom("WM_DELETE_WINDOW");
        return isDelete ? std::optional(message.window) : std::nullopt;
    }

    void logDeleteRequest(const std::string& className) {
        if (options.logPath.empty()) {
            return;
        }
        const std::string line = className + " delete request\n";
        const int file = open(options.logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (file >= 0) {
            (void)!write(file, line.data(), line.size());
            close(file);
        }
    }

    // A dialog for the first window that does not take the focus (user time 0), as
    // an editor asks about unsaved work; shown once, it stays.
    void showSavePrompt() {
        if (savePromptShown) {
            return;
        }
        savePromptShown = true;
        const xcb_window_t dialog = xcb_generate_id(connection);
        classes[dialog] = options.className;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, dialog, screen->root, 0, 0, 160, 60, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, &screen->white_pixel);
        const std::uint32_t userTime = 0;
        setText(dialog, "WM_NAME", XCB_ATOM_STRING, "Save changes?");
        setText(dialog, "WM_CLASS", XCB_ATOM_STRING, options.instance + '\0' + options.className + '\0');
        set(dialog, "WM_TRANSIENT_FOR", XCB_ATOM_WINDOW, 32, &windows.front(), 1);
        set(dialog, "_NET_WM_USER_TIME", XCB_ATOM_CARDINAL, 32, &userTime, 1);
        setAtoms(dialog, "_NET_WM_WINDOW_TYPE", {atom("_NET_WM_WINDOW_TYPE_DIALOG")});
        setAtoms(dialog, "WM_PROTOCOLS", {atom("WM_DELETE_WINDOW")});
        xcb_map_window(connection, dialog);
        xcb_flush(connection);
    }

    void churn() {
        xcb_destroy_window(connection, windows.front());
        windows.pop_front();
        windows.push_back(createWindow(options.isDock));
        xcb_flush(connection);
    }

    Options options;
    xcb_connection_t* connection = nullptr;
    xcb_screen_t* screen = nullptr;
    std::deque<xcb_window_t> windows;
    std::map<xcb_window_t, std::string> classes;
    bool savePromptShown = false;
};

} // namespace

int main(int argc, char** argv) {
    std::signal(SIGUSR1, [](int) { churnRequested = 1; });
    Client client(Client::parse(argc, argv));
    return client.run();
}
