// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/ApplicationIcons.h"

#include "platform/desktop/DesktopEntryLookup.h"
#include "platform/desktop/IconLoader.h"

#include <set>

namespace drowsel {

ApplicationIcons::ApplicationIcons(const Workspace& workspace, Logger log)
    : workspace(workspace), log(std::move(log)), genericIcon(IconLoader::generic()) {}

QIcon ApplicationIcons::iconFor(const std::string& location, const std::function<QIcon()>& ownIcon) {
    if (location.empty()) {
        return genericIcon;
    }
    if (const auto& fromEntry = entryIcon(location); !fromEntry.isNull()) {
        return fromEntry;
    }
    const QIcon own = ownIcon ? ownIcon() : QIcon();
    return own.isNull() ? genericIcon : own;
}

// A location seen for the first time means a new application: the icons of
// those that have gone are dropped then.
const QIcon& ApplicationIcons::entryIcon(const std::string& location) {
    if (const auto kept = entryIcons.find(location); kept != entryIcons.end()) {
        return kept->second;
    }
    forgetEntriesNoLongerRunning();
    return entryIcons.emplace(location, entryIconAt(location, log)).first->second;
}

QIcon ApplicationIcons::entryIconAt(const std::string& location, const Logger& log) {
    const auto icon = DesktopEntryLookup::iconOfEntryAt(location);
    if (!icon) {
        return {};
    }
    if (!icon->file) {
        return IconLoader::fromThemeNames(icon->themeNames);
    }
    std::string problem;
    QIcon fromFile = IconLoader::fromFile(*icon->file, problem);
    if (fromFile.isNull()) {
        log.info("Ignored the icon " + *icon->file + " of " + location + ": " + problem);
    }
    return fromFile;
}

void ApplicationIcons::forgetEntriesNoLongerRunning() {
    std::set<std::string> running;
    for (const auto& application : workspace.runningApplications()) {
        running.insert(application->bundleLocation().value_or(""));
    }
    std::erase_if(entryIcons, [&](const auto& kept) { return !running.contains(kept.first); });
}

} // namespace drowsel
