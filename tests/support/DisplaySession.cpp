// SPDX-License-Identifier: GPL-3.0-or-later
#include "DisplaySession.h"

#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace drowsel::processes {

// Readable by all: a compositor running as another user reads its files here.
DisplaySession::DisplaySession(const std::string& kind) {
    std::string pattern = "/tmp/drowsel-" + kind + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    folderPath = pattern;
    chmod(folderPath.c_str(), 0755);
}

DisplaySession::~DisplaySession() {
    processes.stopAll();
    std::error_code ignored;
    std::filesystem::remove_all(folderPath, ignored);
}

pid_t DisplaySession::start(const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment) {
    return processes.start(command, environment(extraEnvironment));
}

DisplaySession::CommandResult DisplaySession::run(const std::vector<std::string>& command) const {
    return processes.run(command, environment());
}

std::vector<std::string> DisplaySession::environment(const std::vector<std::string>& extraEnvironment) const {
    std::map<std::string, std::string> merged;
    const auto add = [&](const std::string& variable) {
        const auto equals = variable.find('=');
        merged[variable.substr(0, equals)] = equals == std::string::npos ? "" : variable.substr(equals + 1);
    };
    for (char** variable = environ; *variable != nullptr; ++variable) {
        add(*variable);
    }
    for (const auto& [name, value] : variables) {
        if (value) {
            merged[name] = *value;
        } else {
            merged.erase(name);
        }
    }
    for (const auto& variable : extraEnvironment) {
        add(variable);
    }
    std::vector<std::string> list;
    for (const auto& [name, value] : merged) {
        list.push_back(name + "=" + value);
    }
    return list;
}

std::string DisplaySession::firstLineOf(const std::string& file, pid_t server, const std::string& logName) const {
    if (!waitUntil([&] { return readFile(file).find('\n') != std::string::npos || !processes.isRunning(server); },
                   startTimeout) ||
        readFile(file).find('\n') == std::string::npos) {
        fail("no line in " + file, logName);
    }
    const auto text = readFile(file);
    return text.substr(0, text.find('\n'));
}

void DisplaySession::fail(const std::string& what, const std::string& logName) const {
    const std::string log = readFile(path(logName));
    constexpr std::size_t shown = 2000;
    throw std::runtime_error(what + "; end of " + logName + ":\n" +
                             log.substr(log.size() > shown ? log.size() - shown : 0));
}

namespace {

passwd compositorUser() {
    const passwd* user = geteuid() == 0 ? getpwnam("nobody") : getpwuid(geteuid());
    if (user == nullptr) {
        throw std::runtime_error("no user to run the compositor as");
    }
    return *user;
}

} // namespace

std::vector<std::string> DisplaySession::asCompositor(std::vector<std::string> command,
                                                      const std::string& capabilities) {
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

std::string DisplaySession::letUsIn() {
    const passwd* user = getpwuid(geteuid());
    return "+si:localuser:" + std::string(user != nullptr ? user->pw_name : "root");
}

std::string DisplaySession::compositorFolder(const std::string& name) const {
    const auto folder = path(name);
    const auto user = compositorUser();
    if (mkdir(folder.c_str(), 0700) != 0 || chown(folder.c_str(), user.pw_uid, user.pw_gid) != 0) {
        throw std::runtime_error("cannot create " + folder);
    }
    return folder;
}

} // namespace drowsel::processes
