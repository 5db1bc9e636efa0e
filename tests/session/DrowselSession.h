#pragma once

#include "XSession.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <string>

namespace drowsel::xtest {

// Drowsel run as the user runs it, in a private X session, with a settings
// folder of its own.
class DrowselSession {
public:
    // drowselBinary: the program to run, as built or as installed.
    explicit DrowselSession(std::string drowselBinary);

    XSession& x() { return session; }
    // Writes Drowsel.conf before Drowsel starts.
    void writeSettings(const QByteArray& generalSection);
    QByteArray settingsFile() const;
    pid_t startDrowsel();
    // The visible X windows of a process (found by _NET_WM_PID) or of a window class.
    std::vector<std::string> windowsOf(pid_t pid);
    std::vector<std::string> windowsOfClass(const std::string& windowClass);
    // x, y, width, height of a window.
    std::array<int, 4> geometryOf(const std::string& window);
    void click(int x, int y);
    // The whole screen as a PNG under the build folder's screenshots/.
    void screenshot(const std::string& name);

private:
    std::vector<std::string> windowsFound(const std::vector<std::string>& criteria);

    XSession session;
    QTemporaryDir configHome;
    std::string drowselBinary;
};

} // namespace drowsel::xtest
