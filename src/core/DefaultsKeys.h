// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace drowsel::DefaultsKeys {

// Idle limit in whole hours.
inline constexpr const char* hoursUntilClose = "hoursUntilClose";
// Whether rows offer a button that quits their application at once.
inline constexpr const char* showCloseButton = "showCloseButton";
// The automatic-quit switches as JSON text.
inline constexpr const char* toggleStatus = "com.Drowsel.toggleStatus";

} // namespace drowsel::DefaultsKeys
