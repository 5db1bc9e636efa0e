// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopEntryIndex.h"

#include "platform/desktop/DesktopEntryFile.h"

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

void DesktopEntryIndex::rebuildIfStale() {
    if (!folders.changed()) {
        return;
    }
    entriesById.clear();
    entriesByStartupClass.clear();
    for (const auto& found : folders.list()) {
        const auto file = DesktopEntryFile::read(found.path);
        if (!file || file->isHidden()) {
            continue;
        }
        Entry entry{withoutSuffix(found.id), file->name(), found.path};
        if (const auto startupClass = file->startupWmClass()) {
            entriesByStartupClass.try_emplace(lowerCase(*startupClass), entry);
        }
        entriesById.try_emplace(entry.id, std::move(entry));
    }
}

} // namespace drowsel
