// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/work/ProcessTable.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace drowsel {

namespace {

std::optional<std::int64_t> pidNamed(const std::string& name) {
    std::int64_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return error == std::errc() && end == name.data() + name.size() && pid > 0 ? std::optional(pid) : std::nullopt;
}

bool isOurs(const std::filesystem::path& entry) {
    struct stat status {};
    return ::stat(entry.c_str(), &status) == 0 && status.st_uid == ::getuid();
}

} // namespace

ProcessTable ProcessTable::read(const Logger& log, const std::filesystem::path& proc) {
    ProcessTable table(proc);
    int vanished = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(proc, error)) {
        const auto pid = pidNamed(entry.path().filename().string());
        if (!pid || !isOurs(entry.path())) {
            continue;
        }
        std::string line;
        std::getline(std::ifstream(entry.path() / "stat"), line);
        if (const auto process = parseStat(*pid, line)) {
            table.processes.emplace(*pid, *process);
            table.childrenOf.emplace(process->parent, *pid);
        } else {
            ++vanished; // ended between the listing and the read
        }
    }
    if (vanished > 0) {
        log.debug(std::to_string(vanished) + " processes ended while " + proc.string() + " was read");
    }
    return table;
}

// The command name may hold spaces and parentheses: the fields start after the last ')'.
std::optional<ProcessTable::Process> ProcessTable::parseStat(std::int64_t pid, const std::string& line) {
    const auto commandEnd = line.rfind(')');
    if (commandEnd == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(line.substr(commandEnd + 1));
    char state = 0;
    Process process{.pid = pid};
    fields >> state >> process.parent >> process.group >> process.session >> process.terminal >>
        process.foregroundGroup;
    return fields ? std::optional(process) : std::nullopt;
}

const ProcessTable::Process* ProcessTable::find(std::int64_t pid) const {
    const auto found = processes.find(pid);
    return found == processes.end() ? nullptr : &found->second;
}

std::unordered_set<std::int64_t> ProcessTable::withDescendants(const std::vector<std::int64_t>& roots) const {
    std::unordered_set<std::int64_t> found;
    std::vector<std::int64_t> pending;
    for (const auto root : roots) {
        if (processes.contains(root)) {
            pending.push_back(root);
        }
    }
    while (!pending.empty()) {
        const auto pid = pending.back();
        pending.pop_back();
        if (!found.insert(pid).second) {
            continue;
        }
        const auto [first, last] = childrenOf.equal_range(pid);
        for (auto child = first; child != last; ++child) {
            pending.push_back(child->second);
        }
    }
    return found;
}

std::vector<std::int64_t> ProcessTable::runningExecutable(const std::filesystem::path& executable) const {
    std::error_code error;
    const auto wanted = std::filesystem::weakly_canonical(executable, error);
    std::vector<std::int64_t> running;
    for (const auto& [pid, process] : processes) {
        if (executableOf(pid) == wanted) {
            running.push_back(pid);
        }
    }
    return running;
}

// The kernel names a replaced or removed executable "PATH (deleted)".
std::optional<std::filesystem::path> ProcessTable::executableOf(std::int64_t pid) const {
    std::error_code error;
    auto target = std::filesystem::read_symlink(proc / std::to_string(pid) / "exe", error).string();
    if (error) {
        return std::nullopt;
    }
    constexpr std::string_view deleted = " (deleted)";
    if (target.ends_with(deleted)) {
        target.resize(target.size() - deleted.size());
    }
    return std::filesystem::path(target);
}

} // namespace drowsel
