// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildProcesses.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace drowsel::processes {

namespace {

constexpr auto gracePeriod = std::chrono::seconds(2);

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

} // namespace

ChildProcesses::CommandResult ChildProcesses::run(const std::vector<std::string>& command,
                                                  const std::vector<std::string>& environment) const {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("pipe failed: ") + std::strerror(errno));
    }
    pid_t pid = -1;
    try {
        pid = spawn(command, environment, {}, ends[1]);
    } catch (...) {
        close(ends[0]);
        close(ends[1]);
        throw;
    }
    close(ends[1]);
    CommandResult result;
    char buffer[4096];
    for (ssize_t count; (count = read(ends[0], buffer, sizeof buffer)) > 0;) {
        result.output.append(buffer, std::size_t(count));
    }
    close(ends[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exitCode = exitCodeOf(status);
    return result;
}

std::optional<int> ChildProcesses::exitStatus(pid_t pid) {
    if (const auto known = ended.find(pid); known != ended.end()) {
        return known->second;
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) {
        return std::nullopt;
    }
    return ended[pid] = exitCodeOf(status);
}

// A PID not started here may belong to anyone by now: it is left alone.
void ChildProcesses::stop(pid_t pid) {
    if (std::find(started.begin(), started.end(), pid) == started.end() || !isRunning(pid)) {
        return;
    }
    kill(pid, SIGTERM);
    if (!waitUntil([&] { return !isRunning(pid); }, gracePeriod)) {
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ended[pid] = exitCodeOf(status);
    }
}

void ChildProcesses::stopAll() {
    for (auto pid = started.rbegin(); pid != started.rend(); ++pid) {
        stop(*pid);
    }
}

bool ChildProcesses::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
                               const std::function<void()>& pause) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        if (pause) {
            pause();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return true;
}

// The log is opened in the child, so a failed start leaves no descriptor behind.
pid_t ChildProcesses::spawn(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                            const std::string& logPath, int outputFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    } else if (!logPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    auto arguments = command;
    auto variables = environment;
    const auto argv = pointersTo(arguments);
    const auto envp = pointersTo(variables);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        const auto output = logPath.empty() ? "" : " (output to " + logPath + ")";
        throw std::runtime_error("cannot start " + command.front() + output + ": " + std::strerror(error));
    }
    return pid;
}

} // namespace drowsel::processes
