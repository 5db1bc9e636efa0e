// A pointer for wlroots compositors without input devices. Connects to WAYLAND_DISPLAY.
//   drowsel_virtual_pointer X Y [click]  moves to X,Y on the first output; "click"
//                                        presses and releases the left button there
//   drowsel_virtual_pointer --hold       keeps a pointer on the seat until killed
// Clients bind a wl_pointer only once the seat has one, too late for a click
// made by a device that comes and goes; a held pointer keeps the seat's
// pointer capability for the whole session.
// Exits 1 on bad arguments, 2 when the compositor offers no virtual pointer.
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr std::uint32_t leftButton = 272; // BTN_LEFT

struct Output {
    wl_output* handle = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
    Output output;
};

void onOutputMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t) {
    if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
        auto* output = static_cast<Output*>(data);
        output->width = std::uint32_t(width);
        output->height = std::uint32_t(height);
    }
}

void ignoreGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    const char*, const char*, std::int32_t) {}
void ignoreDone(void*, wl_output*) {}
void ignoreScale(void*, wl_output*, std::int32_t) {}
void ignoreText(void*, wl_output*, const char*) {}

const wl_output_listener outputListener{ignoreGeometry, onOutputMode, ignoreDone, ignoreScale, ignoreText, ignoreText};

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
    auto* globals = static_cast<Globals*>(data);
    if (globals->seat == nullptr && std::strcmp(interface, wl_seat_interface.name) == 0) {
        globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0 && version >= 2) {
        globals->pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 2));
    } else if (globals->output.handle == nullptr && std::strcmp(interface, wl_output_interface.name) == 0) {
        globals->output.handle = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
        wl_output_add_listener(globals->output.handle, &outputListener, &globals->output);
    }
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener{onGlobal, onGlobalRemove};

std::uint32_t now() {
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

bool parseCoordinate(const char* text, std::uint32_t& value) {
    char* end = nullptr;
    const unsigned long number = std::strtoul(text, &end, 10);
    value = std::uint32_t(number);
    return end != text && *end == '\0' && number <= 100000;
}

void press(zwlr_virtual_pointer_v1* pointer, wl_pointer_button_state state) {
    zwlr_virtual_pointer_v1_button(pointer, now(), leftButton, state);
    zwlr_virtual_pointer_v1_frame(pointer);
}

struct Target {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    bool clicks = false;
};

std::optional<Target> parseTarget(int argc, char** argv) {
    Target target;
    target.clicks = argc == 4 && std::string(argv[3]) == "click";
    if ((argc != 3 && !target.clicks) || !parseCoordinate(argv[1], target.x) || !parseCoordinate(argv[2], target.y)) {
        return std::nullopt;
    }
    return target;
}

int moveAndClick(wl_display* display, const Globals& globals, const Target& target) {
    if (target.x >= globals.output.width || target.y >= globals.output.height) {
        std::fprintf(stderr, "%u,%u lies outside the output\n", target.x, target.y);
        return 1;
    }
    auto* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer_with_output(globals.pointers, globals.seat,
                                                                                       globals.output.handle);
    zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), target.x, target.y, globals.output.width,
                                            globals.output.height);
    zwlr_virtual_pointer_v1_frame(pointer);
    if (target.clicks) {
        press(pointer, WL_POINTER_BUTTON_STATE_PRESSED);
        press(pointer, WL_POINTER_BUTTON_STATE_RELEASED);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    return wl_display_roundtrip(display) >= 0 ? 0 : 2;
}

int hold(wl_display* display, const Globals& globals) {
    zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.pointers, globals.seat);
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}

// Leaves nothing for the leak checker of the sanitizer builds.
void release(const Globals& globals) {
    if (globals.pointers != nullptr) {
        zwlr_virtual_pointer_manager_v1_destroy(globals.pointers);
    }
    if (globals.seat != nullptr) {
        wl_seat_destroy(globals.seat);
    }
    if (globals.output.handle != nullptr) {
        wl_output_destroy(globals.output.handle);
    }
}

} // namespace

int main(int argc, char** argv) {
    const bool holds = argc == 2 && std::string(argv[1]) == "--hold";
    const auto target = parseTarget(argc, argv);
    if (!holds && !target) {
        std::fprintf(stderr, "usage: %s X Y [click] | --hold\n", argv[0]);
        return 1;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "cannot connect to the Wayland display\n");
        return 2;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    // The first round trip announces the globals, the second the output's mode.
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    int result = 2;
    if (globals.pointers == nullptr || globals.output.width == 0) {
        std::fprintf(stderr, "the compositor offers no virtual pointer or no output\n");
    } else {
        result = holds ? hold(display, globals) : moveAndClick(display, globals, *target);
    }
    release(globals);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return result;
}
