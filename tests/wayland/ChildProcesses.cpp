#include "ChildProcesses.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace drowsel::wltest {

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

pid_t ChildProcesses::start(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                            const std::string& logPath) {
    const int log = logPath.empty() ? -1 : open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (!logPath.empty() && log < 0) {
        throw std::runtime_error("cannot open " + logPath + ": " + std::strerror(errno));
    }
    const pid_t pid = spawn(command, environment, log, log);
    if (log >= 0) {
        close(log);
    }
    started.push_back(pid);
    return pid;
}

ChildProcesses::CommandResult ChildProcesses::run(const std::vector<std::string>& command,
                                                  const std::vector<std::string>& environment) const {
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = spawn(command, environment, output[1], -1);
    close(output[1]);
    CommandResult result;
    char buffer[4096];
    for (ssize_t count; (count = read(output[0], buffer, sizeof buffer)) > 0;) {
        result.output.append(buffer, std::size_t(count));
    }
    close(output[0]);
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

void ChildProcesses::stop(pid_t pid) {
    if (!isRunning(pid)) {
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

pid_t ChildProcesses::spawn(const std::vector<std::string>& command, const std::vector<std::string>& environment,
                            int outputFd, int errorFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    }
    if (errorFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, errorFd, STDERR_FILENO);
    }
    auto arguments = command;
    auto variables = environment;
    const auto argv = pointersTo(arguments);
    const auto envp = pointersTo(variables);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::runtime_error("cannot start " + command.front() + ": " + std::strerror(error));
    }
    return pid;
}

} // namespace drowsel::wltest
