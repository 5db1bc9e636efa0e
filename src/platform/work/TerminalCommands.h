// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "platform/work/ApplicationProcesses.h"
#include "platform/work/ProcessTable.h"

#include <filesystem>
#include <set>

namespace drowsel {

// Tells whether a terminal of an application runs a command: a session on
// its own terminal where a job other than the shell is in the foreground, or
// whose leader is not a shell at all (a terminal started to run a program).
class TerminalCommands {
public:
    // The login shells are read once, from shellsFile.
    explicit TerminalCommands(const Logger& log, const std::filesystem::path& shellsFile = "/etc/shells");

    bool anyRunning(const ProcessTable& table, const ApplicationProcesses& application) const;

private:
    bool runsCommand(const ProcessTable& table, const ProcessTable::Process& leader) const;

    std::set<std::filesystem::path> shells; // canonical paths
};

} // namespace drowsel
