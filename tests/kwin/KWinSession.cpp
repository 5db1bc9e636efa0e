#include "KWinSession.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

extern char** environ;

namespace drowsel::wltest {

namespace {

namespace fs = std::filesystem;

constexpr auto startupTimeout = std::chrono::seconds(30);
constexpr auto scriptTimeout = std::chrono::seconds(5);
const std::string socketName = "wayland-0";

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

std::string nameOf(const std::string& variable) { return variable.substr(0, variable.find('=')); }

// Entries of the second list replace those of the same name in the first.
std::vector<std::string> merged(std::vector<std::string> variables, const std::vector<std::string>& overrides) {
    for (const auto& variable : overrides) {
        std::erase_if(variables, [&](const std::string& old) { return nameOf(old) == nameOf(variable); });
        variables.push_back(variable);
    }
    return variables;
}

// Text for a JavaScript string literal.
std::string quoted(const std::string& text) {
    std::string result = "\"";
    for (const char letter : text) {
        if (letter == '"' || letter == '\\') {
            result += '\\';
        }
        result += letter;
    }
    return result + '"';
}

} // namespace

KWinSession::KWinSession(const Options& options) {
    try {
        prepareFolders();
        for (const auto& path : options.windowManagers) {
            allowWindowManagement(path);
        }
        startBus();
        startKWin();
    } catch (...) {
        stopAll();
        throw;
    }
}

KWinSession::~KWinSession() { stopAll(); }

// Clients first, then KWin (which takes XWayland down with it), then the bus.
void KWinSession::stopAll() {
    processes.stopAll();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

// The tests' own Qt platform (offscreen) is not the clients'.
std::vector<std::string> KWinSession::environment() const {
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (nameOf(*variable) != "QT_QPA_PLATFORM") {
            variables.emplace_back(*variable);
        }
    }
    return merged(std::move(variables), {"WAYLAND_DISPLAY=" + socketPath, "DISPLAY=" + xDisplay,
                                         "XDG_RUNTIME_DIR=" + clientRuntimeDir, "DBUS_SESSION_BUS_ADDRESS=" + bus});
}

pid_t KWinSession::start(const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment) {
    return processes.start(command, merged(environment(), extraEnvironment));
}

pid_t KWinSession::startFixture(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{DROWSEL_WAYLAND_FIXTURE_CLIENT};
    command.insert(command.end(), arguments.begin(), arguments.end());
    // In sanitizer builds Qt's Wayland plugin leaves memory behind at exit, which
    // would turn the fixture's exit status into a leak report.
    return start(command, {"QT_QPA_PLATFORM=wayland", "LSAN_OPTIONS=detect_leaks=0"});
}

KWinSession::CommandResult KWinSession::run(const std::vector<std::string>& command) const {
    return processes.run(command, environment());
}

// KWin looks the client's executable up among the installed applications and
// offers it the interfaces its entry names.
void KWinSession::allowWindowManagement(const std::string& executablePath) const {
    const auto id = "drowsel-test-" + std::to_string(std::hash<std::string>{}(executablePath));
    std::ofstream(folder + "/data/applications/" + id + ".desktop")
        << "[Desktop Entry]\nType=Application\nName=" << id << "\nNoDisplay=true\nExec=" << executablePath
        << "\nX-KDE-Wayland-Interfaces=org_kde_plasma_window_management\n";
}

// KWin lists a window to other clients before it is shown, and does not
// activate it until then: so the answer is whether the window became active.
bool KWinSession::activate(pid_t pid, const std::string& title) const {
    return evaluate("for (const window of workspace.clientList()) {\n"
                    "    if (window.pid == " +
                    std::to_string(pid) + " && (" + quoted(title) + " ? window.caption == " + quoted(title) +
                    " : !window.transient)) {\n"
                    "        workspace.activeClient = window;\n"
                    "        return workspace.activeClient == window ? 'activated' : 'refused';\n"
                    "    }\n"
                    "}\n"
                    "return 'none';") == "activated";
}

std::optional<pid_t> KWinSession::activeWindowPid() const {
    const auto pid = evaluate("return workspace.activeClient ? workspace.activeClient.pid : 'none';");
    if (pid == "none") {
        return std::nullopt;
    }
    return pid_t(std::stol(pid));
}

// The compositor runs as nobody when the tests run as root. Its files live in
// a fresh temporary folder it may read; its home and runtime folder are its own.
void KWinSession::prepareFolders() {
    char pattern[] = "/tmp/drowsel-kwin-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    folder = pattern;
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    for (const auto* name : {"/bin", "/data/applications", "/home", "/scripts", "/runtime", "/client-runtime"}) {
        fs::create_directories(folder + name);
    }
    kwinRuntimeDir = folder + "/runtime";
    clientRuntimeDir = folder + "/client-runtime";
    fs::permissions(kwinRuntimeDir, fs::perms::owner_all);
    fs::permissions(clientRuntimeDir, fs::perms::owner_all);
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (nobody == nullptr) {
            throw std::runtime_error("there is no user nobody");
        }
        compositorAccount = processes::ChildProcesses::Account{nobody->pw_uid, nobody->pw_gid};
        for (const auto& owned : {kwinRuntimeDir, folder + "/home"}) {
            if (chown(owned.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
                throw std::runtime_error("cannot hand " + owned + " to nobody");
            }
        }
    }
    socketPath = kwinRuntimeDir + "/" + socketName;
    kwinLog = folder + "/kwin.log";
    // The copy carries no file capability, which exec refuses in containers;
    // KWin's platform plugin insists on the name kwin_wayland.
    fs::copy_file("/usr/bin/kwin_wayland", folder + "/bin/kwin_wayland");
    writeBusConfiguration();
    writeDisplayAnnouncer();
}

// The session bus's usual rules, but with no service activation (a service the
// bus started would outlive the session) and open to the test's user.
void KWinSession::writeBusConfiguration() const {
    std::ofstream(folder + "/bus.conf")
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path="
        << kwinRuntimeDir
        << "/bus</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow user=\"*\"/>\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

// KWin starts this once XWayland is up, with DISPLAY set: it lets the test's
// user in (XWayland admits only its own user) and then names the display.
void KWinSession::writeDisplayAnnouncer() const {
    const passwd* testUser = getpwuid(getuid());
    const std::string user = testUser != nullptr ? testUser->pw_name : "root";
    const auto path = folder + "/announce-display";
    std::ofstream(path) << "#!/bin/sh\n"
                        << "xhost +si:localuser:" << user << " >/dev/null\n"
                        << "echo \"$DISPLAY\" > \"$XDG_RUNTIME_DIR/x11-display.new\" &&\n"
                        << "    mv \"$XDG_RUNTIME_DIR/x11-display.new\" \"$XDG_RUNTIME_DIR/x11-display\"\n";
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
}

void KWinSession::startBus() {
    const auto announced = processes.startAnnouncing(
        [this](int fd) {
            return asCompositorUser({"dbus-daemon", "--config-file=" + folder + "/bus.conf", "--nofork",
                                     "--print-address=" + std::to_string(fd)},
                                    false);
        },
        compositorEnvironment(), {}, std::chrono::seconds(10));
    if (announced.line.empty()) {
        throw std::runtime_error("the session bus did not start");
    }
    bus = announced.line;
}

void KWinSession::startKWin() {
    kwin = processes.start(asCompositorUser({folder + "/bin/kwin_wayland", "--virtual", "--no-lockscreen",
                                             "--no-global-shortcuts", "--socket", socketName, "--width", "1280",
                                             "--height", "800", "--xwayland", folder + "/announce-display"},
                                            true),
                           merged(compositorEnvironment(), {"DBUS_SESSION_BUS_ADDRESS=" + bus, "KWIN_COMPOSE=Q"}),
                           kwinLog);
    const auto displayFile = kwinRuntimeDir + "/x11-display";
    if (!waitUntil([&] { return fs::exists(displayFile) || !isRunning(kwin); }, startupTimeout) ||
        !fs::exists(displayFile)) {
        throw std::runtime_error("KWin did not start:\n" + readFile(kwinLog));
    }
    xDisplay = firstLine(readFile(displayFile));
}

// KWin grants the window list by the client's executable, read from
// /proc/PID/exe, which an unprivileged compositor cannot read for the test's
// root clients: so KWin keeps the one capability that allows it.
std::vector<std::string> KWinSession::asCompositorUser(std::vector<std::string> command, bool mayReadClients) const {
    if (!compositorAccount) {
        return command;
    }
    return processes::ChildProcesses::asUser(*compositorAccount, std::move(command),
                                             mayReadClients ? std::vector<std::string>{"sys_ptrace"}
                                                            : std::vector<std::string>{});
}

std::vector<std::string> KWinSession::compositorEnvironment() const {
    return {"PATH=/usr/bin:/bin", "HOME=" + folder + "/home", "XDG_RUNTIME_DIR=" + kwinRuntimeDir,
            "XDG_DATA_HOME=" + folder + "/data"};
}

// KWin prints what a script prints to its log, where the answer is read.
std::string KWinSession::evaluate(const std::string& functionBody) const {
    const auto name = "drowsel-test-script-" + std::to_string(++scriptCount);
    const auto path = folder + "/scripts/" + name + ".js";
    std::ofstream(path) << "print(" << quoted(name + " ") << " + (function() {\n" << functionBody << "\n})());\n";
    const auto reply =
        dbusCall("/Scripting", "org.kde.kwin.Scripting.loadScript", {"string:" + path, "string:" + name});
    const auto id = reply.find("int32 ");
    if (id == std::string::npos) {
        throw std::runtime_error("KWin did not load a script: " + reply);
    }
    dbusCall("/" + std::to_string(std::stoi(reply.substr(id + 6))), "org.kde.kwin.Script.run", {});
    const auto marker = "js: " + name + " ";
    std::string result;
    const bool printed = waitUntil(
        [&] {
            const auto log = readFile(kwinLog);
            const auto line = log.find(marker);
            result = line == std::string::npos ? "" : firstLine(log.substr(line + marker.size()));
            return line != std::string::npos;
        },
        scriptTimeout);
    dbusCall("/Scripting", "org.kde.kwin.Scripting.unloadScript", {"string:" + name});
    if (!printed) {
        throw std::runtime_error("KWin did not run a script");
    }
    return result;
}

std::string KWinSession::dbusCall(const std::string& path, const std::string& method,
                                  const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"dbus-send", "--session", "--print-reply", "--dest=org.kde.KWin", path, method};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command).output;
}

} // namespace drowsel::wltest
