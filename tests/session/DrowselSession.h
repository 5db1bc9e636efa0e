// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "XSession.h"

#include <QTemporaryDir>

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace drowsel::xtest {

// Drowsel run as the user runs it, in a private X session (Xvfb, openbox),
// with a settings folder of its own. One log holds Drowsel's lines (debug on)
// and the close requests its fixture clients receive, in the order they came.
// Everything is stopped by PID when the session goes.
class DrowselSession {
public:
    // generalSection: Drowsel.conf's [General] section, as a user may have left it.
    explicit DrowselSession(const std::string& generalSection = "hoursUntilClose=1\n");

    XSession& x() { return session; }
    std::string settingsFile() const;
    std::string log() const;
    std::size_t countInLog(const std::string& text) const;

    // setup: shell lines run first in the shell that then becomes Drowsel.
    pid_t startDrowsel(const std::string& setup = {});
    // tint2 as the tray, up before Drowsel.
    void startTray() { startShowing({"tint2"}, "Tint2"); }
    // A fixture client named className in the panel, its window shown.
    pid_t startClient(const std::string& className, const std::vector<std::string>& options = {});
    // Visible windows by an xdotool search criterion: "--pid", "--class".
    std::vector<std::string> windows(const std::string& criterion, const std::string& value);
    // x, y, width, height
    std::array<int, 4> geometryOf(const std::string& window);
    void click(int x, int y);
    // Throws when no window of the class shows.
    pid_t startShowing(const std::vector<std::string>& command, const std::string& windowClass);

    // Polls the condition until it holds; a long timeout costs nothing when it does.
    static bool waitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds timeout = std::chrono::seconds(30));

private:
    XSession session;
    QTemporaryDir folder;
    std::string configFolder = folder.filePath("config").toStdString();
    std::string logPath = folder.filePath("log").toStdString();
};

} // namespace drowsel::xtest
