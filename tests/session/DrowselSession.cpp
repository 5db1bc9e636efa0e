// SPDX-License-Identifier: GPL-3.0-or-later
#include "DrowselSession.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace drowsel::xtest {

namespace {

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

} // namespace

DrowselSession::DrowselSession(const std::string& generalSection) {
    std::filesystem::create_directories(configFolder + "/Drowsel");
    std::ofstream(configFolder + "/Drowsel/Drowsel.conf", std::ios::binary) << "[General]\n" << generalSection;
}

std::string DrowselSession::settingsFile() const { return contentsOf(configFolder + "/Drowsel/Drowsel.conf"); }

std::string DrowselSession::log() const { return contentsOf(logPath); }

std::size_t DrowselSession::countInLog(const std::string& text) const {
    const std::string all = log();
    std::size_t count = 0;
    for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) {
        ++count;
    }
    return count;
}

// The bus address leads nowhere, so Qt neither reaches the developer's own
// desktop nor starts a bus of its own; runtime and state folders of its own
// keep sessions that run side by side apart.
pid_t DrowselSession::startDrowsel(const std::string& setup) {
    const std::string script = R"(
export XDG_CONFIG_HOME="$1" DROWSEL_DEBUG=1 DBUS_SESSION_BUS_ADDRESS="unix:path=$1/no-bus"
export XDG_RUNTIME_DIR="$1/runtime" XDG_STATE_HOME="$1/state"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
)" + setup + R"(
exec "$2" 2>>"$3")";
    return session.start({"sh", "-c", script, "sh", configFolder, DROWSEL_BINARY, logPath});
}

pid_t DrowselSession::startClient(const std::string& className, const std::vector<std::string>& options) {
    std::vector<std::string> command{DROWSEL_FIXTURE_CLIENT, "--class", className, className, "--log", logPath};
    command.insert(command.end(), options.begin(), options.end());
    return startShowing(command, className);
}

pid_t DrowselSession::startShowing(const std::vector<std::string>& command, const std::string& windowClass) {
    const pid_t pid = session.start(command);
    if (!waitFor([&] { return !windows("--class", "^" + windowClass + "$").empty(); })) {
        throw std::runtime_error(windowClass + " shows no window");
    }
    return pid;
}

std::vector<std::string> DrowselSession::windows(const std::string& criterion, const std::string& value) {
    std::istringstream found(session.run({"xdotool", "search", "--onlyvisible", criterion, value}).output);
    return {std::istream_iterator<std::string>(found), {}};
}

std::array<int, 4> DrowselSession::geometryOf(const std::string& window) {
    std::array<int, 4> box{};
    std::sscanf(session.run({"xdotool", "getwindowgeometry", "--shell", window}).output.c_str(),
                "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &box[0], &box[1], &box[2], &box[3]);
    return box;
}

void DrowselSession::click(int x, int y) {
    session.run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"});
}

bool DrowselSession::waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    return XSession::waitUntil(condition, timeout, [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); });
}

} // namespace drowsel::xtest
