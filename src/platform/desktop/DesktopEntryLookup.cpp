// SPDX-License-Identifier: GPL-3.0-or-later
// GIO first: Qt's keyword macros clash with GDBus member names.
#include <gio/gdesktopappinfo.h>

#include "platform/desktop/DesktopEntryLookup.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <string_view>

namespace drowsel {

namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfo = std::unique_ptr<GDesktopAppInfo, GObjectUnref>;

constexpr std::string_view suffix = ".desktop";

std::string withoutSuffix(std::string id) {
    if (id.ends_with(suffix)) {
        id.resize(id.size() - suffix.size());
    }
    return id;
}

std::string withSuffix(const std::string& id) { return id.ends_with(suffix) ? id : id + std::string(suffix); }

std::string lowerCase(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char letter) { return char(std::tolower(letter)); });
    return text;
}

bool equalIgnoringCase(std::string_view first, std::string_view second) {
    return lowerCase(std::string(first)) == lowerCase(std::string(second));
}

std::optional<DesktopEntryLookup::Entry> entryOf(const AppInfo& info) {
    const char* id = g_app_info_get_id(G_APP_INFO(info.get()));
    const char* name = g_app_info_get_name(G_APP_INFO(info.get()));
    const char* path = g_desktop_app_info_get_filename(info.get());
    if (id == nullptr || path == nullptr) {
        return std::nullopt;
    }
    return DesktopEntryLookup::Entry{withoutSuffix(id), name != nullptr ? name : "", path};
}

// An id from another client's window is only used as a plain desktop-file id,
// never as a path.
bool isPlainId(const std::string& id) { return !id.empty() && id.find('/') == std::string::npos; }

} // namespace

std::optional<DesktopEntryLookup::Entry> DesktopEntryLookup::find(const Clues& clues) {
    if (const auto known = answers.find(clues); known != answers.end()) {
        return known->second;
    }
    std::optional<Entry> entry;
    for (const auto& declaredId : {clues.gtkApplicationId, clues.kdeDesktopFile}) {
        if (!entry && declaredId) {
            entry = byId(*declaredId);
        }
    }
    for (const auto& wmClass : {clues.className, clues.classInstance}) {
        if (!entry && wmClass) {
            entry = byClass(*wmClass);
        }
    }
    answers.emplace(clues, entry);
    return entry;
}

std::optional<DesktopEntryLookup::Entry> DesktopEntryLookup::byId(const std::string& id) {
    if (!isPlainId(id)) {
        return std::nullopt;
    }
    AppInfo info(g_desktop_app_info_new(withSuffix(id).c_str()));
    return info ? entryOf(info) : std::nullopt;
}

std::optional<DesktopEntryLookup::Entry> DesktopEntryLookup::byClass(const std::string& wmClass) {
    if (auto exact = byId(wmClass)) {
        return exact;
    }
    if (auto lower = byId(lowerCase(wmClass))) {
        return lower;
    }
    return byStartupClass(wmClass);
}

// Every entry is read once (GIO keeps them) and the one that declares this
// window class as its StartupWMClass is taken. GIO's search does not index
// StartupWMClass, and its loose matches on names and commands could lend an
// application a stranger's name.
std::optional<DesktopEntryLookup::Entry> DesktopEntryLookup::byStartupClass(const std::string& wmClass) {
    GList* all = g_app_info_get_all();
    std::optional<Entry> found;
    for (GList* item = all; item != nullptr && !found; item = item->next) {
        if (!G_IS_DESKTOP_APP_INFO(item->data)) {
            continue;
        }
        auto* info = G_DESKTOP_APP_INFO(item->data);
        const char* startupClass = g_desktop_app_info_get_startup_wm_class(info);
        if (startupClass != nullptr && equalIgnoringCase(startupClass, wmClass)) {
            found = entryOf(AppInfo(G_DESKTOP_APP_INFO(g_object_ref(info))));
        }
    }
    g_list_free_full(all, g_object_unref);
    return found;
}

std::optional<DesktopEntryLookup::Icon> DesktopEntryLookup::iconOfEntryAt(const std::string& path) {
    if (!path.ends_with(suffix)) {
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
