// SPDX-License-Identifier: GPL-3.0-or-later
#include "DrowselSession.h"

#include <QDir>
#include <QFile>

#include <sstream>
#include <stdexcept>
#include <thread>

namespace drowsel::xtest {

namespace {

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

DrowselSession::DrowselSession(const QByteArray& generalSection) {
    QDir().mkpath(QString::fromStdString(configFolder + "/Drowsel"));
    QFile file(QString::fromStdString(configFolder + "/Drowsel/Drowsel.conf"));
    if (!file.open(QIODevice::WriteOnly) || file.write("[General]\n" + generalSection) < 0) {
        throw std::runtime_error("cannot write the settings file");
    }
}

QByteArray DrowselSession::settingsFile() const {
    return contentsOf(QString::fromStdString(configFolder + "/Drowsel/Drowsel.conf"));
}

std::string DrowselSession::log() const { return contentsOf(QString::fromStdString(logPath)).toStdString(); }

// The bus address leads nowhere, so Qt neither reaches the developer's own
// desktop nor starts a bus of its own.
pid_t DrowselSession::startDrowsel(const std::string& setup) {
    const std::string script = setup + R"(
export XDG_CONFIG_HOME="$1" DROWSEL_DEBUG=1 DBUS_SESSION_BUS_ADDRESS="unix:path=$1/no-bus"
exec "$2" 2>>"$3")";
    return session.start({"sh", "-c", script, "sh", configFolder, DROWSEL_BINARY, logPath});
}

void DrowselSession::startTray() {
    session.start({"tint2"});
    require([&] { return !windowsFound({"--class", "^Tint2$"}).empty(); }, "tint2 shows no panel");
}

pid_t DrowselSession::startClient(const std::string& className, const std::vector<std::string>& options) {
    std::vector<std::string> command{DROWSEL_FIXTURE_CLIENT, "--class", className, className, "--log", logPath};
    command.insert(command.end(), options.begin(), options.end());
    const pid_t client = session.start(command);
    require([&] { return !windowsFound({"--class", "^" + className + "$"}).empty(); }, className + " shows no window");
    return client;
}

void DrowselSession::activate(const std::string& className) {
    session.run({"xdotool", "windowactivate", "--sync", windowsFound({"--class", "^" + className + "$"}).front()});
}

std::vector<std::string> DrowselSession::windowsOf(pid_t pid) { return windowsFound({"--pid", std::to_string(pid)}); }

std::vector<std::string> DrowselSession::windowsFound(const std::vector<std::string>& criteria) {
    std::vector<std::string> command{"xdotool", "search", "--onlyvisible"};
    command.insert(command.end(), criteria.begin(), criteria.end());
    std::istringstream lines(session.run(command).output);
    std::vector<std::string> windows;
    for (std::string line; std::getline(lines, line);) {
        windows.push_back(line);
    }
    return windows;
}

DrowselSession::Geometry DrowselSession::geometryOf(const std::string& window) {
    std::istringstream lines(session.run({"xdotool", "getwindowgeometry", "--shell", window}).output);
    Geometry geometry{};
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        for (const auto& [key, index] : {std::pair{"X", 0}, {"Y", 1}, {"WIDTH", 2}, {"HEIGHT", 3}}) {
            if (line.substr(0, equals) == key) {
                geometry[index] = std::stoi(line.substr(equals + 1));
            }
        }
    }
    return geometry;
}

void DrowselSession::click(int x, int y) {
    session.run({"xdotool", "mousemove", std::to_string(x), std::to_string(y), "click", "1"});
}

bool DrowselSession::waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    return XSession::waitUntil(condition, timeout, [] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); });
}

void DrowselSession::require(const std::function<bool()>& condition, const std::string& failure) const {
    if (!waitFor(condition)) {
        throw std::runtime_error(failure + "; the log:\n" + log());
    }
}

} // namespace drowsel::xtest
