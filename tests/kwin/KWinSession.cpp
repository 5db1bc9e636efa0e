// SPDX-License-Identifier: GPL-3.0-or-later
#include "KWinSession.h"

#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace drowsel::wltest {

namespace {

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Text for a JavaScript string literal.
std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (const char letter : text) {
        result += letter == '"' || letter == '\\' ? std::string{'\\', letter} : std::string{letter};
    }
    return result + '"';
}

} // namespace

// KWin grants the window list by the client's executable (/proc/PID/exe),
// whose file it hashes and finds among the desktop entries' Exec paths. As
// nobody it could neither read the test's root clients' /proc entries nor
// enter a build folder private to root (a fresh clone in a 0700 folder): so
// it keeps the two capabilities that allow exactly that.
KWinSession::KWinSession(const Options& options) : DisplaySession("kwin") {
    const auto runtimeDir = compositorFolder("runtime");
    fs::create_directories(path("data/applications"));
    for (const auto& program : options.windowManagers) {
        std::ofstream(
            path("data/applications/drowsel-test-" + std::to_string(std::hash<std::string>{}(program)) + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=Test\nNoDisplay=true\nExec=" << program
            << "\nX-KDE-Wayland-Interfaces=org_kde_plasma_window_management\n";
    }
    writeBusConfiguration(runtimeDir);
    writeDisplayAnnouncer();
    // The copy carries no file capability, which exec refuses in containers.
    fs::copy_file("/usr/bin/kwin_wayland", path("kwin_wayland"));
    // Windows titled "...Sentinel" mark that the test's events have arrived: they take no focus.
    const auto home = compositorFolder("home");
    fs::create_directories(home + "/.config");
    std::ofstream(home + "/.config/kwinrulesrc")
        << "[General]\ncount=1\nrules=1\n\n[1]\nDescription=sentinel\n"
        << "title=Sentinel\ntitlematch=2\nacceptfocus=false\nacceptfocusrule=2\n";
    const std::vector<std::string> compositorEnvironment{
        "PATH=/usr/bin:/bin", "HOME=" + home, "XDG_RUNTIME_DIR=" + runtimeDir, "XDG_DATA_HOME=" + path("data")};
    const auto busPid = processes.start(asCompositor({"sh", "-c",
                                                      "exec dbus-daemon --nofork --config-file=" + path("bus.conf") +
                                                          " --print-address=3 3>" + runtimeDir + "/bus"}),
                                        compositorEnvironment, path("bus.log"));
    const auto bus = "DBUS_SESSION_BUS_ADDRESS=" + firstLineOf(runtimeDir + "/bus", busPid, "bus.log");
    auto kwinEnvironment = compositorEnvironment;
    kwinEnvironment.insert(kwinEnvironment.end(), {bus, "KWIN_COMPOSE=Q"});
    kwin = processes.start(
        asCompositor({path("kwin_wayland"), "--virtual", "--no-lockscreen", "--no-global-shortcuts", "--socket",
                      "wayland-0", "--width", "1280", "--height", "800", "--xwayland", path("announce-display")},
                     {"sys_ptrace", "dac_read_search"}),
        kwinEnvironment, path("kwin.log"));
    xDisplay = firstLineOf(runtimeDir + "/x11-display", kwin, "kwin.log");
    socketPath = runtimeDir + "/wayland-0";
    const auto clientRuntimeDir = path("client-runtime");
    mkdir(clientRuntimeDir.c_str(), 0700);
    for (const auto& variable :
         {"WAYLAND_DISPLAY=" + socketPath, "DISPLAY=" + xDisplay, "XDG_RUNTIME_DIR=" + clientRuntimeDir, bus}) {
        const auto equals = variable.find('=');
        setVariable(variable.substr(0, equals), variable.substr(equals + 1));
    }
    setVariable("QT_QPA_PLATFORM", std::nullopt);
}

pid_t KWinSession::startFixture(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{DROWSEL_WAYLAND_FIXTURE_CLIENT};
    command.insert(command.end(), arguments.begin(), arguments.end());
    // Qt's Wayland plugin leaves allocations behind at exit: no leak check in sanitizer builds.
    return start(command, {"QT_QPA_PLATFORM=wayland", "LSAN_OPTIONS=detect_leaks=0"});
}

std::string KWinSession::forWindowsOf(pid_t pid, const std::string& caption, const std::string& body) const {
    return evaluate(
        "let answer = 'none';\nlet tally = 0;\nfor (const window of workspace.clientList()) {\n    if (window.pid == " +
        std::to_string(pid) + " && (!" + quoted(caption) + " || window.caption == " + quoted(caption) +
        ")) {\n        const result = (function() {\n" + body +
        "\n})();\n        answer = result === undefined ? answer : result;\n    }\n}\nreturn answer;");
}

// The session bus's usual rules, without service activation (a service the
// bus started would outlive the session) and open to the test's user.
void KWinSession::writeBusConfiguration(const std::string& runtimeDir) const {
    std::ofstream(path("bus.conf"))
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig><type>session</type><listen>unix:path="
        << runtimeDir
        << "/bus-socket</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/>"
           "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
           "</policy></busconfig>\n";
}

// KWin starts this once XWayland is up, with DISPLAY set: it lets the test's
// user in (XWayland admits only its own user) and then names the display.
void KWinSession::writeDisplayAnnouncer() const {
    const passwd* user = getpwuid(getuid());
    std::ofstream(path("announce-display"))
        << "#!/bin/sh\nxhost +si:localuser:" << (user != nullptr ? user->pw_name : "root") << " >/dev/null\n"
        << "echo \"$DISPLAY\" > \"$XDG_RUNTIME_DIR/x11-display.new\" &&\n"
        << "    mv \"$XDG_RUNTIME_DIR/x11-display.new\" \"$XDG_RUNTIME_DIR/x11-display\"\n";
    chmod(path("announce-display").c_str(), 0755);
}

// KWin prints what a script prints to its log, where the answer is read.
std::string KWinSession::evaluate(const std::string& functionBody) const {
    const auto name = "drowsel-test-script-" + std::to_string(++scriptCount);
    const auto script = path(name + ".js");
    std::ofstream(script) << "print(" << quoted(name + " ") << " + (function() {\n" << functionBody << "\n})());\n";
    const auto reply =
        dbusCall("/Scripting", "org.kde.kwin.Scripting.loadScript", {"string:" + script, "string:" + name});
    const auto id = reply.find("int32 ");
    if (id == std::string::npos) {
        throw std::runtime_error("KWin did not load a script: " + reply);
    }
    dbusCall("/" + std::to_string(std::stoi(reply.substr(id + 6))), "org.kde.kwin.Script.run", {});
    const auto marker = "js: " + name + " ";
    std::string result;
    const bool printed = waitUntil(
        [&] {
            const auto log = readFile(path("kwin.log"));
            const auto line = log.find(marker);
            result = line == std::string::npos ? "" : log.substr(line + marker.size());
            return line != std::string::npos;
        },
        startTimeout);
    dbusCall("/Scripting", "org.kde.kwin.Scripting.unloadScript", {"string:" + name});
    if (!printed) {
        throw std::runtime_error("KWin did not run a script");
    }
    return result.substr(0, result.find('\n'));
}

std::string KWinSession::dbusCall(const std::string& path, const std::string& method,
                                  const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"dbus-send", "--session", "--print-reply", "--dest=org.kde.KWin", path, method};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command).output;
}

} // namespace drowsel::wltest
