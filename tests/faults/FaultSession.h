#pragma once

#include "DrowselSession.h"

#include <QTemporaryDir>

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace drowsel::xtest {

// Drowsel in a private X session as the fault tests need it: debug messages
// on, and one log file that holds Drowsel's log and the close requests the
// fixture clients receive, in the order they happened.
class FaultSession {
public:
    using Geometry = std::array<int, 4>;

    FaultSession();

    XSession& x() { return session.x(); }
    DrowselSession& desktop() { return session; }
    const std::string& configFolder() const { return configHome; }
    std::string settingsFolder() const { return configHome + "/Drowsel"; }

    // A tray to embed Drowsel's icon; started before Drowsel.
    void startTray();
    // setup runs in the shell that then becomes Drowsel, with $1 the config
    // folder; wrapper runs that shell (for example in a mount namespace).
    pid_t startDrowsel(const std::string& setup = {}, const std::vector<std::string>& wrapper = {});
    // A fixture client whose window class is also its name in the panel; it
    // writes each close request it receives to the log. Waits for its window.
    pid_t startClient(const std::string& className, const std::vector<std::string>& options = {});
    void activate(const std::string& className);
    // Throws when Drowsel shows no tray icon in time.
    void waitForTrayIcon(pid_t drowsel);
    // Clicks the tray icon and gives the panel's geometry, or throws.
    Geometry openPanel(pid_t drowsel);
    std::optional<Geometry> panelOf(pid_t drowsel);
    // Clicks the automatic-quit checkbox of the first row.
    void clickFirstSwitch(const Geometry& panel);

    std::string log() const;
    std::size_t countInLog(const std::string& text) const;
    bool waitForLog(const std::string& text, std::size_t count = 1,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    DrowselSession session{DROWSEL_BINARY};
    std::string configHome;
    QTemporaryDir logFolder;
    std::string logPath;
};

} // namespace drowsel::xtest
