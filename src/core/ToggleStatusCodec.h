// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ToggleStatus.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drowsel::ToggleStatusCodec {

// The switches read from one stored text, and the names of the members that
// are not switches (hand edits such as "no"), which stay in the text.
struct Decoded {
    ToggleStatus switches;
    std::vector<std::string> unreadable;
};

// Compact UTF-8 JSON: one object from application name to true or false.
// Bytes that are not valid UTF-8 in a name are stored as U+FFFD, so one odd
// name cannot keep every other switch from being saved.
std::string encode(const ToggleStatus& toggleStatus);

// Absent unless the text is a JSON object; its boolean members are the switches.
std::optional<Decoded> decode(std::string_view json);

// The stored text with the changed switches set and every other member kept
// as it is, so that edits made to the text since it was read are not lost. A
// stored text that is no JSON object gives way to the current switches.
std::string merge(std::string_view stored, const ToggleStatus& current, const ToggleStatus& changes);

} // namespace drowsel::ToggleStatusCodec
