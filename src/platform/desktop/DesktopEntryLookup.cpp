// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopEntryLookup.h"

#include "platform/desktop/DesktopEntryFile.h"

#include <array>
#include <string_view>

namespace drowsel {

namespace {

// Icon=name.png and the like still name a theme icon: the extension goes.
std::string themeName(std::string icon) {
    for (const std::string_view extension : std::array<std::string_view, 3>{".png", ".xpm", ".svg"}) {
        if (icon.ends_with(extension)) {
            icon.resize(icon.size() - extension.size());
            break;
        }
    }
    return icon;
}

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
    const auto file = DesktopEntryFile::read(path);
    const auto icon = file ? file->icon() : std::nullopt;
    if (!icon || icon->empty()) {
        return std::nullopt;
    }
    if (icon->front() == '/') {
        return Icon{{}, *icon};
    }
    return Icon{{themeName(*icon)}, {}};
}

} // namespace drowsel
