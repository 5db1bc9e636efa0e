// SPDX-License-Identifier: GPL-3.0-or-later
#include "GnomeSession.h"
#include "QtEventPump.h"
#include "fakes/RecordingLogSink.h"
#include "fakes/SettableClock.h"
#include "platform/away/AwayWatch.h"

#include <gtest/gtest.h>

namespace drowsel::gnometest {
namespace {

using enum PresenceClock::AwaySource;

// Mutter's idle monitor and GNOME's screen saver, in preference to the idle
// protocol; each says away and back as the shell sees the user go and come.
TEST(GnomeAwayTest, TheIdleMonitorAndTheScreenSaverTellWhenTheUserIsAway) {
    GnomeSession session({.drowsel = false, .unsafeMode = true});
    qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString(session.busAddress()));
    qputenv("WAYLAND_DISPLAY", QByteArray::fromStdString(session.waylandDisplay()));
    fakes::SettableClock base;
    PresenceClock clock(base);
    fakes::RecordingLogSink log;
    const Logger logger(log, "com.drowsel.Drowsel", "away");
    const AwayWatch watch(logger, clock);
    EXPECT_NE(log.lines.back().message.find("GNOME's idle monitor and screen saver"), std::string::npos)
        << log.lines.back().message;
    const auto idle = MutterIdleWatch::start(logger, clock, std::chrono::seconds(2));
    ASSERT_NE(idle, nullptr);
    const auto movePointer = [&] {
        session.eval("const seat = imports.gi.Clutter.get_default_backend().get_default_seat();"
                     "seat.create_virtual_device(imports.gi.Clutter.InputDeviceType.POINTER_DEVICE)"
                     ".notify_relative_motion(global.get_current_time() * 1000, 5, 5)");
    };
    const auto setScreenSaver = [&](bool active) {
        session.call("org.gnome.Shell.ScreenShield", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver.SetActive",
                     {active ? "true" : "false"});
    };
    const std::vector<std::tuple<std::string, std::function<void()>, PresenceClock::AwaySource, bool>> steps{
        {"no input for two seconds", [] {}, noInput, true},
        {"the pointer moves", movePointer, noInput, false},
        {"no input again", [] {}, noInput, true},
        {"the screen saver starts", [&] { setScreenSaver(true); }, screenSaver, true},
        {"the screen saver stops", [&] { setScreenSaver(false); }, screenSaver, false},
    };
    for (const auto& [what, action, source, away] : steps) {
        action();
        EXPECT_TRUE(processes::ChildProcesses::waitUntil([&] { return clock.isAway(source) == away; },
                                                         std::chrono::seconds(60), pumpQtEvents))
            << what << ": away is " << clock.isAway(source);
    }
}

} // namespace
} // namespace drowsel::gnometest
