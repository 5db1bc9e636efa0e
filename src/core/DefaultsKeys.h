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
// The end of a pause, as ISO 8601 text; absent or past when not paused.
inline constexpr const char* pausedUntil = "pausedUntil";

} // namespace drowsel::DefaultsKeys
