#include "DesktopSession.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace drowsel::xtest {

namespace {

using namespace std::chrono_literals;

// Two clicks on a tray icon closer than this make a double click.
constexpr auto trayClickGap = 600ms;
constexpr auto startTimeout = 10s;

std::array<int, 2> middleOf(const std::array<int, 4>& box) { return {box[0] + box[2] / 2, box[1] + box[3] / 2}; }

} // namespace

DesktopSession::DesktopSession() : DrowselSession(DROWSEL_BINARY) {
    startSessionBus();
    startAccessibilityBus();
    startTray();
    // Qt exposes its widgets only when asked or told to.
    setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
    // The tests find controls by their texts as written, whatever the developer's language.
    setenv("LC_ALL", "C.UTF-8", 1);
    unsetenv("LANGUAGE");
    reader = std::make_unique<AccessibilityReader>(DROWSEL_ACCESSIBILITY_READER);
}

// A bus of the test's own, at an address chosen here, so that nothing needs
// to be read back from the daemon and it is stopped by PID like the rest.
void DesktopSession::startSessionBus() {
    const QString socket = busFolder.filePath("bus");
    x().start({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket.toStdString()});
    if (!XSession::waitUntil([&] { return QFileInfo::exists(socket); }, startTimeout)) {
        throw std::runtime_error("the session bus did not start");
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + socket).toLocal8Bit().constData(), 1);
}

// Applications look the accessibility bus up on the session bus when they
// start: it must be there before Drowsel.
void DesktopSession::startAccessibilityBus() {
    x().start({"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"});
    const auto isUp = [&] {
        return x().run({"dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                        "org.a11y.Bus.GetAddress"})
                   .exitCode == 0;
    };
    if (!XSession::waitUntil(isUp, startTimeout)) {
        throw std::runtime_error("the accessibility bus did not start");
    }
}

void DesktopSession::startTray() {
    x().start({"tint2"});
    if (!XSession::waitUntil([&] { return !windowsOfClass("Tint2").empty(); }, startTimeout)) {
        throw std::runtime_error("tint2 did not start");
    }
}

pid_t DesktopSession::launchDrowsel() {
    drowselPid = startDrowsel();
    if (!XSession::waitUntil([&] { return !windowsOf(drowselPid).empty(); }, startTimeout)) {
        throw std::runtime_error("Drowsel shows no tray icon");
    }
    return drowselPid;
}

std::array<int, 4> DesktopSession::trayIcon() {
    // While the panel is closed the icon is Drowsel's only window on screen.
    const auto windows = windowsOf(drowselPid);
    std::array<int, 4> smallest{0, 0, 1 << 16, 1 << 16};
    for (const auto& window : windows) {
        const auto geometry = geometryOf(window);
        if (geometry[2] < smallest[2]) {
            smallest = geometry;
        }
    }
    return smallest;
}

bool DesktopSession::openPanel() {
    std::this_thread::sleep_until(lastTrayClick + trayClickGap);
    const auto [x, y] = middleOf(trayIcon());
    click(x, y);
    lastTrayClick = std::chrono::steady_clock::now();
    return waitUntil([&] { return shownWindow("Drowsel").has_value(); });
}

bool DesktopSession::closePanel() {
    click(5, 5);
    return waitUntil([&] { return !shownWindow("Drowsel"); });
}

std::vector<DesktopSession::Row> DesktopSession::panelRows() {
    const auto panel = shownWindow("Drowsel");
    return panel ? panel->rows : std::vector<Row>();
}

std::optional<DesktopSession::Row> DesktopSession::panelRow(const std::string& name) {
    const auto rows = panelRows();
    const auto row = std::ranges::find(rows, name, &Row::name);
    return row != rows.end() ? std::optional(*row) : std::nullopt;
}

std::optional<DesktopSession::Window> DesktopSession::shownWindow(const std::string& name) {
    const auto windows = reader->windowsOf(drowselPid);
    const auto window = std::ranges::find(windows, name, &Window::name);
    return window != windows.end() ? std::optional(*window) : std::nullopt;
}

std::optional<DesktopSession::Control> DesktopSession::control(const std::string& name) {
    for (const auto& window : reader->windowsOf(drowselPid)) {
        const auto found = std::ranges::find(window.controls, name, &Control::name);
        if (found != window.controls.end() && found->isShowing) {
            return *found;
        }
    }
    return std::nullopt;
}

bool DesktopSession::press(const std::string& name) {
    const auto found = control(name);
    if (!found) {
        return false;
    }
    const auto [x, y] = middleOf(found->extents);
    click(x, y);
    return true;
}

bool DesktopSession::stepUp(const std::string& name) {
    const auto found = control(name);
    if (!found) {
        return false;
    }
    // The arrows sit at the trailing end, the upper one in the top half.
    const auto& [x, y, width, height] = found->extents;
    click(x + width - 6, y + height / 4);
    return true;
}

bool DesktopSession::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    return XSession::waitUntil(condition, timeout, [] { std::this_thread::sleep_for(50ms); });
}

// DrowselSession points XDG_CONFIG_HOME at a folder of the test's own.
QString DesktopSession::settingsPath() const {
    return QString::fromLocal8Bit(std::getenv("XDG_CONFIG_HOME")) + "/Drowsel/Drowsel.conf";
}

QString DesktopSession::autostartFile() const {
    return QString::fromLocal8Bit(std::getenv("XDG_CONFIG_HOME")) + "/autostart/com.drowsel.Drowsel.desktop";
}

} // namespace drowsel::xtest
