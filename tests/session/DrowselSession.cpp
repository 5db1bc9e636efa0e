#include "DrowselSession.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace drowsel::xtest {

DrowselSession::DrowselSession(std::string drowselBinary) : drowselBinary(std::move(drowselBinary)) {
    // Children inherit it: Drowsel reads and writes only this folder.
    setenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit().constData(), 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

void DrowselSession::writeSettings(const QByteArray& generalSection) {
    QDir(configHome.path()).mkpath("Drowsel");
    QFile file(configHome.filePath("Drowsel/Drowsel.conf"));
    if (!file.open(QIODevice::WriteOnly) || file.write("[General]\n" + generalSection) < 0) {
        throw std::runtime_error("cannot write the settings file");
    }
}

QByteArray DrowselSession::settingsFile() const {
    QFile file(configHome.filePath("Drowsel/Drowsel.conf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

pid_t DrowselSession::startDrowsel() { return session.start({drowselBinary}); }

std::vector<std::string> DrowselSession::windowsOf(pid_t pid) { return windowsFound({"--pid", std::to_string(pid)}); }

std::vector<std::string> DrowselSession::windowsOfClass(const std::string& windowClass) {
    return windowsFound({"--class", "^" + windowClass + "$"});
}

std::vector<std::string> DrowselSession::windowsFound(const std::vector<std::string>& criteria) {
    std::vector<std::string> command{"xdotool", "search", "--onlyvisible"};
    command.insert(command.end(), criteria.begin(), criteria.end());
    std::istringstream lines(session.run(command).output);
    std::vector<std::string> windows;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) {
            windows.push_back(line);
        }
    }
    return windows;
}

std::array<int, 4> DrowselSession::geometryOf(const std::string& window) {
    std::istringstream lines(session.run({"xdotool", "getwindowgeometry", "--shell", window}).output);
    std::array<int, 4> geometry{};
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const int value = equals == std::string::npos ? 0 : std::atoi(line.c_str() + equals + 1);
        for (const auto& [name, index] : {std::pair{"X", 0}, {"Y", 1}, {"WIDTH", 2}, {"HEIGHT", 3}}) {
            if (key == name) {
                geometry[index] = value;
            }
        }
    }
    return geometry;
}

void DrowselSession::click(int x, int y) {
    session.run({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"});
}

void DrowselSession::screenshot(const std::string& name) {
    QDir().mkpath(DROWSEL_SCREENSHOT_DIR);
    session.run({DROWSEL_SCREENGRAB, std::string(DROWSEL_SCREENSHOT_DIR) + "/" + name + ".png"});
}

} // namespace drowsel::xtest
