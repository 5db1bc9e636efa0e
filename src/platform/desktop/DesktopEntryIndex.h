// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/desktop/DesktopEntryFolders.h"

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace drowsel {

// Every installed desktop entry by id and by StartupWMClass, read by the
// freedesktop rules (data directories, precedence, Hidden, localised names)
// once, and again when asked after the installed entries changed. Finding a window's entry is then a hash lookup
// however many entries are installed, and nothing is kept per window class asked about.
class DesktopEntryIndex {
public:
    struct Entry {
        std::string id; // the desktop-file id without ".desktop"
        std::string name;
        std::string path;
    };

    // The index every workspace of the process shares.
    static std::shared_ptr<DesktopEntryIndex> shared();

    // By the desktop-file id, with or without ".desktop"; exact.
    std::optional<Entry> byId(const std::string& id);
    // By a window class: the entry whose id is the class, as it is or in lower
    // case, else the first entry in order of id that declares it as its
    // StartupWMClass, ignoring case.
    std::optional<Entry> byClass(const std::string& wmClass);
    std::size_t size();

private:
    void rebuildIfStale();

    DesktopEntryFolders folders;
    std::unordered_map<std::string, Entry> entriesById;
    std::unordered_map<std::string, Entry> entriesByStartupClass;
};

} // namespace drowsel
