// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ChangePublisher.h"
#include "core/LogSink.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace drowsel {

// Starts Drowsel when the user logs in, through an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/com.drowsel.Drowsel.desktop. Keeps no state of
// its own: the entry on disk is the truth and is read at every question.
// Called on the main thread only.
class LaunchAtLogin {
public:
    enum class Status {
        notRegistered = 0,    // no entry
        enabled = 1,          // our entry, active
        requiresApproval = 2, // switched off in the desktop's own autostart settings
        notFound = 3,         // the entry's program is gone, or the entry is unreadable
    };
    class Observable;
    class Toggle;

    LaunchAtLogin() = delete;

    static constexpr std::string_view logSubsystem = "com.velbrook.LaunchAtLogin";
    static constexpr std::string_view logCategory = "main";
    // Carried by the entry's command line, so a launch at login can be told apart.
    static constexpr std::string_view loginItemArgument = "--launched-at-login";

    // Where failures are logged; given once at start-up.
    static void useLogSink(LogSink& sink);

    static std::filesystem::path entryPath();
    // The program an entry should run, given the running program's link text
    // (/proc/self/exe). Once the running binary is replaced on disk, as an
    // upgrade renames the new one over it, the link reads "<path> (deleted)"
    // and the program now at <path> is the installed one. Empty when no
    // executable program is there.
    static std::optional<std::string> installedProgram(const std::string& runningProgramLink);
    static Status status();
    static bool isEnabled() { return status() == Status::enabled; }
    // Registers or unregisters. Every call first announces the change through
    // observable(); failures are logged, never reported to the caller.
    static void setEnabled(bool enabled);
    // Whether this process was started by the autostart entry.
    static bool launchedAsLoginItem();
    static Observable& observable();
};

// Carries the login-item status to views. Holds no copy of it.
class LaunchAtLogin::Observable {
public:
    bool isEnabled() const { return LaunchAtLogin::isEnabled(); }
    void setEnabled(bool enabled) { LaunchAtLogin::setEnabled(enabled); }
    ChangePublisher& objectWillChange() { return willChange; }

private:
    ChangePublisher willChange;
};

} // namespace drowsel
