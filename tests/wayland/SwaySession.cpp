#include "SwaySession.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace drowsel::wltest {

namespace {

constexpr auto startTimeout = std::chrono::seconds(10);
constexpr std::uint64_t seatHasPointer = 1; // wl_seat capability bit

// The variables that tie a client to a desktop; the session sets its own.
const char* const sessionVariables[] = {
    "WAYLAND_DISPLAY",         "WAYLAND_SOCKET", "DISPLAY", "XAUTHORITY",          "XDG_RUNTIME_DIR",
    "XDG_SESSION_TYPE",        "SWAYSOCK",       "I3SOCK",  "XDG_CURRENT_DESKTOP", "QT_QPA_PLATFORM",
    "DBUS_SESSION_BUS_ADDRESS"};

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream file(path);
    file << text;
    if (!file.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
    chmod(path.c_str(), 0644);
}

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void makeFolder(const std::string& path, uid_t owner, gid_t group) {
    if (mkdir(path.c_str(), 0700) != 0 || chown(path.c_str(), owner, group) != 0) {
        throw std::runtime_error("cannot create " + path);
    }
}

std::string socketIn(const std::string& folder, const std::string& prefix) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_socket(error) && entry.path().filename().string().starts_with(prefix)) {
            return entry.path();
        }
    }
    return {};
}

// sway matches criteria as regular expressions, unanchored.
std::string exactPattern(const std::string& text) {
    std::string pattern = "^";
    for (const char letter : text) {
        if (letter == '"') {
            pattern += "\\x22";
        } else {
            if (std::string_view("\\^$.|?*+()[]{}").find(letter) != std::string_view::npos) {
                pattern += '\\';
            }
            pattern += letter;
        }
    }
    return pattern + "$";
}

std::string textOf(const nlohmann::json& node, const char* key) {
    const auto value = node.find(key);
    return value != node.end() && value->is_string() ? value->get<std::string>() : std::string();
}

SwaySession::Toplevel toplevelOf(const nlohmann::json& node) {
    SwaySession::Toplevel toplevel;
    toplevel.appId = textOf(node, "app_id");
    toplevel.title = textOf(node, "name");
    toplevel.shell = textOf(node, "shell");
    if (const auto properties = node.find("window_properties"); properties != node.end()) {
        toplevel.x11Class = textOf(*properties, "class");
    }
    toplevel.pid = node.value("pid", -1);
    toplevel.focused = node.value("focused", false);
    const auto& rect = node.at("rect");
    toplevel.rect = {rect.value("x", 0), rect.value("y", 0), rect.value("width", 0), rect.value("height", 0)};
    return toplevel;
}

void collectToplevels(const nlohmann::json& node, std::vector<SwaySession::Toplevel>& toplevels) {
    if (node.contains("shell")) {
        toplevels.push_back(toplevelOf(node));
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const auto& child : node.value(children, nlohmann::json::array())) {
            collectToplevels(child, toplevels);
        }
    }
}

std::string userName(uid_t uid) {
    const passwd* user = getpwuid(uid);
    return user != nullptr ? user->pw_name : std::to_string(uid);
}

} // namespace

SwaySession::SwaySession() : SwaySession(Options{}) {}

SwaySession::SwaySession(Options options) : options(options) {
    try {
        createFolders();
        startSway();
        waitForSway();
        holdPointer();
        if (options.xwayland) {
            openXWayland();
        }
        if (options.trayBar) {
            startTrayBar();
        }
    } catch (...) {
        processes.stopAll();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        throw;
    }
}

