// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "XSession.h"

#include <QByteArray>
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
    using Geometry = std::array<int, 4>; // x, y, width, height

    // generalSection: Drowsel.conf's [General] section, as a user may have left it.
    explicit DrowselSession(const QByteArray& generalSection = "hoursUntilClose=1\n");

    XSession& x() { return session; }
    QByteArray settingsFile() const;
    std::string log() const;

    // setup: shell lines run first in the shell that then becomes Drowsel.
    pid_t startDrowsel(const std::string& setup = {});
    // tint2 as the tray, up before Drowsel.
    void startTray();
    // A fixture client named className in the panel, its window shown.
    pid_t startClient(const std::string& className, const std::vector<std::string>& options = {});
    void activate(const std::string& className);
    // Visible windows, by _NET_WM_PID.
    std::vector<std::string> windowsOf(pid_t pid);
    Geometry geometryOf(const std::string& window);
    void click(int x, int y);

    // Polls the condition until it holds; a long timeout costs nothing when it does.
    static bool waitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds timeout = std::chrono::seconds(30));

private:
    std::vector<std::string> windowsFound(const std::vector<std::string>& criteria);
    void require(const std::function<bool()>& condition, const std::string& failure) const;

    XSession session;
    QTemporaryDir folder;
    std::string configFolder = folder.filePath("config").toStdString();
    std::string logPath = folder.filePath("log").toStdString();
};

} // namespace drowsel::xtest
