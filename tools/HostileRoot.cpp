// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a hostile _NET_CLIENT_LIST on the root window again and again, for
// the soak benchmark:
//   oversized  once a second: the windows the window manager listed, then
//              65,536 ids of windows that do not exist
//   malformed  every millisecond: one ill-typed list after another (8-bit data
//              of an odd length, a STRING, 16-bit items, CARDINALs)
// Runs until SIGTERM or SIGINT, then prints how many lists it wrote.
// Usage: drowsel_hostile_root oversized|malformed (uses $DISPLAY)
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
xcb_connection_t* x = nullptr;
xcb_window_t root = XCB_WINDOW_NONE;
xcb_atom_t clientList = XCB_ATOM_NONE;

// The resource ids of the X server's last client slot: no window has one
// unless 255 clients are connected.
constexpr std::uint32_t firstMissingWindow = 0x1fe00000;
constexpr std::uint32_t missingWindowCount = 1 << 16;

xcb_atom_t atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

void writeClientList(xcb_atom_t type, std::uint8_t format, const void* data, std::uint32_t count) {
    xcb_change_property(x, XCB_PROP_MODE_REPLACE, root, clientList, type, format, count, data);
    xcb_flush(x);
}

bool isMissingWindow(xcb_window_t window) {
    return window >= firstMissingWindow && window < firstMissingWindow + missingWindowCount;
}

// The real windows in the list as it stands, without the missing ones written before.
std::vector<xcb_window_t> listedRealWindows() {
    std::vector<xcb_window_t> windows;
    auto* reply = xcb_get_property_reply(
        x, xcb_get_property(x, 0, root, clientList, XCB_ATOM_WINDOW, 0, 2 * missingWindowCount), nullptr);
    if (reply != nullptr && reply->format == 32) {
        const auto* items = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
        const auto count = std::size_t(xcb_get_property_value_length(reply)) / sizeof(xcb_window_t);
        for (std::size_t index = 0; index < count; ++index) {
            if (!isMissingWindow(items[index])) {
                windows.push_back(items[index]);
            }
        }
    }
    std::free(reply);
    return windows;
}

// The real windows come first, so that a reader that stops at its limit still finds them.
void writeOversizedList() {
    auto windows = listedRealWindows();
    for (std::uint32_t index = 0; index < missingWindowCount; ++index) {
        windows.push_back(firstMissingWindow + index);
    }
    writeClientList(XCB_ATOM_WINDOW, 32, windows.data(), std::uint32_t(windows.size()));
}

void writeMalformedList(unsigned long serial) {
    const std::uint32_t items[] = {firstMissingWindow, firstMissingWindow + 1};
    const std::string_view text = "not a window list";
    switch (serial % 4) {
    case 0:
        writeClientList(XCB_ATOM_WINDOW, 8, items, 7);
        break;
    case 1:
        writeClientList(XCB_ATOM_STRING, 8, text.data(), std::uint32_t(text.size()));
        break;
    case 2:
        writeClientList(XCB_ATOM_WINDOW, 16, items, 3);
        break;
    default:
        writeClientList(XCB_ATOM_CARDINAL, 32, items, 2);
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc == 2 ? argv[1] : "";
    if (mode != "oversized" && mode != "malformed") {
        std::fprintf(stderr, "usage: %s oversized|malformed\n", argv[0]);
        return 2;
    }
    x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x) != 0) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 1;
    }
    root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    clientList = atom("_NET_CLIENT_LIST");
    for (const int signal : {SIGTERM, SIGINT}) {
        std::signal(signal, [](int) { stopRequested = 1; });
    }
    const bool oversized = mode == "oversized";
    const auto interval = oversized ? std::chrono::milliseconds(1000) : std::chrono::milliseconds(1);
    unsigned long written = 0;
    for (; stopRequested == 0 && xcb_connection_has_error(x) == 0; ++written) {
        if (oversized) {
            writeOversizedList();
        } else {
            writeMalformedList(written);
        }
        std::this_thread::sleep_for(interval);
    }
    std::printf("%lu lists written\n", written);
    xcb_disconnect(x);
    return 0;
}