SwaySession::~SwaySession() {
    processes.stopAll();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// sway refuses to run as root: then it runs as nobody, in a runtime folder of
// its own; the clients keep one of theirs.
void SwaySession::createFolders() {
    char name[] = "/tmp/drowsel-sway-XXXXXX";
    if (mkdtemp(name) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    folder = name;
    chmod(name, 0755);
    swayUid = geteuid();
    swayGid = getegid();
    if (swayUid == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (nobody == nullptr) {
            throw std::runtime_error("no user nobody to run sway as");
        }
        swayUid = nobody->pw_uid;
        swayGid = nobody->pw_gid;
    }
    swayRuntimeDir = path("sway-runtime");
    clientRuntimeDir = path("runtime");
    makeFolder(swayRuntimeDir, swayUid, swayGid);
    makeFolder(path("home"), swayUid, swayGid);
    makeFolder(clientRuntimeDir, geteuid(), getegid());
    writeFile(path("config"), "output HEADLESS-1 resolution " + std::to_string(outputWidth) + "x" +
                                  std::to_string(outputHeight) + "\nxwayland " +
                                  (options.xwayland ? "enable" : "disable") + "\nfocus_follows_mouse no\n");
}

std::vector<std::string> SwaySession::asCompositorUser(std::vector<std::string> command) const {
    if (swayUid == geteuid()) {
        return command;
    }
    return ChildProcesses::asUser({swayUid, swayGid}, std::move(command));
}

std::vector<std::string> SwaySession::compositorEnvironment() const {
    const char* searchPath = std::getenv("PATH");
    return {"PATH=" + std::string(searchPath != nullptr ? searchPath : "/usr/bin:/bin"),
            "HOME=" + path("home"),
            "XDG_RUNTIME_DIR=" + swayRuntimeDir,
            "WLR_BACKENDS=headless",
            "WLR_LIBINPUT_NO_DEVICES=1",
            "WLR_RENDERER=pixman"};
}

void SwaySession::startSway() {
    swayPid =
        processes.start(asCompositorUser({"sway", "-c", path("config")}), compositorEnvironment(), path("sway.log"));
}

void SwaySession::waitForSway() {
    const auto answers = [this] {
        waylandSocket = socketIn(swayRuntimeDir, "wayland-");
        ipcSocket = socketIn(swayRuntimeDir, "sway-ipc.");
        return !waylandSocket.empty() && !ipcSocket.empty() && swaymsg({"-t", "get_version"}).exitCode == 0;
    };
    if (!waitUntil([&] { return !processes.isRunning(swayPid) || answers(); }, startTimeout) ||
        !processes.isRunning(swayPid)) {
        throw std::runtime_error(failure("sway did not start", "sway.log"));
    }
}

// Clients bind a wl_pointer only once the seat has one, too late for the first
// click of a pointer that comes with it; a held pointer gives the seat one for
// the whole session.
void SwaySession::holdPointer() {
    start({DROWSEL_VIRTUAL_POINTER, "--hold"});
    const auto seatHasAPointer = [this] {
        const auto seats = nlohmann::json::parse(swaymsg({"-t", "get_seats"}).output, nullptr, false);
        return seats.is_array() && !seats.empty() && (seats[0].value("capabilities", 0u) & seatHasPointer) != 0;
    };
    if (!waitUntil(seatHasAPointer, startTimeout)) {
        throw std::runtime_error(failure("the virtual pointer did not come up", "sway.log"));
    }
}

// XWayland starts at its first client, but its display is named at once, in
// the environment of what sway runs; only sway's user may connect until it
// lets ours in.
void SwaySession::openXWayland() {
    const std::string displayFile = swayRuntimeDir + "/display";
    swaymsg({"exec", "printenv DISPLAY > " + displayFile});
    if (!waitUntil([&] { return readFile(displayFile).ends_with('\n'); }, startTimeout)) {
        throw std::runtime_error(failure("sway named no X display", "sway.log"));
    }
    const std::string line = readFile(displayFile);
    const std::string display = line.substr(0, line.size() - 1);
    auto environment = compositorEnvironment();
    environment.push_back("DISPLAY=" + display);
    const auto xhost = asCompositorUser({"xhost", "+si:localuser:" + userName(geteuid())});
    const auto opened = [&] { return processes.run(xhost, environment).exitCode == 0; };
    if (!display.starts_with(':') || !waitUntil(opened, startTimeout)) {
        throw std::runtime_error(failure("XWayland did not let us in", "sway.log"));
    }
    x11DisplayName = display;
}

void SwaySession::startTrayBar() {
    processes.start({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + path("bus")}, environment(),
                    path("dbus.log"));
    if (!waitUntil([this] { return std::filesystem::exists(path("bus")); }, startTimeout)) {
        throw std::runtime_error(failure("the session bus did not start", "dbus.log"));
    }
    bus = "unix:path=" + path("bus");
    writeFile(path("waybar.json"), nlohmann::json{{"layer", "top"},
                                                  {"position", "top"},
                                                  {"height", barHeight},
                                                  {"modules-left", {"tray"}},
                                                  {"tray", {{"icon-size", trayIconSize}, {"spacing", traySpacing}}}}
                                       .dump());
    writeFile(path("waybar.css"), "* { border: none; border-radius: 0; margin: 0; padding: 0; min-height: 0; }\n");
    processes.start({"waybar", "-c", path("waybar.json"), "-s", path("waybar.css")}, environment(), path("waybar.log"));
    const auto watcherIsUp = [this] {
        return run({"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                    "org.freedesktop.DBus.NameHasOwner", "string:org.kde.StatusNotifierWatcher"})
                   .output.find("boolean true") != std::string::npos;
    };
    if (!waitUntil(watcherIsUp, startTimeout)) {
        throw std::runtime_error(failure("waybar offers no tray", "waybar.log"));
    }
}

std::string SwaySession::failure(const std::string& what, const std::string& logName) const {
    const std::string log = readFile(path(logName));
    constexpr std::size_t shown = 2000;
    return what + "; end of " + logName + ":\n" + log.substr(log.size() > shown ? log.size() - shown : 0);
}

std::vector<std::string> SwaySession::environment(const std::map<std::string, std::string>& extra) const {
    std::map<std::string, std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string_view text(*variable);
        const auto equals = text.find('=');
        variables.emplace(text.substr(0, equals), equals == text.npos ? "" : text.substr(equals + 1));
    }
    for (const char* name : sessionVariables) {
        variables.erase(name);
    }
    variables["WAYLAND_DISPLAY"] = waylandSocket;
    variables["XDG_RUNTIME_DIR"] = clientRuntimeDir;
    variables["XDG_SESSION_TYPE"] = "wayland";
    variables["XDG_CURRENT_DESKTOP"] = "sway";
    variables["SWAYSOCK"] = ipcSocket;
    if (!x11DisplayName.empty()) {
        variables["DISPLAY"] = x11DisplayName;
    }
    if (!bus.empty()) {
        variables["DBUS_SESSION_BUS_ADDRESS"] = bus;
    }
    for (const auto& [name, value] : extra) {
        variables[name] = value;
    }
    std::vector<std::string> list;
    for (const auto& [name, value] : variables) {
        list.push_back(name + "=" + value);
    }
    return list;
}

pid_t SwaySession::start(const std::vector<std::string>& command, const std::map<std::string, std::string>& extraEnv) {
    return processes.start(command, environment(extraEnv));
}

SwaySession::CommandResult SwaySession::run(const std::vector<std::string>& command) const {
    return processes.run(command, environment());
}

pid_t SwaySession::startFoot(const std::string& appId) {
    return processes.start({"foot", "--app-id=" + appId, "-e", "sleep", "infinity"}, environment(),
                           path("clients.log"));
}

pid_t SwaySession::startXterm() {
    if (x11DisplayName.empty()) {
        throw std::logic_error("xterm needs a session with XWayland");
    }
    return processes.start({"xterm", "-e", "sleep", "infinity"}, environment(), path("clients.log"));
}

pid_t SwaySession::startFixture(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{DROWSEL_WAYLAND_FIXTURE_CLIENT};
    command.insert(command.end(), arguments.begin(), arguments.end());
    // Qt's Wayland plugin leaves allocations behind at exit: no leak check in sanitizer builds.
    return start(command, {{"QT_QPA_PLATFORM", "wayland"}, {"LSAN_OPTIONS", "detect_leaks=0"}});
}

SwaySession::CommandResult SwaySession::swaymsg(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"swaymsg", "-s", ipcSocket};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command);
}

std::string SwaySession::criteriaFor(const std::string& appId) { return "[app_id=\"" + exactPattern(appId) + "\"]"; }

bool SwaySession::command(const std::string& appId, const std::string& swayCommand) const {
    const auto result = swaymsg({criteriaFor(appId) + " " + swayCommand});
    const auto replies = nlohmann::json::parse(result.output, nullptr, false);
    if (result.exitCode != 0 || !replies.is_array() || replies.empty()) {
        return false;
    }
    return std::all_of(replies.begin(), replies.end(),
                       [](const nlohmann::json& reply) { return reply.value("success", false); });
}

std::vector<SwaySession::Toplevel> SwaySession::toplevels() const {
    std::vector<Toplevel> found;
    const auto tree = nlohmann::json::parse(swaymsg({"-t", "get_tree"}).output, nullptr, false);
    if (tree.is_object()) {
        collectToplevels(tree, found);
    }
    return found;
}

std::string SwaySession::focusedAppId() const {
    for (const auto& toplevel : toplevels()) {
        if (toplevel.focused) {
            return toplevel.appId;
        }
    }
    return {};
}

bool SwaySession::click(int x, int y) const {
    return run({DROWSEL_VIRTUAL_POINTER, std::to_string(x), std::to_string(y), "click"}).exitCode == 0;
}

std::pair<int, int> SwaySession::trayIconCentre(int index) {
    return {trayIconSize / 2 + index * (trayIconSize + traySpacing), barHeight / 2};
}

int SwaySession::trayItemCount() const {
    const std::string reply = run({"dbus-send", "--session", "--print-reply", "--dest=org.kde.StatusNotifierWatcher",
                                   "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties.Get",
                                   "string:org.kde.StatusNotifierWatcher", "string:RegisteredStatusNotifierItems"})
                                  .output;
    int count = 0;
    for (auto at = reply.find("string \""); at != std::string::npos; at = reply.find("string \"", at + 1)) {
        ++count;
    }
    return count;
}

bool SwaySession::screenshot(const std::string& path) const { return run({"grim", path}).exitCode == 0; }

} // namespace drowsel::wltest
