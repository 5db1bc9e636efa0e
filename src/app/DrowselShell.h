// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/LinuxPlatform.h"
#include "app/NoTrayGuard.h"
#include "app/ShellExtensionNotice.h"
#include "app/TrayItem.h"
#include "app/TrayModel.h"
#include "platform/qt/SettingsFileWatcher.h"

#include <memory>

namespace drowsel {

// The tray item with all that goes with it in the desktop session: its menu
// over the manager, the settings file and the record of quits; the hold on
// quitting while no tray shows it; and the settings file followed when it is
// edited by hand.
class DrowselShell {
public:
    DrowselShell(std::unique_ptr<TrayItem> item, RunningAppsManager& manager, LinuxPlatform& platform);

    TrayItem& tray() { return *item; }

private:
    void settingsFileChanged();

    std::unique_ptr<TrayItem> item;
    RunningAppsManager& manager;
    LinuxPlatform& platform;
    TrayModel model;
    NoTrayGuard noTrayGuard;
    ShellExtensionNotice shellExtensionNotice;
    SettingsFileWatcher settingsFile;
};

} // namespace drowsel
