// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChildProcesses.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <pwd.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace drowsel::processes {

// What the private display servers of the tests share (Xvfb with openbox,
// headless sway, KWin on a virtual output): a temporary folder, the programs
// started in the session, each stopped by PID when the session goes (the
// latest first), and the environment its clients see.
class DisplaySession : public ChildProcesses {
public:
    virtual ~DisplaySession() {
        stopAll();
        std::error_code ignored;
        std::filesystem::remove_all(folderPath, ignored);
    }

    // Starts a program in the session, extraEnvironment ("NAME=value") on top; its PID.
    pid_t start(const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment = {}) {
        return ChildProcesses::start(command, environment(extraEnvironment));
    }
    // Runs a program in the session to its end: its exit code and output.
    CommandResult run(const std::vector<std::string>& command) const {
        return ChildProcesses::run(command, environment());
    }
    // Ours, with the session's variables in place of the desktop's.
    std::vector<std::string> environment(const std::vector<std::string>& extraEnvironment = {}) const {
        const auto split = [](const std::string& variable) {
            const auto equals = variable.find('=');
            return std::pair{variable.substr(0, equals),
                             std::optional(equals == std::string::npos ? "" : variable.substr(equals + 1))};
        };
        auto merged = variables; // the session's own override ours
        for (char** variable = environ; *variable != nullptr; ++variable) {
            merged.insert(split(*variable));
        }
        for (const auto& variable : extraEnvironment) {
            merged.insert_or_assign(split(variable).first, split(variable).second);
        }
        std::vector<std::string> list;
        for (const auto& [name, value] : merged) {
            if (value) {
                list.push_back(name + "=" + *value);
            }
        }
        return list;
    }
    // The session's temporary folder, removed when it goes.
    const std::string& folder() const { return folderPath; }
    // The display server: stopping it ends the session, as a crash or logout would.
    pid_t serverPid() const { return server; }
    // The server's Wayland socket (absolute) and X display (":N"); empty where it has none.
    const std::string& waylandDisplay() const { return waylandSocket; }
    const std::string& x11Display() const { return xDisplay; }
    // A Qt program as a native Wayland client of the session.
    pid_t startQtWaylandClient(const std::vector<std::string>& command) {
        // Qt's Wayland plugin leaves allocations behind at exit: no leak check in sanitizer builds.
        return start(command, {"QT_QPA_PLATFORM=wayland", "LSAN_OPTIONS=detect_leaks=0"});
    }

protected:
    static constexpr auto startTimeout = std::chrono::seconds(30);

    // Readable by all: a compositor running as another user reads its files here.
    explicit DisplaySession(const std::string& kind) {
        std::string pattern = "/tmp/drowsel-" + kind + "-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a temporary folder");
        }
        folderPath = pattern;
        chmod(folderPath.c_str(), 0755);
    }
    // Sets a variable of the clients' environment; nullopt takes it away.
    void setVariable(const std::string& name, std::optional<std::string> value) { variables[name] = std::move(value); }
    std::string path(const std::string& name) const { return folderPath + "/" + name; }
    // The first line a server writes to the file (e.g. through its descriptor
    // 3: "3>file"), once complete; throws with the end of the log when the
    // server ends first or the line does not come in time.
    std::string firstLineOf(const std::string& file, pid_t writer, const std::string& logName) {
        awaitReady([&] { return readFile(file).find('\n') != std::string::npos; }, writer, "no line in " + file,
                   logName);
        const auto text = readFile(file);
        return text.substr(0, text.find('\n'));
    }
    // Waits until the process is ready; throws with the end of the log when it
    // ends first or is not ready in time.
    void awaitReady(const std::function<bool()>& ready, pid_t process, const std::string& what,
                    const std::string& logName) {
        if (!waitUntil([&] { return ready() || !isRunning(process); }, startTimeout) || !ready()) {
            fail(what, logName);
        }
    }
    static std::string readFile(const std::string& path) {
        std::ifstream file(path);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    // Throws with the end of the log, which may tell why.
    [[noreturn]] void fail(const std::string& what, const std::string& logName) const {
        const std::string log = readFile(path(logName));
        constexpr std::size_t shown = 2000;
        throw std::runtime_error(what + "; end of " + logName + ":\n" +
                                 log.substr(log.size() > shown ? log.size() - shown : 0));
    }
    // The command as the user compositors run as, nobody when the tests run as
    // root, keeping capabilities such as "+sys_ptrace".
    static std::vector<std::string> asCompositor(std::vector<std::string> command,
                                                 const std::string& capabilities = {}) {
        if (geteuid() != 0) {
            return command;
        }
        const auto user = compositorUser();
        std::vector<std::string> prefix{"setpriv", "--reuid=" + std::to_string(user.pw_uid),
                                        "--regid=" + std::to_string(user.pw_gid), "--clear-groups"};
        if (!capabilities.empty()) {
            prefix.insert(prefix.end(), {"--inh-caps=" + capabilities, "--ambient-caps=" + capabilities});
        }
        command.insert(command.begin(), prefix.begin(), prefix.end());
        return command;
    }
    // The xhost argument that lets the test's own user into an X server of the compositor's user.
    static std::string letUsIn() {
        const passwd* user = getpwuid(geteuid());
        return "+si:localuser:" + std::string(user != nullptr ? user->pw_name : "root");
    }
    // A folder in the session owned by the compositor's user, for its sockets and files.
    std::string compositorFolder(const std::string& name) const {
        const auto folder = path(name);
        const auto user = compositorUser();
        if (mkdir(folder.c_str(), 0700) != 0 || chown(folder.c_str(), user.pw_uid, user.pw_gid) != 0) {
            throw std::runtime_error("cannot create " + folder);
        }
        return folder;
    }

    pid_t server = -1;
    std::string waylandSocket;
    std::string xDisplay;

private:
    static passwd compositorUser() {
        const passwd* user = geteuid() == 0 ? getpwnam("nobody") : getpwuid(geteuid());
        if (user == nullptr) {
            throw std::runtime_error("no user to run the compositor as");
        }
        return *user;
    }
    std::string folderPath;
    std::map<std::string, std::optional<std::string>> variables;
};

} // namespace drowsel::processes
