// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LinuxPlatform.h"

#include "core/DefaultsKeys.h"

#include <QCoreApplication>
#include <QTimer>

namespace drowsel {

std::unique_ptr<LinuxPlatform> LinuxPlatform::open() {
    std::unique_ptr<LinuxPlatform> platform(new LinuxPlatform);
    platform->workspace = SessionWorkspaces::open(Logger(platform->logSink, bundleIdentifier, "workspace"),
                                                  SessionWorkspaces::Displays::fromEnvironment());
    if (!platform->workspace) {
        return nullptr;
    }
    platform->icons = std::make_unique<WorkspaceIcons>(*platform->workspace);
    platform->work =
        std::make_unique<WorkDetectors>(Logger(platform->logSink, bundleIdentifier, "work"), platform->clock);
    platform->followCountOnlyActiveTime();
    return platform;
}

void LinuxPlatform::followCountOnlyActiveTime() {
    const auto apply = [this] {
        const bool onlyPresent = store.boolean(DefaultsKeys::countOnlyActiveTime).value_or(false);
        presence.setCounting(onlyPresent);
        if (onlyPresent && !away) {
            away = std::make_unique<AwayWatch>(Logger(logSink, bundleIdentifier, "away"), presence);
        } else if (!onlyPresent) {
            // A watch takes back what it said as it goes: switched on again, new ones tell afresh.
            away.reset();
        }
    };
    apply();
    // Told before the change, from the menu or a file edited by hand: applied once it is made.
    countingChanges = settings.willChange(DefaultsKeys::countOnlyActiveTime).subscribe([apply] {
        QTimer::singleShot(0, QCoreApplication::instance(), apply);
    });
}

LinuxPlatform::LinuxPlatform() : store(Logger(logSink, bundleIdentifier, "settings")) {}

} // namespace drowsel
