// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "core/Workspace.h"

#include <QIcon>

#include <functional>
#include <string>
#include <unordered_map>

namespace drowsel {

// The icons shown for applications. The panel asks for them at every
// redraw, so each is made once: the generic icon once in all, a desktop
// entry's once per entry while an application with that entry runs. What is
// kept is bounded by the applications running now.
class ApplicationIcons {
public:
    ApplicationIcons(const Workspace& workspace, Logger log);

    // For the application at this bundle location: its desktop entry's icon,
    // else what `ownIcon` gives (a window's icon; null for none), else the
    // generic icon. Never null.
    QIcon iconFor(const std::string& location, const std::function<QIcon()>& ownIcon = {});

    // The icon the desktop entry at this location names, read now; null for
    // none. A file that is refused is logged.
    static QIcon entryIconAt(const std::string& location, const Logger& log);

private:
    const QIcon& entryIcon(const std::string& location);
    void forgetEntriesNoLongerRunning();

    const Workspace& workspace;
    Logger log;
    const QIcon genericIcon;
    std::unordered_map<std::string, QIcon> entryIcons;
};

} // namespace drowsel
