// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace drowsel::DefaultsKeys {

// Idle limit in whole hours.
inline constexpr const char* hoursUntilClose = "hoursUntilClose";
// The limit while the key is absent; the panel, the settings window and the sweep share it.
inline constexpr std::int64_t hoursUntilCloseFallback = 8;
// Whether rows offer a button that quits their application at once.
inline constexpr const char* showCloseButton = "showCloseButton";
// The automatic-quit switches as JSON text.
inline constexpr const char* toggleStatus = "com.Drowsel.toggleStatus";

} // namespace drowsel::DefaultsKeys
