// SPDX-License-Identifier: GPL-3.0-or-later
// GIO first: Qt's keyword macros clash with GDBus member names.
#include <gio/gdesktopappinfo.h>

#include "platform/desktop/DesktopEntryLauncher.h"

#include <memory>

namespace drowsel {

bool DesktopEntryLauncher::launch(const std::string& path, std::string& problem) {
    const std::unique_ptr<GDesktopAppInfo, decltype(&g_object_unref)> entry(
        g_desktop_app_info_new_from_filename(path.c_str()), &g_object_unref);
    if (!entry) {
        problem = "no such desktop entry";
        return false;
    }
    GError* error = nullptr;
    if (g_app_info_launch(G_APP_INFO(entry.get()), nullptr, nullptr, &error)) {
        return true;
    }
    problem = error != nullptr ? error->message : "GIO gave no reason";
    g_clear_error(&error);
    return false;
}

} // namespace drowsel
