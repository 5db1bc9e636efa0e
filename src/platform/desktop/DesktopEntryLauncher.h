// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace drowsel {

// Starts the application of a desktop entry as desktop launchers do, through
// GIO, which knows the rules of Exec lines, terminals and D-Bus activation.
// GIO is loaded on the first launch only: linked in, its libraries cost the
// resident process about 1.2 MiB for as long as it runs, for a thing the user
// seldom asks.
class DesktopEntryLauncher {
public:
    // False, with the reason in problem, when the entry could not be started.
    static bool launch(const std::string& path, std::string& problem);
};

} // namespace drowsel
