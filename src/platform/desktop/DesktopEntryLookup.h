// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/desktop/DesktopEntryIndex.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace drowsel {

// Finds the desktop entry of an application from what its windows say.
class DesktopEntryLookup {
public:
    using Entry = DesktopEntryIndex::Entry;

    // What an application's windows say about who it is.
    struct Clues {
        std::optional<std::string> gtkApplicationId;
        std::optional<std::string> kdeDesktopFile;
        std::optional<std::string> classInstance;
        std::optional<std::string> className;
    };

    // An icon as the entry names it: theme names in order of preference, or a file.
    struct Icon {
        std::vector<std::string> themeNames;
        std::optional<std::string> file;
    };

    std::optional<Entry> find(const Clues& clues) const;
    // A Wayland app id is by convention the desktop-file id; some compositors
    // give an X11 window class instead.
    std::optional<Entry> findForAppId(const std::string& appId) const {
        return find(Clues{.gtkApplicationId = appId, .kdeDesktopFile = {}, .classInstance = {}, .className = appId});
    }
    static std::optional<Icon> iconOfEntryAt(const std::string& path);

private:
    std::shared_ptr<DesktopEntryIndex> index = DesktopEntryIndex::shared();
};

} // namespace drowsel
