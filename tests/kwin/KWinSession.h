// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplaySession.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace drowsel::wltest {

// A private KDE Plasma compositor: KWin on a virtual output with XWayland, on
// a session bus of its own, run as nobody when the tests run as root; and the
// clients a test starts in it (as the test's own user).
class KWinSession : public processes::DisplaySession {
public:
    // windowManagers: absolute paths of the programs KWin offers its window
    // list and window controls to (org_kde_plasma_window_management), by
    // desktop entries installed before it starts.
    // Throws std::runtime_error when the bus, KWin or XWayland does not come up.
    // KWin grants the window list by the client's executable (/proc/PID/exe),
    // whose file it hashes and finds among the desktop entries' Exec paths. As
    // nobody it could neither read the test's root clients' /proc entries nor
    // enter a build folder private to root (a fresh clone in a 0700 folder): so
    // it keeps the two capabilities that allow exactly that.
    explicit KWinSession(const std::vector<std::string>& windowManagers = {}) : DisplaySession("kwin") {
        const auto runtimeDir = compositorFolder("runtime");
        const auto home = compositorFolder("home");
        std::filesystem::create_directories(path("data/applications"));
        for (const auto& program : windowManagers) {
            std::ofstream(path("data/applications/drowsel-test-" + std::to_string(std::hash<std::string>{}(program)) +
                               ".desktop"))
                << "[Desktop Entry]\nType=Application\nName=Test\nExec=" << program
                << "\nX-KDE-Wayland-Interfaces=org_kde_plasma_window_management\n";
        }
        // Windows titled "...Sentinel" mark that the test's events have arrived: they take no focus.
        std::filesystem::create_directories(home + "/.config");
        std::ofstream(home + "/.config/kwinrulesrc")
            << "[General]\ncount=1\nrules=1\n[1]\ntitle=Sentinel\ntitlematch=2\n"
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
        std::filesystem::copy_file("/usr/bin/kwin_wayland", path("kwin_wayland"));
        std::vector<std::string> environment{"PATH=/usr/bin:/bin", "HOME=" + home, "XDG_RUNTIME_DIR=" + runtimeDir,
                                             "XDG_DATA_HOME=" + path("data"), "KWIN_COMPOSE=Q"};
        const auto bus =
            ChildProcesses::start(asCompositor({"sh", "-c",
                                                "exec dbus-daemon --nofork --config-file=" + path("bus.conf") +
                                                    " --print-address=3 3>" + runtimeDir + "/bus"}),
                                  environment, path("bus.log"));
        environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + firstLineOf(runtimeDir + "/bus", bus, "bus.log"));
        // Once XWayland is up, KWin runs this with DISPLAY set: it lets the test's
        // user in (XWayland admits only its own user) and then names the display.
        const auto announce = "sh -c 'xhost " + letUsIn() + " && echo $DISPLAY > " + runtimeDir + "/x11 && mv " +
                              runtimeDir + "/x11 " + runtimeDir + "/x11-display'";
        server = ChildProcesses::start(
            asCompositor({path("kwin_wayland"), "--virtual", "--no-lockscreen", "--no-global-shortcuts", "--socket",
                          "wayland-0", "--width", "1280", "--height", "800", "--xwayland", announce},
                         "+sys_ptrace,+dac_read_search"),
            environment, path("kwin.log"));
        xDisplay = firstLineOf(runtimeDir + "/x11-display", server, "kwin.log");
        waylandSocket = runtimeDir + "/wayland-0";
        mkdir(path("client-runtime").c_str(), 0700);
        setVariable("WAYLAND_DISPLAY", waylandSocket);
        setVariable("DISPLAY", xDisplay);
        setVariable("XDG_RUNTIME_DIR", path("client-runtime"));
        setVariable("DBUS_SESSION_BUS_ADDRESS", environment.back().substr(environment.back().find('=') + 1));
        setVariable("QT_QPA_PLATFORM", std::nullopt);
    }

    // Runs a function body as a KWin script with `window`, in turn, each
    // window of the process (with that caption when one is given): the last
    // answer it returned, as text; "none" when it returned none. The body may
    // count in `tally`, from 0.
    std::string forWindowsOf(pid_t pid, const std::string& caption, const std::string& body) const {
        return evaluate("let answer = 'none';\nlet tally = 0;\nfor (const window of workspace.clientList()) {\n    if "
                        "(window.pid == " +
                        std::to_string(pid) + " && (!" + quoted(caption) + " || window.caption == " + quoted(caption) +
                        ")) {\n        const result = (function() {\n" + body +
                        "\n})();\n        answer = result === undefined ? answer : result;\n    }\n}\nreturn answer;");
    }

private:
    // Text for a JavaScript string literal.
    static std::string quoted(const std::string& text) {
        std::string result = "\"";
        for (const char letter : text) {
            result += letter == '"' || letter == '\\' ? std::string{'\\', letter} : std::string{letter};
        }
        return result + '"';
    }

    // KWin prints what a script prints to its log, where the answer is read.
    std::string evaluate(const std::string& functionBody) const {
        const auto name = "drowsel-test-script-" + std::to_string(++scriptCount);
        std::ofstream(path(name + ".js")) << "print(" << quoted(name + " ") << " + (function() {\n"
                                          << functionBody << "\n})());\n";
        const auto reply = dbusCall("/Scripting", "org.kde.kwin.Scripting.loadScript",
                                    {"string:" + path(name + ".js"), "string:" + name});
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

    std::string dbusCall(const std::string& object, const std::string& method,
                         const std::vector<std::string>& arguments) const {
        std::vector<std::string> command{"dbus-send",           "--session", "--print-reply",
                                         "--dest=org.kde.KWin", object,      method};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return run(command).output;
    }

    mutable int scriptCount = 0;
};

} // namespace drowsel::wltest
