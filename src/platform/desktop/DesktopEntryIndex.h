// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

typedef struct _GAppInfoMonitor GAppInfoMonitor;

namespace drowsel {

// Every installed desktop entry by id and by StartupWMClass, read through GIO
// (which applies the freedesktop rules: data directories, precedence,
// localised names) once, and again after GIO says the installed entries
// changed. Finding a window's entry is then a hash lookup however many
// entries are installed, and nothing is kept per window class asked about.
class DesktopEntryIndex {
public:
    struct Entry {
        std::string id; // the desktop-file id without ".desktop"
        std::string name;
        std::string path;
    };

    // The index every workspace of the process shares.
    static std::shared_ptr<DesktopEntryIndex> shared();

    DesktopEntryIndex();
    ~DesktopEntryIndex();
    DesktopEntryIndex(const DesktopEntryIndex&) = delete;
    DesktopEntryIndex& operator=(const DesktopEntryIndex&) = delete;

    // By the desktop-file id, with or without ".desktop"; exact.
    std::optional<Entry> byId(const std::string& id);
    // By a window class: the entry whose id is the class, as it is or in lower
    // case, else the first entry in GIO's order that declares it as its
    // StartupWMClass, ignoring case.
    std::optional<Entry> byClass(const std::string& wmClass);
    std::size_t size();

private:
    void rebuildIfStale();
    static void markStale(GAppInfoMonitor* monitor, void* index);

    GAppInfoMonitor* monitor;
    unsigned long changedHandler;
    bool isStale = true;
    std::unordered_map<std::string, Entry> entriesById;
    std::unordered_map<std::string, Entry> entriesByStartupClass;
};

} // namespace drowsel
