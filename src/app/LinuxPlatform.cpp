// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LinuxPlatform.h"

namespace drowsel {

std::unique_ptr<LinuxPlatform> LinuxPlatform::open() {
    std::unique_ptr<LinuxPlatform> platform(new LinuxPlatform);
    platform->workspace = SessionWorkspaces::open(Logger(platform->logSink, bundleIdentifier, "workspace"),
                                                  SessionWorkspaces::Displays::fromEnvironment());
    if (!platform->workspace) {
        return nullptr;
    }
    platform->icons = std::make_unique<WorkspaceIcons>(*platform->workspace);
    return platform;
}

LinuxPlatform::LinuxPlatform() : store(Logger(logSink, bundleIdentifier, "settings")) {}

} // namespace drowsel
