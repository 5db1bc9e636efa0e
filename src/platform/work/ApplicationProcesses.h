// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/RunningApplication.h"
#include "platform/work/ProcessTable.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace drowsel {

// The processes of one application: the process that owns its windows, or
// when the desktop does not say which that is, the processes running the
// executable its desktop entry names; and everything they started.
struct ApplicationProcesses {
    std::vector<std::int64_t> roots;
    std::unordered_set<std::int64_t> all;

    static ApplicationProcesses of(const RunningApplication& application, const ProcessTable& table);
    // The executable a desktop entry names (TryExec, else the program of
    // Exec) found through PATH, or the location itself when it is one.
    static std::optional<std::filesystem::path> executableAt(const std::string& location);
};

} // namespace drowsel
