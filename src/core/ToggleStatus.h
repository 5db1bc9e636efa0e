// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <unordered_map>

namespace drowsel {

// Automatic-quit switch per application name; no entry means on.
using ToggleStatus = std::unordered_map<std::string, bool>;

} // namespace drowsel
