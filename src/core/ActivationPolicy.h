// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace drowsel {

// How an application takes part in the desktop; only regular ones are tracked.
enum class ActivationPolicy {
    regular = 0,   // has ordinary windows the user switches between
    accessory = 1, // panels, docks, tray hosts, skip-taskbar helpers
    prohibited = 2 // no windows at all
};

} // namespace drowsel
