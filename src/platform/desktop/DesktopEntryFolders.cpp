// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopEntryFolders.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>
#include <utility>

namespace drowsel {

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t entryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB |
                                      IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t creationEvents = IN_CREATE | IN_MOVED_TO | IN_ONLYDIR;

std::string environmentOr(const char* variable, const std::string& fallback) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// Paths as the entries' locations give them: "/usr/share/" and "/usr/share" are one folder.
std::string applicationsIn(const std::string& dataFolder) {
    return (fs::path(dataFolder) / "applications").lexically_normal().string();
}

std::vector<std::string> entryFolders() {
    const char* home = std::getenv("HOME");
    std::vector<std::string> folders{
        applicationsIn(environmentOr("XDG_DATA_HOME", std::string(home != nullptr ? home : "") + "/.local/share"))};
    std::istringstream dataFolders(environmentOr("XDG_DATA_DIRS", "/usr/local/share/:/usr/share/"));
    for (std::string folder; std::getline(dataFolders, folder, ':');) {
        if (!folder.empty()) {
            folders.push_back(applicationsIn(folder));
        }
    }
    return folders;
}

std::set<int> keysOf(const std::map<int, std::string>& map) {
    std::set<int> keys;
    for (const auto& [key, value] : map) {
        keys.insert(key);
    }
    return keys;
}

bool isFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

} // namespace

// One inotify instance for the object's life: closing one waits for the
// kernel's grace period, some milliseconds of a blocked main thread.
DesktopEntryFolders::DesktopEntryFolders() : folders(entryFolders()), watch(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

DesktopEntryFolders::~DesktopEntryFolders() {
    if (watch >= 0) {
        close(watch);
    }
}

// Each folder is watched before it is read: nothing written meanwhile is
// missed. Watches on folders no longer on the way to an entry are dropped.
std::vector<DesktopEntryFolders::Found> DesktopEntryFolders::list() {
    const auto previousWatches = std::exchange(entryFolderWatches, {});
    const auto previousAwaited = std::exchange(awaitedNames, {});
    listed = true;
    std::map<std::string, Found> found;
    for (const auto& folder : folders) {
        if (isFolder(folder)) {
            listFolder(folder, "", found);
        } else {
            watchForCreation(folder);
        }
    }
    for (const auto& watched : {previousWatches, keysOf(previousAwaited)}) {
        for (const int previous : watched) {
            if (!entryFolderWatches.contains(previous) && !awaitedNames.contains(previous)) {
                inotify_rm_watch(watch, previous);
            }
        }
    }
    std::vector<Found> entries;
    for (auto& [id, entry] : found) {
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool DesktopEntryFolders::changed() {
    if (!listed) {
        return true;
    }
    bool changed = false;
    alignas(inotify_event) std::array<char, 4096> events{};
    for (ssize_t size; watch >= 0 && (size = ::read(watch, events.data(), events.size())) > 0;) {
        for (ssize_t at = 0; at < size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events.data() + at);
            const auto awaited = awaitedNames.find(event->wd);
            changed = changed || event->mask & IN_Q_OVERFLOW || entryFolderWatches.contains(event->wd) ||
                      (awaited != awaitedNames.end() && event->len > 0 && awaited->second == event->name);
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return changed;
}

void DesktopEntryFolders::watchFolder(const std::string& folder) {
    if (const int folderWatch = inotify_add_watch(watch, folder.c_str(), entryEvents); folderWatch >= 0) {
        entryFolderWatches.insert(folderWatch);
    }
}

// The nearest folder that exists on the way, for the next name to appear in it.
void DesktopEntryFolders::watchForCreation(const std::string& folder) {
    fs::path missing = fs::path(folder).lexically_normal();
    while (missing.has_relative_path() && !isFolder(missing.parent_path())) {
        missing = missing.parent_path();
    }
    if (missing.has_relative_path()) {
        const int parent = inotify_add_watch(watch, missing.parent_path().c_str(), creationEvents | IN_MASK_ADD);
        if (parent >= 0) {
            awaitedNames.try_emplace(parent, missing.filename().string());
        }
    }
}

// Entries in subfolders have ids prefixed with the subfolders' names. A
// subfolder that is a symbolic link is not followed: it could lead back up.
void DesktopEntryFolders::listFolder(const std::string& folder, const std::string& idPrefix,
                                     std::map<std::string, Found>& found) {
    watchFolder(folder);
    std::error_code error;
    std::map<std::string, fs::directory_entry> sorted;
    for (const auto& item : fs::directory_iterator(folder, error)) {
        sorted.emplace(item.path().filename().string(), item);
    }
    for (const auto& [name, item] : sorted) {
        if (item.is_directory(error) && !item.is_symlink(error)) {
            listFolder(item.path().string(), idPrefix + name + "-", found);
        } else if (name.ends_with(".desktop") && item.is_regular_file(error)) {
            found.try_emplace(idPrefix + name, Found{idPrefix + name, item.path().string()});
        }
    }
}

} // namespace drowsel
