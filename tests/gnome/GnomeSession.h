// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplaySession.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace drowsel::gnometest {

// The extensions a GnomeSession enables.
struct ShellExtensions {
    bool drowsel = true;
    bool appIndicator = false;
    // Lets the test run JavaScript in the shell (GnomeSession::eval).
    bool unsafeMode = false;
};

// A private headless GNOME Shell on Wayland with XWayland, on a session bus
// and a system bus of its own (logind and GDM mocked by python3-dbusmock),
// the chosen extensions enabled before it starts; and the clients a test
// starts in it. The shell, its buses and its clients all run as the test's
// user: the shell's files and sockets need no sharing then.
class GnomeSession : public processes::DisplaySession {
public:
    static constexpr auto drowselUuid = "drowsel@drowsel.com";
    static constexpr auto appIndicatorUuid = "ubuntu-appindicators@ubuntu.com";
    static constexpr auto unsafeModeUuid = "unsafe-mode@drowsel.test";
    static constexpr auto drowselBusName = "com.drowsel.Drowsel.Shell";
    static constexpr auto readyTimeout = std::chrono::seconds(90);

    // Throws std::runtime_error, with the end of the shell's log, when the
    // buses or the shell do not come up or an extension is not enabled in time.
    explicit GnomeSession(const ShellExtensions& extensions = {}) : DisplaySession("gnome") {
        runtimeDir = path("runtime");
        std::filesystem::create_directories(path("home/.local/share/gnome-shell/extensions"));
        mkdir(runtimeDir.c_str(), 0700);
        // XWayland wants its socket folder root's and open to all.
        if (mkdir("/tmp/.X11-unix", 0) == 0) {
            chmod("/tmp/.X11-unix", 01777);
        }
        setVariable("HOME", path("home"));
        setVariable("XDG_RUNTIME_DIR", runtimeDir);
        setVariable("XDG_CONFIG_HOME", path("home/.config"));
        setVariable("XDG_DATA_HOME", path("home/.local/share"));
        setVariable("XDG_SESSION_TYPE", "wayland");
        setVariable("XDG_CURRENT_DESKTOP", "GNOME");
        // No dconf service on a private bus: settings live in a key file the shell watches.
        setVariable("GSETTINGS_BACKEND", "keyfile");
        for (const auto* name : {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM"}) {
            setVariable(name, std::nullopt);
        }
        startBuses();
        installExtensions(extensions);
        const auto started = std::chrono::steady_clock::now();
        server = logged({"gnome-shell", "--headless", "--wayland", "--virtual-monitor", "1280x800"});
        const auto ready = [&] { return allEnabled(extensions); };
        if (!waitUntil([&] { return ready() || !isRunning(server); }, readyTimeout, pollPause) || !ready()) {
            fail("the shell's extensions were not enabled", "shell.log");
        }
        startup = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        findDisplays();
    }

    // From starting the shell to every chosen extension enabled (and our bus name owned).
    std::chrono::milliseconds startupTime() const { return startup; }

    // Runs JavaScript in the shell (needs ShellExtensions::unsafeMode): the value
    // of its last expression as JSON text; throws with the shell's answer when it fails.
    std::string eval(const std::string& script) const {
        const auto reply =
            call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Eval", {quotedForGVariant(script)});
        if (!reply.starts_with("(true, ")) {
            throw std::runtime_error("the shell did not run the script: " + reply);
        }
        return unquoteGVariant(reply.substr(7, reply.size() - 8));
    }
    // Enables or disables an extension through the shell; true when the shell agreed.
    bool setExtensionEnabled(const std::string& uuid, bool enabled) const {
        return call("org.gnome.Shell", "/org/gnome/Shell",
                    std::string("org.gnome.Shell.Extensions.") + (enabled ? "Enable" : "Disable") + "Extension",
                    {uuid}) == "(true,)";
    }
    // The extension's state as the shell tells it (1 enabled, 2 disabled, 3 error, ...); 0 when unknown.
    int extensionState(const std::string& uuid) const {
        std::smatch state;
        const auto info =
            call("org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell.Extensions.GetExtensionInfo", {uuid});
        return std::regex_search(info, state, std::regex("'state': <([0-9]+)")) ? std::stoi(state[1]) : 0;
    }
    bool hasBusName(const std::string& name, const char* bus = "--session") const {
        return run({"gdbus", "call", bus, "--dest", "org.freedesktop.DBus", "--object-path", "/org/freedesktop/DBus",
                    "--method", "org.freedesktop.DBus.NameHasOwner", name})
            .output.starts_with("(true,)");
    }
    // A D-Bus method call on the session bus with gdbus (arguments in GVariant
    // text): its reply as gdbus prints it, or its error.
    std::string call(const std::string& destination, const std::string& object, const std::string& method,
                     const std::vector<std::string>& arguments) const {
        // Through sh for gdbus's errors, which it prints on stderr.
        std::vector<std::string> command{
            "sh",     "-c",        "exec \"$0\" \"$@\" 2>&1", "gdbus", "call",     "--session",
            "--dest", destination, "--object-path",           object,  "--method", method};
        command.insert(command.end(), arguments.begin(), arguments.end());
        auto reply = run(command).output;
        while (!reply.empty() && reply.back() == '\n') {
            reply.pop_back();
        }
        return reply;
    }
    const std::string& busAddress() const { return sessionBus; }
    std::string logText() const { return readFile(path("shell.log")); }

private:
    static void pollPause() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }
    // Starts a program of the session with its output in the shell's log.
    pid_t logged(const std::vector<std::string>& command) {
        return ChildProcesses::start(command, environment(), path("shell.log"));
    }
    void startBuses() {
        for (const auto* type : {"session", "system"}) {
            std::ofstream(path(std::string(type) + ".conf"))
                << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                << " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig><type>" << type
                << "</type><listen>unix:path=" << path(std::string(type) + "-bus")
                << "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/>"
                << "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                << "</policy></busconfig>\n";
            const auto bus = logged({"dbus-daemon", "--nofork", "--config-file=" + path(std::string(type) + ".conf")});
            const auto socket = path(std::string(type) + "-bus");
            awaitReady([&] { return std::filesystem::exists(socket); }, bus, std::string("no ") + type + " bus",
                       "shell.log");
        }
        sessionBus = "unix:path=" + path("session-bus");
        setVariable("DBUS_SESSION_BUS_ADDRESS", sessionBus);
        setVariable("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + path("system-bus"));
        const auto logind = logged({"/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind"});
        awaitReady([&] { return hasBusName("org.freedesktop.login1", "--system"); }, logind, "no logind", "shell.log");
        const auto manager = "/org/gnome/DisplayManager/Manager";
        const auto gdm = logged({"/usr/bin/python3", "-m", "dbusmock", "--system", "org.gnome.DisplayManager", manager,
                                 "org.gnome.DisplayManager.Manager"});
        awaitReady([&] { return hasBusName("org.gnome.DisplayManager", "--system"); }, gdm, "no display manager",
                   "shell.log");
        run({"gdbus", "call", "--system", "--dest", "org.gnome.DisplayManager", "--object-path", manager, "--method",
             "org.freedesktop.DBus.Mock.AddProperty", "org.gnome.DisplayManager.Manager", "Version", "<'43.0'>"});
    }
    // Ours and the test helper are copied in; AppIndicator is installed system-wide.
    void installExtensions(const ShellExtensions& extensions) {
        const std::filesystem::path installed = path("home/.local/share/gnome-shell/extensions");
        std::string enabled;
        const auto enable = [&](const std::string& uuid, const std::string& source) {
            if (!source.empty()) {
                std::filesystem::copy(source, installed / uuid, std::filesystem::copy_options::recursive);
            }
            enabled += (enabled.empty() ? "'" : ", '") + uuid + "'";
        };
        if (extensions.drowsel) {
            enable(drowselUuid, DROWSEL_SHELL_EXTENSION_DIR);
        }
        if (extensions.appIndicator) {
            enable(appIndicatorUuid, {});
        }
        if (extensions.unsafeMode) {
            enable(unsafeModeUuid, DROWSEL_UNSAFE_MODE_EXTENSION_DIR);
        }
        run({"gsettings", "set", "org.gnome.shell", "enabled-extensions", "[" + enabled + "]"});
        // Left behind by a shell that did not end cleanly, it keeps extensions off.
        std::filesystem::remove(runtimeDir + "/gnome-shell-disable-extensions");
    }
    bool allEnabled(const ShellExtensions& extensions) const {
        constexpr int enabled = 1;
        return (!extensions.drowsel || (extensionState(drowselUuid) == enabled && hasBusName(drowselBusName))) &&
               (!extensions.appIndicator || extensionState(appIndicatorUuid) == enabled) &&
               (!extensions.unsafeMode || extensionState(unsafeModeUuid) == enabled);
    }
    // Mutter names XWayland's display in its log and keeps its cookie in the runtime folder.
    void findDisplays() {
        std::smatch display;
        const auto log = logText();
        if (!std::regex_search(log, display, std::regex("Using public X11 display (:[0-9]+)"))) {
            fail("no X11 display", "shell.log");
        }
        xDisplay = display[1];
        setVariable("DISPLAY", xDisplay);
        for (const auto& entry : std::filesystem::directory_iterator(runtimeDir)) {
            if (entry.path().filename().string().starts_with(".mutter-Xwaylandauth")) {
                setVariable("XAUTHORITY", entry.path().string());
            }
        }
        waylandSocket = runtimeDir + "/wayland-0";
        setVariable("WAYLAND_DISPLAY", waylandSocket);
    }
    static std::string quotedForGVariant(const std::string& text) {
        std::string quoted = "'";
        for (const char letter : text) {
            quoted += letter == '\'' || letter == '\\' ? std::string{'\\', letter} : std::string{letter};
        }
        return quoted + "'";
    }
    static std::string unquoteGVariant(const std::string& text) {
        std::string plain;
        for (std::size_t index = 1; index + 1 < text.size(); ++index) {
            plain += text[index] == '\\' ? text[++index] : text[index];
        }
        return plain;
    }

    std::string runtimeDir;
    std::string sessionBus;
    std::chrono::milliseconds startup{};
};

} // namespace drowsel::gnometest
