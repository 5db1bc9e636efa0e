// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace drowsel {

// Starts the application of a desktop entry as desktop launchers do, through
// GIO, which knows the rules of Exec lines, terminals and D-Bus activation.
class DesktopEntryLauncher {
public:
    // False, with the reason in problem, when the entry could not be started.
    static bool launch(const std::string& path, std::string& problem);
};

} // namespace drowsel
