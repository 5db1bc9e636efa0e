// SPDX-License-Identifier: GPL-3.0-or-later
// GIO first: Qt's keyword macros clash with GDBus member names.
#include <gio/gdesktopappinfo.h>

#include "platform/desktop/DesktopEntryLookup.h"

#include <memory>

namespace drowsel {

namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfo = std::unique_ptr<GDesktopAppInfo, GObjectUnref>;

} // namespace

std::optional<DesktopEntryLookup::Entry> DesktopEntryLookup::find(const Clues& clues) const {
    for (const auto& declaredId : {clues.gtkApplicationId, clues.kdeDesktopFile}) {
        if (declaredId) {
            if (auto entry = index->byId(*declaredId)) {
                return entry;
            }
        }
    }
    for (const auto& wmClass : {clues.className, clues.classInstance}) {
        if (wmClass) {
            if (auto entry = index->byClass(*wmClass)) {
                return entry;
            }
        }
    }
    return std::nullopt;
}

std::optional<DesktopEntryLookup::Icon> DesktopEntryLookup::iconOfEntryAt(const std::string& path) {
    if (!path.ends_with(".desktop")) {
        return std::nullopt;
    }
    AppInfo info(g_desktop_app_info_new_from_filename(path.c_str()));
    GIcon* icon = info ? g_app_info_get_icon(G_APP_INFO(info.get())) : nullptr;
    if (icon != nullptr && G_IS_THEMED_ICON(icon)) {
        Icon result;
        for (const gchar* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon)); *name != nullptr; ++name) {
            result.themeNames.emplace_back(*name);
        }
        return result;
    }
    if (icon != nullptr && G_IS_FILE_ICON(icon)) {
        std::unique_ptr<char, decltype(&g_free)> file(g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon))),
                                                      &g_free);
        if (file) {
            return Icon{{}, std::string(file.get())};
        }
    }
    return std::nullopt;
}

} // namespace drowsel
