// SPDX-License-Identifier: GPL-3.0-or-later
// GIO first: Qt's keyword macros clash with GDBus member names.
#include <gio/gdesktopappinfo.h>

#include "platform/desktop/DesktopEntryIndex.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace drowsel {

namespace {

constexpr std::string_view suffix = ".desktop";

std::string withoutSuffix(std::string id) {
    if (id.ends_with(suffix)) {
        id.resize(id.size() - suffix.size());
    }
    return id;
}

std::string lowerCase(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char letter) { return char(std::tolower(letter)); });
    return text;
}

std::optional<DesktopEntryIndex::Entry> entryOf(GDesktopAppInfo* info) {
    const char* id = g_app_info_get_id(G_APP_INFO(info));
    const char* name = g_app_info_get_name(G_APP_INFO(info));
    const char* path = g_desktop_app_info_get_filename(info);
    if (id == nullptr || path == nullptr) {
        return std::nullopt;
    }
    return DesktopEntryIndex::Entry{withoutSuffix(id), name != nullptr ? name : "", path};
}

template <typename Map> std::optional<DesktopEntryIndex::Entry> lookUp(const Map& map, const std::string& key) {
    const auto found = map.find(key);
    return found != map.end() ? std::optional(found->second) : std::nullopt;
}

} // namespace

std::shared_ptr<DesktopEntryIndex> DesktopEntryIndex::shared() {
    static std::weak_ptr<DesktopEntryIndex> current;
    auto index = current.lock();
    if (!index) {
        index = std::make_shared<DesktopEntryIndex>();
        current = index;
    }
    return index;
}

DesktopEntryIndex::DesktopEntryIndex()
    : monitor(g_app_info_monitor_get()),
      changedHandler(g_signal_connect(monitor, "changed", G_CALLBACK(&DesktopEntryIndex::markStale), this)) {}

DesktopEntryIndex::~DesktopEntryIndex() {
    g_signal_handler_disconnect(monitor, changedHandler);
    g_object_unref(monitor);
}

// GIO asks that nothing be read in the signal itself: the index is read
// again when next asked.
void DesktopEntryIndex::markStale(GAppInfoMonitor*, void* index) {
    static_cast<DesktopEntryIndex*>(index)->isStale = true;
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::byId(const std::string& id) {
    rebuildIfStale();
    return lookUp(entriesById, withoutSuffix(id));
}

std::optional<DesktopEntryIndex::Entry> DesktopEntryIndex::byClass(const std::string& wmClass) {
    rebuildIfStale();
    if (auto exact = lookUp(entriesById, wmClass)) {
        return exact;
    }
    const auto lower = lowerCase(wmClass);
    if (auto lowered = lookUp(entriesById, lower)) {
        return lowered;
    }
    return lookUp(entriesByStartupClass, lower);
}

std::size_t DesktopEntryIndex::size() {
    rebuildIfStale();
    return entriesById.size();
}

// Reading every entry also re-arms GIO's change signal.
void DesktopEntryIndex::rebuildIfStale() {
    if (!isStale) {
        return;
    }
    isStale = false;
    entriesById.clear();
    entriesByStartupClass.clear();
    GList* all = g_app_info_get_all();
    for (GList* item = all; item != nullptr; item = item->next) {
        if (!G_IS_DESKTOP_APP_INFO(item->data)) {
            continue;
        }
        auto* info = G_DESKTOP_APP_INFO(item->data);
        auto entry = entryOf(info);
        if (!entry) {
            continue;
        }
        if (const char* startupClass = g_desktop_app_info_get_startup_wm_class(info)) {
            entriesByStartupClass.try_emplace(lowerCase(startupClass), *entry);
        }
        entriesById.try_emplace(entry->id, std::move(*entry));
    }
    g_list_free_full(all, g_object_unref);
}

} // namespace drowsel
