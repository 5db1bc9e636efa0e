// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DrowselShell.h"

#include "panel/ContentView.h"

namespace drowsel {

namespace {

Logger logOf(LinuxPlatform& platform, const char* category) {
    return Logger(platform.log(), LinuxPlatform::bundleIdentifier, category);
}

} // namespace

DrowselShell::DrowselShell(std::unique_ptr<TrayItem> trayItem, RunningAppsManager& manager, LinuxPlatform& platform)
    : item(std::move(trayItem)), manager(manager), platform(platform),
      model({.manager = manager,
             .store = platform.settingsFile(),
             .settings = platform.storedSettings(),
             .recent = platform.recent(),
             .tray = *item,
             .openSettings =
                 [this] {
                     if (auto* content = dynamic_cast<ContentView*>(item->panel().content())) {
                         content->openSettings();
                     }
                 }},
            logOf(platform, "tray")),
      noTrayGuard(item->trayHosts(), manager, platform.desktopNotifications(), platform.storedSettings(),
                  logOf(platform, "tray")),
      shellExtensionNotice(platform.desktopNotifications(), logOf(platform, "gnome")),
      settingsFile(platform.settingsFile().filePath(), [this] { settingsFileChanged(); }) {
    item->useMenu(model);
    model.readStoredPause();
}

// Read afresh by all that shows or uses it: the views, the switches, the pause
// and the hold for want of a tray.
void DrowselShell::settingsFileChanged() {
    platform.storedSettings().announceAll();
    manager.loadToggleStatus();
    model.readStoredPause();
    noTrayGuard.update();
}

} // namespace drowsel
