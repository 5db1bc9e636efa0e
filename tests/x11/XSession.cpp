#include "XSession.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace drowsel::xtest {

namespace {

constexpr auto gracePeriod = std::chrono::seconds(2);

std::string readLine(int fd, std::chrono::milliseconds timeout) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    char letter = 0;
    while (line.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, int(left.count())) <= 0 || read(fd, &letter, 1) != 1) {
            break;
        }
        line += letter;
    }
    return line;
}

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

XSession::XSession() {
    try {
        startServer();
        startWindowManager();
    } catch (...) {
        stopAll();
        throw;
    }
}

XSession::~XSession() { stopAll(); }

void XSession::stopAll() {
    for (auto pid = started.rbegin(); pid != started.rend(); ++pid) {
        stop(*pid);
    }
}

pid_t XSession::start(const std::vector<std::string>& command) {
    const pid_t pid = spawn(command, -1, false);
    started.push_back(pid);
    return pid;
}

XSession::CommandResult XSession::run(const std::vector<std::string>& command) const {
    int output[2];
    if (pipe2(output, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = spawn(command, output[1], false);
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

std::optional<int> XSession::exitStatus(pid_t pid) {
    if (const auto known = ended.find(pid); known != ended.end()) {
        return known->second;
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) {
        return std::nullopt;
    }
    return ended[pid] = exitCodeOf(status);
}

void XSession::stop(pid_t pid) {
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

bool XSession::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
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

pid_t XSession::spawn(const std::vector<std::string>& command, int outputFd, bool quiet) const {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    }
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    auto arguments = command;
    auto variables = environment();
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

// Xvfb picks a free display itself and writes its number to the pipe once it
// accepts connections, so parallel tests never collide.
void XSession::startServer() {
    int ready[2];
    if (pipe(ready) != 0) {
        throw std::runtime_error("pipe failed");
    }
    fcntl(ready[0], F_SETFD, FD_CLOEXEC);
    server = spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                    "-noreset"},
                   -1, true);
    started.push_back(server);
    close(ready[1]);
    const auto number = readLine(ready[0], std::chrono::seconds(10));
    close(ready[0]);
    if (number.empty() || number.back() != '\n') {
        throw std::runtime_error("Xvfb did not start");
    }
    displayName = ":" + number.substr(0, number.size() - 1);
}

void XSession::startWindowManager() {
    started.push_back(spawn({"openbox", "--sm-disable"}, -1, true));
    if (!waitUntil([this] { return windowManagerIsReady(); }, std::chrono::seconds(10))) {
        throw std::runtime_error("openbox did not start");
    }
}

// openbox names itself (_NET_SUPPORTING_WM_CHECK) before it manages new
// windows, and a window mapped too early is left unmanaged for good. So a probe
// window is mapped, again until openbox lists it in _NET_CLIENT_LIST, and
// destroyed again before the tests begin.
bool XSession::windowManagerIsReady() const {
    xcb_connection_t* connection = xcb_connect(displayName.c_str(), nullptr);
    const auto closeConnection = [&] { xcb_disconnect(connection); };
    if (xcb_connection_has_error(connection) != 0) {
        closeConnection();
        return false;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const char name[] = "_NET_CLIENT_LIST";
    auto* atom = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
    const xcb_atom_t clientList = atom != nullptr ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(atom);
    const xcb_window_t probe = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const auto isListed = [&] {
        auto* property = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, screen->root, clientList, XCB_ATOM_WINDOW, 0, 4096), nullptr);
        bool listed = false;
        if (property != nullptr) {
            const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(property));
            const int count = xcb_get_property_value_length(property) / 4;
            listed = std::find(windows, windows + count, probe) != windows + count;
        }
        std::free(property);
        return listed;
    };
    xcb_map_window(connection, probe);
    xcb_flush(connection);
    bool ready = waitUntil(isListed, std::chrono::milliseconds(300));
    xcb_destroy_window(connection, probe);
    xcb_flush(connection);
    ready = ready && waitUntil([&] { return !isListed(); });
    closeConnection();
    return ready;
}

std::vector<std::string> XSession::environment() const {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::strncmp(*variable, "DISPLAY=", 8) != 0) {
            variables.emplace_back(*variable);
        }
    }
    variables.push_back("DISPLAY=" + displayName);
    return variables;
}

} // namespace drowsel::xtest
