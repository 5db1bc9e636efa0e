// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ToggleStatus.h"

#include <optional>
#include <string>
#include <string_view>

namespace drowsel::ToggleStatusCodec {

// Compact UTF-8 JSON: one object from application name to true or false.
// Bytes that are not valid UTF-8 in a name are stored as U+FFFD, so one odd
// name cannot keep every other switch from being saved.
std::string encode(const ToggleStatus& toggleStatus);

// Absent unless the text is a JSON object whose members are all booleans.
std::optional<ToggleStatus> decode(std::string_view json);

} // namespace drowsel::ToggleStatusCodec
