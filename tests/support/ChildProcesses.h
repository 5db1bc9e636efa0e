// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace drowsel::processes {

// The programs a test harness starts, each with the environment it is given.
// Everything started is stopped by PID when it goes, the latest first:
// SIGTERM, then SIGKILL after a grace period. Only PIDs started here are ever
// signalled.
class ChildProcesses {
public:
    struct CommandResult {
        int exitCode = -1;
        std::string output;
    };

    ChildProcesses() = default;
    ~ChildProcesses() { stopAll(); }
    ChildProcesses(const ChildProcesses&) = delete;
    ChildProcesses& operator=(const ChildProcesses&) = delete;

    // Its PID. Output and errors go to logPath (appended) when given, else to ours.
    pid_t start(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                const std::string& logPath = {}) {
        return started.emplace_back(spawn(command, environment, logPath, -1));
    }
    // Runs a program to its end: its exit code and standard output.
    CommandResult run(const std::vector<std::string>& command, const std::vector<std::string>& environment) const;
    // The exit code of a started process once it has ended (128 + signal when killed).
    std::optional<int> exitStatus(pid_t pid);
    bool isRunning(pid_t pid) { return !exitStatus(pid); }
    void stop(pid_t pid);
    void stopAll();

    // Polls the condition until it holds or the timeout passes; pause runs
    // between polls (the default sleeps 10 ms; Qt tests pump their event loop).
    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5),
                          const std::function<void()>& pause = {});

private:
    static pid_t spawn(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                       const std::string& logPath, int outputFd);

    std::vector<pid_t> started;
    std::map<pid_t, int> ended;
};

} // namespace drowsel::processes
