// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChildProcesses.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace drowsel::processes {

// What the private display servers of the tests share (Xvfb with openbox,
// headless sway, KWin on a virtual output): a temporary folder, the programs
// started in the session, each stopped by PID when the session goes (the
// latest first), and the environment its clients see.
class DisplaySession {
public:
    using CommandResult = ChildProcesses::CommandResult;

    virtual ~DisplaySession();
    DisplaySession(const DisplaySession&) = delete;
    DisplaySession& operator=(const DisplaySession&) = delete;

    // Starts a program in the session, extraEnvironment ("NAME=value") on top; its PID.
    pid_t start(const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment = {});
    // Runs a program in the session to its end: its exit code and output.
    CommandResult run(const std::vector<std::string>& command) const;
    // The exit code of a started process once it has ended (128 + signal when killed).
    std::optional<int> exitStatus(pid_t pid) { return processes.exitStatus(pid); }
    bool isRunning(pid_t pid) { return processes.isRunning(pid); }
    void stop(pid_t pid) { processes.stop(pid); }
    // Ours, with the session's variables in place of the desktop's.
    std::vector<std::string> environment(const std::vector<std::string>& extraEnvironment = {}) const;
    // The session's temporary folder, removed when it goes.
    const std::string& folder() const { return folderPath; }

    // Polls the condition until it holds or the timeout passes; pause runs
    // between polls (the default sleeps 10 ms; Qt tests pump their event loop).
    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5),
                          const std::function<void()>& pause = {}) {
        return ChildProcesses::waitUntil(condition, timeout, pause);
    }

protected:
    static constexpr auto startTimeout = std::chrono::seconds(30);

    explicit DisplaySession(const std::string& kind);
    // Sets a variable of the clients' environment; nullopt takes it away.
    void setVariable(const std::string& name, std::optional<std::string> value) { variables[name] = std::move(value); }
    std::string path(const std::string& name) const { return folderPath + "/" + name; }
    // The first line a server writes to the file (e.g. through its descriptor
    // 3: "3>file"), once complete; throws with the end of the log when the
    // server ends first or the line does not come in time.
    std::string firstLineOf(const std::string& file, pid_t server, const std::string& logName) const;
    static std::string readFile(const std::string& path) {
        std::ifstream file(path);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    // Throws with the end of the log, which may tell why.
    [[noreturn]] void fail(const std::string& what, const std::string& logName) const;
    // The command as the user compositors run as, nobody when the tests run as
    // root, keeping capabilities such as "+sys_ptrace".
    static std::vector<std::string> asCompositor(std::vector<std::string> command,
                                                 const std::string& capabilities = {});
    // A Qt program as a native Wayland client of the session.
    pid_t startQtWaylandClient(const std::string& program, const std::vector<std::string>& arguments) {
        std::vector<std::string> command{program};
        command.insert(command.end(), arguments.begin(), arguments.end());
        // Qt's Wayland plugin leaves allocations behind at exit: no leak check in sanitizer builds.
        return start(command, {"QT_QPA_PLATFORM=wayland", "LSAN_OPTIONS=detect_leaks=0"});
    }
    // The xhost argument that lets the test's own user into an X server of the compositor's user.
    static std::string letUsIn();
    // A folder in the session owned by the compositor's user, for its sockets and files.
    std::string compositorFolder(const std::string& name) const;

    mutable ChildProcesses processes;

private:
    std::string folderPath;
    std::map<std::string, std::optional<std::string>> variables;
};

} // namespace drowsel::processes
