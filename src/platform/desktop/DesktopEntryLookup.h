// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace drowsel {

// Finds the desktop entry of an application through GIO, which applies the
// freedesktop rules: data directories, precedence, localised names.
class DesktopEntryLookup {
public:
    struct Entry {
        std::string id; // the desktop-file id without ".desktop"
        std::string name;
        std::string path;
    };

    // What an application's windows say about who it is.
    struct Clues {
        std::optional<std::string> gtkApplicationId;
        std::optional<std::string> kdeDesktopFile;
        std::optional<std::string> classInstance;
        std::optional<std::string> className;

        auto operator<=>(const Clues&) const = default;
    };

    // An icon as the entry names it: theme names in order of preference, or a file.
    struct Icon {
        std::vector<std::string> themeNames;
        std::optional<std::string> file;
    };

    // Answers are kept: searching every entry is slow and entries rarely change.
    std::optional<Entry> find(const Clues& clues);
    // A Wayland app id is by convention the desktop-file id; some compositors
    // give an X11 window class instead.
    std::optional<Entry> findForAppId(const std::string& appId) {
        return find(Clues{.gtkApplicationId = appId, .kdeDesktopFile = {}, .classInstance = {}, .className = appId});
    }
    static std::optional<Icon> iconOfEntryAt(const std::string& path);

private:
    static std::optional<Entry> byId(const std::string& id);
    static std::optional<Entry> byClass(const std::string& wmClass);
    static std::optional<Entry> byStartupClass(const std::string& wmClass);

    std::map<Clues, std::optional<Entry>> answers;
};

} // namespace drowsel
