#pragma once

#include "ChildProcesses.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace drowsel::wltest {

// A private sway session, headless, with the clients a test starts in it. sway
// refuses to run as root, so when the tests run as root it runs as "nobody"
// while the clients stay root. Everything it started is stopped by PID when it
// goes (XWayland goes with sway), and its temporary folder is removed.
class SwaySession {
    using ChildProcesses = processes::ChildProcesses;

public:
    struct Options {
        bool xwayland = false;
        // waybar at the top with only its tray, on a session bus of its own.
        bool trayBar = false;
    };

    struct Rect {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    // A window as sway's tree shows it.
    struct Toplevel {
        std::string appId; // empty for XWayland windows and clients without one
        std::string title;
        std::string shell; // "xdg_shell" or "xwayland"
        std::string x11Class;
        pid_t pid = -1;
        bool focused = false;
        Rect rect;
    };

    using CommandResult = ChildProcesses::CommandResult;

    static constexpr int outputWidth = 1280;
    static constexpr int outputHeight = 800;
    // The tray bar's geometry: icons from the left edge, left to right.
    static constexpr int barHeight = 30;
    static constexpr int trayIconSize = 20;
    static constexpr int traySpacing = 10;

    // Throws std::runtime_error when sway, XWayland or the bar does not come up.
    SwaySession();
    explicit SwaySession(Options options);
    ~SwaySession();
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    // The compositor's socket, absolute: for WAYLAND_DISPLAY or wl_display_connect.
    const std::string& waylandDisplay() const { return waylandSocket; }
    // The clients' XDG_RUNTIME_DIR (their own; sway's is private to its user).
    const std::string& runtimeDir() const { return clientRuntimeDir; }
    // ":N" of XWayland; empty without it.
    const std::string& x11Display() const { return x11DisplayName; }
    // sway's IPC socket, for SWAYSOCK.
    const std::string& ipcSocketPath() const { return ipcSocket; }
    // The session bus of the tray bar, for DBUS_SESSION_BUS_ADDRESS; empty without it.
    const std::string& busAddress() const { return bus; }
    // Ours without any tie to another desktop (DISPLAY, QT_QPA_PLATFORM, ...), with
    // the session's WAYLAND_DISPLAY, XDG_RUNTIME_DIR, SWAYSOCK, XDG_SESSION_TYPE
    // and XDG_CURRENT_DESKTOP, DISPLAY and DBUS_SESSION_BUS_ADDRESS when present,
    // and the extra variables on top.
    std::vector<std::string> environment(const std::map<std::string, std::string>& extra = {}) const;

    // A client in the session's environment, with extraEnv on top; its PID.
    pid_t start(const std::vector<std::string>& command, const std::map<std::string, std::string>& extraEnv = {});
    void stop(pid_t pid) { processes.stop(pid); }
    bool isRunning(pid_t pid) { return processes.isRunning(pid); }
    std::optional<int> exitStatus(pid_t pid) { return processes.exitStatus(pid); }
    CommandResult run(const std::vector<std::string>& command) const;
    // Ends sway (and XWayland with it) before the session goes, as a crash or logout would.
    void stopCompositor() { processes.stop(swayPid); }
    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5),
                          const std::function<void()>& pause = {}) {
        return ChildProcesses::waitUntil(condition, timeout, pause);
    }

    // foot with the app id, running sleep; it and xterm write to a log of the session.
    pid_t startFoot(const std::string& appId);
    // xterm through XWayland, running sleep.
    pid_t startXterm();
    // The Qt fixture client as a native Wayland client, with its options.
    pid_t startFixture(const std::vector<std::string>& arguments);

    CommandResult swaymsg(const std::vector<std::string>& arguments) const;
    // sway's criteria matching exactly this app id.
    static std::string criteriaFor(const std::string& appId);
    // Runs "<criteria> command" for the app id's windows; true when sway did it.
    bool command(const std::string& appId, const std::string& swayCommand) const;
    bool focus(const std::string& appId) const { return command(appId, "focus"); }
    // sway's kill: a polite close request (xdg_toplevel.close, WM_DELETE_WINDOW).
    bool requestClose(const std::string& appId) const { return command(appId, "kill"); }
    std::vector<Toplevel> toplevels() const;
    // The focused window's app id; empty when none has the focus or it has none.
    std::string focusedAppId() const;

    // A left click at output coordinates through a virtual pointer; true when sent.
    bool click(int x, int y) const;
    // The centre of the tray's index-th icon (from 0).
    static std::pair<int, int> trayIconCentre(int index);
    // The StatusNotifierItems registered with the bar's watcher.
    int trayItemCount() const;
    // A PNG of the output, with grim; true when written.
    bool screenshot(const std::string& path) const;

private:
    void createFolders();
    void startSway();
    void waitForSway();
    void holdPointer();
    void openXWayland();
    void startTrayBar();
    std::vector<std::string> asCompositorUser(std::vector<std::string> command) const;
    std::vector<std::string> compositorEnvironment() const;
    std::string path(const std::string& name) const { return folder + "/" + name; }
    // The message of a start that failed, with the end of the log that may tell why.
    std::string failure(const std::string& what, const std::string& logName) const;

    Options options;
    std::string folder;
    uid_t swayUid = 0;
    gid_t swayGid = 0;
    pid_t swayPid = -1;
    std::string swayRuntimeDir;
    std::string clientRuntimeDir;
    std::string waylandSocket;
    std::string ipcSocket;
    std::string x11DisplayName;
    std::string bus;
    ChildProcesses processes;
};

} // namespace drowsel::wltest
