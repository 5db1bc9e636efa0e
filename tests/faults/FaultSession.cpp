#include "FaultSession.h"

#include <QFile>

#include <cstdlib>
#include <stdexcept>

namespace drowsel::xtest {

namespace {

using namespace std::chrono_literals;

// The panel's width (its rows' width and insets), how it is told from the icon.
constexpr int panelWidth = 310;
// From the panel's corner to the middle of the first row's checkbox.
constexpr int switchX = 5 + 10 + 8;
constexpr int switchY = 5 + 5 + 14;

} // namespace

FaultSession::FaultSession()
    : configHome(std::getenv("XDG_CONFIG_HOME")), logPath(logFolder.filePath("log").toStdString()) {
    QFile(QString::fromStdString(logPath)).open(QIODevice::WriteOnly);
}

void FaultSession::startTray() {
    x().start({"tint2"});
    if (!XSession::waitUntil([&] { return !session.windowsOfClass("Tint2").empty(); })) {
        throw std::runtime_error("tint2 did not start");
    }
}

pid_t FaultSession::startDrowsel(const std::string& setup, const std::vector<std::string>& wrapper) {
    std::vector<std::string> command = wrapper;
    const std::string script = setup + "\nXDG_CONFIG_HOME=\"$1\" DROWSEL_DEBUG=1 exec \"$2\" 2>>\"$3\"";
    command.insert(command.end(), {"sh", "-c", script, "sh", configHome, DROWSEL_BINARY, logPath});
    return x().start(command);
}

pid_t FaultSession::startClient(const std::string& className, const std::vector<std::string>& options) {
    std::vector<std::string> command{DROWSEL_FIXTURE_CLIENT, "--class", className, className, "--log", logPath};
    command.insert(command.end(), options.begin(), options.end());
    const pid_t client = x().start(command);
    if (!XSession::waitUntil([&] { return !session.windowsOfClass(className).empty(); })) {
        throw std::runtime_error(className + " shows no window");
    }
    return client;
}

void FaultSession::activate(const std::string& className) {
    x().run({"xdotool", "windowactivate", "--sync", session.windowsOfClass(className).front()});
}

void FaultSession::waitForTrayIcon(pid_t drowsel) {
    if (!XSession::waitUntil([&] { return !session.windowsOf(drowsel).empty(); }, 10s)) {
        throw std::runtime_error("Drowsel shows no tray icon");
    }
}

FaultSession::Geometry FaultSession::openPanel(pid_t drowsel) {
    waitForTrayIcon(drowsel);
    const auto icon = session.geometryOf(session.windowsOf(drowsel).front());
    session.click(icon[0] + icon[2] / 2, icon[1] + icon[3] / 2);
    std::optional<Geometry> panel;
    if (!XSession::waitUntil([&] { return (panel = panelOf(drowsel)).has_value(); })) {
        throw std::runtime_error("the panel did not open");
    }
    return *panel;
}

std::optional<FaultSession::Geometry> FaultSession::panelOf(pid_t drowsel) {
    for (const auto& window : session.windowsOf(drowsel)) {
        if (const auto geometry = session.geometryOf(window); geometry[2] == panelWidth) {
            return geometry;
        }
    }
    return std::nullopt;
}

void FaultSession::clickFirstSwitch(const Geometry& panel) { session.click(panel[0] + switchX, panel[1] + switchY); }

std::string FaultSession::log() const {
    QFile file(QString::fromStdString(logPath));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

std::size_t FaultSession::countInLog(const std::string& text) const {
    const std::string all = log();
    std::size_t count = 0;
    for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + text.size())) {
        ++count;
    }
    return count;
}

bool FaultSession::waitForLog(const std::string& text, std::size_t count, std::chrono::milliseconds timeout) const {
    return XSession::waitUntil([&] { return countInLog(text) >= count; }, timeout);
}

} // namespace drowsel::xtest
