// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace drowsel {

// Our own processes (those of our user) as /proc showed them in one pass: who
// descends from whom and what runs on which terminal. Executables are read
// only when asked, since most questions never need them.
class ProcessTable {
public:
    struct Process {
        std::int64_t pid = 0;
        std::int64_t parent = 0;
        std::int64_t group = 0;
        std::int64_t session = 0;
        std::int64_t terminal = 0;        // the controlling tty's device number; 0 without one
        std::int64_t foregroundGroup = 0; // of that terminal; -1 without one
    };

    static ProcessTable read(const Logger& log, const std::filesystem::path& proc = "/proc");

    const Process* find(std::int64_t pid) const;
    // The roots that are in the table and every process below them.
    std::unordered_set<std::int64_t> withDescendants(const std::vector<std::int64_t>& roots) const;
    // The processes whose executable is this file, even if it was replaced since they started.
    std::vector<std::int64_t> runningExecutable(const std::filesystem::path& executable) const;
    std::optional<std::filesystem::path> executableOf(std::int64_t pid) const;

private:
    explicit ProcessTable(std::filesystem::path proc) : proc(std::move(proc)) {}
    static std::optional<Process> parseStat(std::int64_t pid, const std::string& line);

    std::filesystem::path proc;
    std::unordered_map<std::int64_t, Process> processes;
    std::unordered_multimap<std::int64_t, std::int64_t> childrenOf;
};

} // namespace drowsel
