#pragma once

#include "AccessibilityReader.h"
#include "DrowselSession.h"

#include <QTemporaryDir>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace drowsel::xtest {

// Drowsel on a private desktop as a user meets it: a session bus with the
// accessibility bus, tint2 as the tray, and a reader of what its windows
// show. The test acts with the pointer on what the reader reports.
class DesktopSession : public DrowselSession {
public:
    using Control = AccessibilityReader::Control;
    using Row = AccessibilityReader::Row;
    using Window = AccessibilityReader::Window;

    // Throws std::runtime_error when a part of the desktop does not come up.
    DesktopSession();

    // Starts the program and waits for its tray icon; its PID.
    pid_t launchDrowsel();
    pid_t drowsel() const { return drowselPid; }

    // Clicks the tray icon and waits for the panel; false if it does not show.
    bool openPanel();
    // Clicks on the bare desktop, as a user closes a popup.
    bool closePanel();
    // The rows the open panel shows, empty while it is closed.
    std::vector<Row> panelRows();
    std::optional<Row> panelRow(const std::string& name);
    std::optional<Window> shownWindow(const std::string& name);
    // A control on one of Drowsel's windows, found by its accessible name.
    std::optional<Control> control(const std::string& name);
    // Clicks the middle of the named control; false when it is not on screen.
    bool press(const std::string& name);
    // Clicks the upper arrow of the named spin box.
    bool stepUp(const std::string& name);

    // Waits, polling the reader, for a condition on what Drowsel shows.
    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5));

    QString settingsPath() const;
    QString autostartFile() const;

private:
    void startSessionBus();
    void startAccessibilityBus();
    void startTray();
    std::array<int, 4> trayIcon();

    QTemporaryDir busFolder;
    std::unique_ptr<AccessibilityReader> reader;
    pid_t drowselPid = -1;
    std::chrono::steady_clock::time_point lastTrayClick;
};

} // namespace drowsel::xtest
