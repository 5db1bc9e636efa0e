#include "AccessibilityReader.h"

#include <nlohmann/json.hpp>

#include <csignal>
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

constexpr auto answerTimeout = std::chrono::seconds(10);
constexpr auto gracePeriod = std::chrono::seconds(2);

// JSON null (nothing to read) as an empty text.
std::string textOf(const nlohmann::json& json) { return json.is_string() ? json.get<std::string>() : std::string(); }

AccessibilityReader::Control controlFrom(const nlohmann::json& json) {
    return {.name = textOf(json.at("name")),
            .role = textOf(json.at("role")),
            .text = textOf(json.at("text")),
            .isChecked = json.at("checked"),
            .isEnabled = json.at("enabled"),
            .isShowing = json.at("showing"),
            .extents = json.at("extents")};
}

AccessibilityReader::Row rowFrom(const nlohmann::json& json) {
    AccessibilityReader::Row row{.name = textOf(json.at("name")), .isOn = json.at("on"), .timeLeft = std::nullopt};
    if (json.at("timeLeft").is_string()) {
        row.timeLeft = json.at("timeLeft");
    }
    return row;
}

AccessibilityReader::Window windowFrom(const nlohmann::json& json) {
    AccessibilityReader::Window window{.name = textOf(json.at("name")), .controls = {}, .rows = {}};
    for (const auto& control : json.at("controls")) {
        window.controls.push_back(controlFrom(control));
    }
    for (const auto& row : json.at("rows")) {
        window.rows.push_back(rowFrom(row));
    }
    return window;
}

} // namespace

AccessibilityReader::AccessibilityReader(const std::string& script) {
    // A helper that died must fail the test with a message, not end it with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    int toHelper[2];
    int fromHelper[2];
    if (pipe2(toHelper, O_CLOEXEC) != 0 || pipe2(fromHelper, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toHelper[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromHelper[1], STDOUT_FILENO);
    std::string python = "/usr/bin/python3";
    std::string path = script;
    char* argv[] = {python.data(), path.data(), nullptr};
    const int error = posix_spawn(&helper, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toHelper[0]);
    close(fromHelper[1]);
    requests = toHelper[1];
    answers = fromHelper[0];
    if (error != 0 || readLine(answerTimeout).find("ready") == std::string::npos) {
        throw std::runtime_error("the accessibility reader did not start");
    }
}

// Closing its input ends the helper; it is killed only if it hangs.
AccessibilityReader::~AccessibilityReader() {
    close(requests);
    close(answers);
    if (helper <= 0) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + gracePeriod;
    int status = 0;
    while (waitpid(helper, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(helper, SIGKILL);
            waitpid(helper, &status, 0);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::vector<AccessibilityReader::Window> AccessibilityReader::windowsOf(pid_t pid) {
    const std::string request = std::to_string(pid) + "\n";
    if (write(requests, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        throw std::runtime_error("the accessibility reader has gone");
    }
    const auto answer = nlohmann::json::parse(readLine(answerTimeout));
    std::vector<Window> windows;
    for (const auto& window : answer.at("windows")) {
        windows.push_back(windowFrom(window));
    }
    return windows;
}

std::string AccessibilityReader::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::size_t end = 0;
    while ((end = unread.find('\n')) == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{answers, POLLIN, 0};
        char buffer[4096];
        ssize_t count = 0;
        if (left.count() <= 0 || poll(&readable, 1, int(left.count())) <= 0 ||
            (count = read(answers, buffer, sizeof buffer)) <= 0) {
            throw std::runtime_error("no answer from the accessibility reader");
        }
        unread.append(buffer, std::size_t(count));
    }
    std::string line = unread.substr(0, end);
    unread.erase(0, end + 1);
    return line;
}

} // namespace drowsel::xtest
