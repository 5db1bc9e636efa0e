// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/work/TerminalCommands.h"

#include <algorithm>
#include <fstream>
#include <string>

namespace drowsel {

namespace {

// For a system without a readable list of its shells.
const char* const commonShells[] = {"/bin/sh",  "/bin/bash", "/bin/dash", "/bin/zsh",     "/usr/bin/zsh",
                                    "/bin/ksh", "/bin/tcsh", "/bin/csh",  "/usr/bin/fish"};

} // namespace

TerminalCommands::TerminalCommands(const Logger& log, const std::filesystem::path& shellsFile) {
    std::ifstream file(shellsFile);
    std::vector<std::string> listed;
    if (!file.is_open()) {
        log.error("Cannot read " + shellsFile.string() + ": the usual shells are taken as the login shells");
        listed.assign(std::begin(commonShells), std::end(commonShells));
    }
    for (std::string line; std::getline(file, line);) {
        if (line.starts_with('/')) {
            listed.push_back(line);
        }
    }
    for (const auto& shell : listed) {
        std::error_code missing;
        if (auto canonical = std::filesystem::canonical(shell, missing); !missing) {
            shells.insert(std::move(canonical));
        }
    }
}

// The application's own process may lead a session (started from a
// terminal): that is not one of its terminals.
bool TerminalCommands::anyRunning(const ProcessTable& table, const ApplicationProcesses& application) const {
    return std::ranges::any_of(application.all, [&](std::int64_t pid) {
        const auto* process = table.find(pid);
        return process != nullptr && process->session == pid && process->terminal != 0 &&
               std::ranges::find(application.roots, pid) == application.roots.end() && runsCommand(table, *process);
    });
}

bool TerminalCommands::runsCommand(const ProcessTable& table, const ProcessTable::Process& leader) const {
    if (leader.foregroundGroup != leader.pid) {
        return true;
    }
    const auto executable = table.executableOf(leader.pid);
    return executable && !shells.contains(*executable);
}

} // namespace drowsel
