// SPDX-License-Identifier: GPL-3.0-or-later
#include "KWinSession.h"

#include <filesystem>
#include <fstream>
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
    const auto home = compositorFolder("home");
    fs::create_directories(path("data/applications"));
    for (const auto& program : options.windowManagers) {
        std::ofstream(
            path("data/applications/drowsel-test-" + std::to_string(std::hash<std::string>{}(program)) + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=Test\nExec=" << program
            << "\nX-KDE-Wayland-Interfaces=org_kde_plasma_window_management\n";
    }
    // Windows titled "...Sentinel" mark that the test's events have arrived: they take no focus.
    fs::create_directories(home + "/.config");
    std::ofstream(home + "/.config/kwinrulesrc") << "[General]\ncount=1\nrules=1\n[1]\ntitle=Sentinel\ntitlematch=2\n"
                                                 << "acceptfocus=false\nacceptfocusrule=2\n";
    // The session bus's usual rules, without service activation (a service the
    // bus started would outlive the session) and open to the test's user.
    std::ofstream(path("bus.conf"))
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        << " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig><type>session</type>"
        << "<listen>unix:path=" << runtimeDir << "/bus-socket</listen><auth>EXTERNAL</auth>"
        << "<policy context=\"default\"><allow user=\"*\"/><allow send_destination=\"*\" eavesdrop=\"true\"/>"
        << "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
    // The copy carries no file capability, which exec refuses in containers.
    fs::copy_file("/usr/bin/kwin_wayland", path("kwin_wayland"));
    std::vector<std::string> environment{"PATH=/usr/bin:/bin", "HOME=" + home, "XDG_RUNTIME_DIR=" + runtimeDir,
                                         "XDG_DATA_HOME=" + path("data"), "KWIN_COMPOSE=Q"};
    const auto bus = processes.start(asCompositor({"sh", "-c",
                                                   "exec dbus-daemon --nofork --config-file=" + path("bus.conf") +
                                                       " --print-address=3 3>" + runtimeDir + "/bus"}),
                                     environment, path("bus.log"));
    environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + firstLineOf(runtimeDir + "/bus", bus, "bus.log"));
    // Once XWayland is up, KWin runs this with DISPLAY set: it lets the test's
    // user in (XWayland admits only its own user) and then names the display.
    const auto announce = "sh -c 'xhost " + letUsIn() + " && echo $DISPLAY > " + runtimeDir + "/x11 && mv " +
                          runtimeDir + "/x11 " + runtimeDir + "/x11-display'";
    kwin = processes.start(
        asCompositor({path("kwin_wayland"), "--virtual", "--no-lockscreen", "--no-global-shortcuts", "--socket",
                      "wayland-0", "--width", "1280", "--height", "800", "--xwayland", announce},
                     "+sys_ptrace,+dac_read_search"),
        environment, path("kwin.log"));
    xDisplay = firstLineOf(runtimeDir + "/x11-display", kwin, "kwin.log");
    socketPath = runtimeDir + "/wayland-0";
    mkdir(path("client-runtime").c_str(), 0700);
    setVariable("WAYLAND_DISPLAY", socketPath);
    setVariable("DISPLAY", xDisplay);
    setVariable("XDG_RUNTIME_DIR", path("client-runtime"));
    setVariable("DBUS_SESSION_BUS_ADDRESS", environment.back().substr(environment.back().find('=') + 1));
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

// KWin prints what a script prints to its log, where the answer is read.
std::string KWinSession::evaluate(const std::string& functionBody) const {
    const auto name = "drowsel-test-script-" + std::to_string(++scriptCount);
    std::ofstream(path(name + ".js")) << "print(" << quoted(name + " ") << " + (function() {\n"
                                      << functionBody << "\n})());\n";
    const auto reply =
        dbusCall("/Scripting", "org.kde.kwin.Scripting.loadScript", {"string:" + path(name + ".js"), "string:" + name});
    const auto id = reply.find("int32 ");
    if (id == std::string::npos) {
        throw std::runtime_error("KWin did not load a script: " + reply);
    }
    dbusCall("/" + std::to_string(std::stoi(reply.substr(id + 6))), "org.kde.kwin.Script.run", {});
    const auto marker = "js: " + name + " ";
    const auto answered = [&] { return readFile(path("kwin.log")).find(marker) != std::string::npos; };
    const bool printed = waitUntil(answered, startTimeout);
    dbusCall("/Scripting", "org.kde.kwin.Scripting.unloadScript", {"string:" + name});
    if (!printed) {
        throw std::runtime_error("KWin did not run a script");
    }
    const auto log = readFile(path("kwin.log"));
    const auto answer = log.substr(log.find(marker) + marker.size());
    return answer.substr(0, answer.find('\n'));
}

std::string KWinSession::dbusCall(const std::string& object, const std::string& method,
                                  const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"dbus-send", "--session", "--print-reply", "--dest=org.kde.KWin", object, method};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command).output;
}

} // namespace drowsel::wltest
