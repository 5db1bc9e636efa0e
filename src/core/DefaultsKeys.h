// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace drowsel::DefaultsKeys {

// Idle limit in whole hours.
inline constexpr const char* hoursUntilClose = "hoursUntilClose";
// The limit while none is stored, for the sweep and every view alike.
inline constexpr std::int64_t hoursUntilCloseFallback = 8;
// Whether rows offer a button that quits their application at once.
inline constexpr const char* showCloseButton = "showCloseButton";
// The automatic-quit switches as JSON text.
inline constexpr const char* toggleStatus = "com.Drowsel.toggleStatus";
// Whether a notice comes shortly before an application is asked to quit; on while absent.
inline constexpr const char* warnBeforeQuitting = "warnBeforeQuitting";
// Whether applications are asked to quit while no tray shows Drowsel; off while absent.
inline constexpr const char* quitWithoutTray = "quitWithoutTray";
// Whether an application playing or recording sound, keeping the computer
// awake or running a command in a terminal counts as in use; on while absent.
inline constexpr const char* spareApplicationsAtWork = "spareApplicationsAtWork";
// Whether idle clocks stand still while the user is away from the computer; off while absent.
inline constexpr const char* countOnlyActiveTime = "countOnlyActiveTime";
// The end of a pause, as ISO 8601 text; absent or past when not paused.
inline constexpr const char* pausedUntil = "pausedUntil";

} // namespace drowsel::DefaultsKeys
