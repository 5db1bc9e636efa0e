#pragma once

#include "ChildProcesses.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace drowsel::wltest {

// A private KDE Plasma compositor: KWin on a virtual output with XWayland, on a
// session bus of its own, run as an unprivileged user in a fresh temporary
// folder; and the clients a test starts in it (as the test's own user).
// Everything it started is stopped by PID when it goes: SIGTERM, then SIGKILL
// after a grace period.
class KWinSession {
public:
    struct Options {
        // Absolute paths of the programs KWin offers its window list and window
        // controls to (org_kde_plasma_window_management).
        std::vector<std::string> windowManagers;
    };

    using CommandResult = processes::ChildProcesses::CommandResult;

    // Throws std::runtime_error when the bus, KWin or XWayland does not come up.
    explicit KWinSession(const Options& options = {});
    ~KWinSession();
    KWinSession(const KWinSession&) = delete;
    KWinSession& operator=(const KWinSession&) = delete;

    // The absolute path of KWin's socket: a display name for wl_display_connect.
    const std::string& waylandDisplay() const { return socketPath; }
    // KWin's own runtime folder (owned by the compositor's user).
    const std::string& runtimeDir() const { return kwinRuntimeDir; }
    // ":N", XWayland's display.
    const std::string& x11Display() const { return xDisplay; }
    const std::string& busAddress() const { return bus; }
    pid_t kwinPid() const { return kwin; }
    // The test's environment pointed at this session: Wayland, X11 and D-Bus.
    std::vector<std::string> environment() const;

    // Starts a client in the session (extraEnvironment: "NAME=value" entries); its PID.
    pid_t start(const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment = {});
    // The project's Qt fixture client as a native Wayland client.
    pid_t startFixture(const std::vector<std::string>& arguments);
    // Runs a program in the session to its end: its exit code and output.
    CommandResult run(const std::vector<std::string>& command) const;
    // The exit code of a started process once it has ended (128 + signal when killed).
    std::optional<int> exitStatus(pid_t pid) { return processes.exitStatus(pid); }
    bool isRunning(pid_t pid) { return processes.isRunning(pid); }
    void stop(pid_t pid) { processes.stop(pid); }

    // Installs the desktop entry that grants the executable the window list.
    // KWin notices entries added while it runs only after a few seconds: pass
    // the programs in the options where possible.
    void allowWindowManagement(const std::string& executablePath) const;

    // Makes KWin activate the process's window with that title, or its first
    // window that is not transient; false when there is none (shown yet) or
    // KWin did not activate it.
    bool activate(pid_t pid, const std::string& title = {}) const;
    // The PID of the client of the active window as KWin sees it; none when no
    // window is active.
    std::optional<pid_t> activeWindowPid() const;
    // Runs a function body as a KWin script (KWin's scripting API, the
    // workspace object) and gives what it returns, as text.
    std::string evaluate(const std::string& functionBody) const;

    // Polls the condition until it holds or the timeout passes; pause runs
    // between polls (the default sleeps 10 ms; Qt tests pump their event loop).
    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5),
                          const std::function<void()>& pause = {}) {
        return processes::ChildProcesses::waitUntil(condition, timeout, pause);
    }

private:
    void stopAll();
    void prepareFolders();
    void writeBusConfiguration() const;
    void writeDisplayAnnouncer() const;
    void startBus();
    void startKWin();
    std::vector<std::string> asCompositorUser(std::vector<std::string> command, bool mayReadClients) const;
    std::vector<std::string> compositorEnvironment() const;
    std::string dbusCall(const std::string& path, const std::string& method,
                         const std::vector<std::string>& arguments) const;

    std::string folder;
    // The compositor's user when the tests run as root; else the tests' own.
    std::optional<processes::ChildProcesses::Account> compositorAccount;
    std::string kwinRuntimeDir;
    std::string clientRuntimeDir;
    std::string socketPath;
    std::string xDisplay;
    std::string bus;
    std::string kwinLog;
    pid_t kwin = -1;
    processes::ChildProcesses processes;
    mutable int scriptCount = 0;
};

} // namespace drowsel::wltest
