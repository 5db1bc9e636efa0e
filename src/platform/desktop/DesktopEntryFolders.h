// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace drowsel {

// The folders desktop entries are installed in ("applications" in
// $XDG_DATA_HOME, then in each of $XDG_DATA_DIRS), and whether anything in
// them changed since they were last listed. An inotify watch tells, read only
// when asked: no thread and no event loop is needed for it.
class DesktopEntryFolders {
public:
    struct Found {
        std::string id; // the desktop-file id: the path under the folder, '/' made '-', ".desktop" kept
        std::string path;
    };

    DesktopEntryFolders();
    ~DesktopEntryFolders();
    DesktopEntryFolders(const DesktopEntryFolders&) = delete;
    DesktopEntryFolders& operator=(const DesktopEntryFolders&) = delete;

    // Every entry file, each id once: from the folder of highest precedence
    // that has it, then in order of path. Watches the folders from now on.
    std::vector<Found> list();
    // Whether an entry was added, removed, renamed or written since list().
    // Always true before the first list(); never afterwards when inotify is
    // not available.
    bool changed();

private:
    void watchFolder(const std::string& folder);
    void watchForCreation(const std::string& folder);
    void listFolder(const std::string& folder, const std::string& idPrefix, std::map<std::string, Found>& found);

    std::vector<std::string> folders;
    int watch;
    bool listed = false;
    // In a folder that holds entries anything counts; in the nearest parent of
    // a missing folder, only that name appearing.
    std::set<int> entryFolderWatches;
    std::map<int, std::string> awaitedNames;
};

} // namespace drowsel
