// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopEntryFolders.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>

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

bool isFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

} // namespace

DesktopEntryFolders::DesktopEntryFolders() : folders(entryFolders()) {}

DesktopEntryFolders::~DesktopEntryFolders() {
    if (watch >= 0) {
        close(watch);
    }
}

// The watch is set before the folders are read: nothing written meanwhile is missed.
std::vector<DesktopEntryFolders::Found> DesktopEntryFolders::list() {
    if (watch >= 0) {
        close(watch);
    }
    watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    awaitedNames.clear();
    listed = true;
    std::map<std::string, Found> found;
    for (const auto& folder : folders) {
        if (isFolder(folder)) {
            listFolder(folder, "", found);
        } else {
            watchForCreation(folder);
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
            changed = changed || event->mask & IN_Q_OVERFLOW || awaited == awaitedNames.end() ||
                      (event->len > 0 && awaited->second == event->name);
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return changed;
}

void DesktopEntryFolders::watchFolder(const std::string& folder) {
    if (watch >= 0) {
        awaitedNames.erase(inotify_add_watch(watch, folder.c_str(), entryEvents));
    }
}

// The nearest folder that exists on the way, for the next name to appear in it.
void DesktopEntryFolders::watchForCreation(const std::string& folder) {
    fs::path missing = fs::path(folder).lexically_normal();
    while (missing.has_relative_path() && !isFolder(missing.parent_path())) {
        missing = missing.parent_path();
    }
    if (watch >= 0 && missing.has_relative_path()) {
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
