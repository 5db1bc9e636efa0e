// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/TrayItem.h"
#include "core/CoreServices.h"
#include "core/RunningAppsManager.h"
#include "toolkit/ViewEnvironment.h"

#include <QLocale>

#include <memory>

namespace drowsel {

// The application: one tray item whose panel lists what the one shared
// manager tracks. Monitoring starts with the item, whether or not the panel
// is ever opened.
class DrowselApp {
public:
    struct Services {
        CoreServices core;
        ViewEnvironment views;
    };

    // The process entry: runs the Qt application loop on the desktop
    // session's services and returns the exit status.
    static int main(int argc, char** argv);

    // Shows the texts in the locale's language where a translation exists,
    // else as written. True when one was found.
    static bool translateTo(const QLocale& locale);

    // What the shared manager and the views are built on; set before the
    // first body(), for the life of the process.
    static void use(const Services& services);

    // Created on the first request, once even if two threads ask at once,
    // and never released.
    static RunningAppsManager& sharedManager();

    // The one tray item, its panel built on the shared manager. Evaluating it
    // again makes a new item around the same manager.
    std::unique_ptr<TrayItem> body() const;
};

} // namespace drowsel
