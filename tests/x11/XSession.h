#pragma once

#include "ChildProcesses.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace drowsel::xtest {

// A private X session: Xvfb on a free display (-displayfd) with openbox as the
// window manager, and the clients a test starts in it. Everything it started
// is stopped by PID when it goes: SIGTERM, then SIGKILL after a grace period.
class XSession {
public:
    using CommandResult = processes::ChildProcesses::CommandResult;

    // Throws std::runtime_error when the server or the window manager does not come up.
    XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // ":N", for DISPLAY or xcb_connect.
    const std::string& display() const { return displayName; }
    pid_t serverPid() const { return server; }

    // Starts a program with DISPLAY set to this session; its PID.
    pid_t start(const std::vector<std::string>& command);
    // Runs a program (xdotool, xprop) to its end and gives its exit code and output.
    CommandResult run(const std::vector<std::string>& command) const;
    // The exit code of a started process once it has ended (128 + signal when killed).
    std::optional<int> exitStatus(pid_t pid) { return processes.exitStatus(pid); }
    bool isRunning(pid_t pid) { return processes.isRunning(pid); }
    void stop(pid_t pid) { processes.stop(pid); }

    // Polls the condition until it holds or the timeout passes; pause runs
    // between polls (the default sleeps 10 ms; Qt tests pump their event loop).
    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5),
                          const std::function<void()>& pause = {}) {
        return processes::ChildProcesses::waitUntil(condition, timeout, pause);
    }

private:
    void startServer();
    void startWindowManager();
    bool windowManagerIsReady() const;
    std::vector<std::string> environment() const;

    std::string displayName;
    pid_t server = -1;
    processes::ChildProcesses processes;
};

} // namespace drowsel::xtest
