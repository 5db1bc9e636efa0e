// SPDX-License-Identifier: GPL-3.0-or-later
// GIO's declarations only: the library itself is loaded when first needed.
#include <gio/gdesktopappinfo.h>

#include "platform/desktop/DesktopEntryLauncher.h"

#include <dlfcn.h>
#include <memory>
#include <optional>

namespace drowsel {

namespace {

struct Gio {
    decltype(&g_desktop_app_info_new_from_filename) entryAt;
    decltype(&g_app_info_launch) launch;
    decltype(&g_object_unref) release;
    decltype(&g_error_free) freeError;
};

template <typename Function> Function symbol(void* library, const char* name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

// Loaded once and kept: GObject's types cannot be unregistered.
std::optional<Gio> loadGio() {
    void* library = dlopen("libgio-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return std::nullopt;
    }
    const Gio gio{symbol<decltype(Gio::entryAt)>(library, "g_desktop_app_info_new_from_filename"),
                  symbol<decltype(Gio::launch)>(library, "g_app_info_launch"),
                  symbol<decltype(Gio::release)>(library, "g_object_unref"),
                  symbol<decltype(Gio::freeError)>(library, "g_error_free")};
    if (!gio.entryAt || !gio.launch || !gio.release || !gio.freeError) {
        return std::nullopt;
    }
    return gio;
}

} // namespace

bool DesktopEntryLauncher::launch(const std::string& path, std::string& problem) {
    static const std::optional<Gio> gio = loadGio();
    if (!gio) {
        problem = "GIO (libgio-2.0.so.0) could not be loaded";
        return false;
    }
    const std::unique_ptr<GDesktopAppInfo, decltype(gio->release)> entry(gio->entryAt(path.c_str()), gio->release);
    if (!entry) {
        problem = "no such desktop entry";
        return false;
    }
    GError* error = nullptr;
    // A GDesktopAppInfo is a GAppInfo; GIO's checked cast would need GObject linked in.
    if (gio->launch(reinterpret_cast<GAppInfo*>(entry.get()), nullptr, nullptr, &error)) {
        return true;
    }
    problem = error != nullptr ? error->message : "GIO gave no reason";
    if (error != nullptr) {
        gio->freeError(error);
    }
    return false;
}

} // namespace drowsel
