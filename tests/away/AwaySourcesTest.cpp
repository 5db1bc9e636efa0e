// SPDX-License-Identifier: GPL-3.0-or-later
#include "KWinSession.h"
#include "QtEventPump.h"
#include "SwaySession.h"
#include "XSession.h"
#include "fakes/RecordingLogSink.h"
#include "fakes/SettableClock.h"
#include "platform/away/AwayWatch.h"

#include <QDBusConnection>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace drowsel {
namespace {

using namespace std::chrono_literals;
using enum PresenceClock::AwaySource;

// What a test does, and which source must then say away or back.
struct Step {
    std::string what;
    std::function<void()> action;
    PresenceClock::AwaySource source;
    bool away;
};

class AwaySourcesTest : public testing::Test {
protected:
    void expectSteps(const std::vector<Step>& steps) {
        for (const auto& [what, action, source, away] : steps) {
            if (action) {
                action();
            }
            const bool seen =
                processes::ChildProcesses::waitUntil([&] { return clock.isAway(source) == away; }, 30s, pumpQtEvents);
            EXPECT_TRUE(seen) << what << ": source " << static_cast<int>(source)
                              << " says away: " << clock.isAway(source);
        }
    }
    // Input from a Wayland client of the session, as a device makes it: wlroots'
    // virtual pointer, or KWin's fake input for a client it trusts with it.
    void moveThePointer(const std::string& display) {
        auto connection = WaylandConnection::open(log, display.c_str());
        ASSERT_NE(connection, nullptr);
        if (const auto manager = connection->global(zwlr_virtual_pointer_manager_v1_interface.name)) {
            auto* pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
                connection->bind(*manager, &zwlr_virtual_pointer_manager_v1_interface, 1));
            auto* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, nullptr);
            zwlr_virtual_pointer_v1_motion(pointer, 0, wl_fixed_from_int(5), wl_fixed_from_int(5));
            zwlr_virtual_pointer_v1_frame(pointer);
            connection->roundTrip();
            zwlr_virtual_pointer_v1_destroy(pointer);
            zwlr_virtual_pointer_manager_v1_destroy(pointers);
        } else if (const auto fake = connection->global(org_kde_kwin_fake_input_interface.name)) {
            auto* input =
                static_cast<org_kde_kwin_fake_input*>(connection->bind(*fake, &org_kde_kwin_fake_input_interface, 1));
            org_kde_kwin_fake_input_authenticate(input, "test", "input");
            org_kde_kwin_fake_input_pointer_motion(input, wl_fixed_from_int(5), wl_fixed_from_int(5));
            connection->roundTrip();
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(input));
        } else {
            FAIL() << "the compositor offers no way to make input";
        }
        connection->flush();
    }
    void expectIdleNotifications(const processes::DisplaySession& session, const char* protocol) {
        auto watch = IdleNotificationWatch::start(log, clock, 2s, session.waylandDisplay().c_str());
        ASSERT_NE(watch, nullptr) << testing::PrintToString(sink.messages());
        EXPECT_STREQ(watch->protocol(), protocol);
        expectSteps({{"no input for 2 s", {}, noInput, true},
                     {"the pointer moved", [&] { moveThePointer(session.waylandDisplay()); }, noInput, false},
                     {"no input again", {}, noInput, true},
                     {"the watch gone", [&] { watch.reset(); }, noInput, false}});
    }

    fakes::RecordingLogSink sink;
    Logger log{sink, "test", "away"};
    fakes::SettableClock base;
    PresenceClock clock{base};
};

TEST_F(AwaySourcesTest, X11ScreenSaverAndInput) {
    xtest::XSession session;
    const auto runs = [&](std::vector<std::string> command) {
        return [&session, command] { EXPECT_EQ(session.run(command).exitCode, 0) << command[0]; };
    };
    // The saver's changes come as events, long before the next look at the input.
    auto watch = ScreenSaverWatch::start(log, clock, {1h, 1h}, session.display().c_str());
    ASSERT_NE(watch, nullptr) << testing::PrintToString(sink.messages());
    expectSteps({{"the saver on", runs({"xset", "s", "activate"}), screenSaver, true},
                 {"the saver reset", runs({"xset", "s", "reset"}), screenSaver, false},
                 {"the saver on again", runs({"xset", "s", "activate"}), screenSaver, true},
                 {"the pointer moved", runs({"xdotool", "mousemove", "20", "20"}), screenSaver, false}});
    watch = ScreenSaverWatch::start(log, clock, {3s, 100ms}, session.display().c_str());
    expectSteps({{"no input for 3 s", {}, noInput, true},
                 {"the pointer moved", runs({"xdotool", "mousemove", "10", "10"}), noInput, false},
                 {"no input again", {}, noInput, true},
                 {"the watch gone", [&] { watch.reset(); }, noInput, false}});
}

TEST_F(AwaySourcesTest, SwayIdleTimeout) {
    wltest::SwaySession session;
    expectIdleNotifications(session, "org_kde_kwin_idle");
}

TEST_F(AwaySourcesTest, KWinIdleNotification) {
    wltest::KWinSession session;
    // KWin lends its fake input only to the programs its desktop entries name.
    std::ofstream(session.folder() + "/data/applications/drowsel-away-test.desktop")
        << "[Desktop Entry]\nType=Application\nName=Test\nExec="
        << std::filesystem::read_symlink("/proc/self/exe").string()
        << "\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input\n";
    expectIdleNotifications(session, "ext_idle_notifier_v1");
}

TEST_F(AwaySourcesTest, LogindHintsAndSleep) {
    processes::ChildProcesses children;
    QTemporaryDir folder;
    const auto addressFile = folder.filePath("address").toStdString();
    children.start({"sh", "-c", "exec dbus-daemon --session --nofork --print-address=3 3>" + addressFile}, {});
    std::string address;
    ASSERT_TRUE(processes::ChildProcesses::waitUntil(
        [&] { return std::getline(std::ifstream(addressFile) >> std::ws, address).good(); }, 30s));
    const std::vector<std::string> environment{"PATH=/usr/bin:/bin", "DBUS_SYSTEM_BUS_ADDRESS=" + address};
    const pid_t logind = children.start({"/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind"},
                                        environment, folder.filePath("logind.log").toStdString());
    // A call to the stand-in logind, as a step or a condition.
    const auto call = [&](const std::string& object, const std::string& method, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"gdbus", "call", "--system", "--dest", "org.freedesktop.login1",
                                             "--object-path", "/org/freedesktop/login1" + object, "--method", method});
        return [&children, environment, arguments] { return children.run(arguments, environment).exitCode == 0; };
    };
    ASSERT_TRUE(processes::ChildProcesses::waitUntil(
        call("", "org.freedesktop.DBus.Mock.AddSession", {"'c1'", "'seat0'", "1000", "'user'", "true"}), 30s));
    qputenv("XDG_SESSION_ID", "c1");
    const auto watch = LogindPresenceWatch::start(
        log, clock, QDBusConnection::connectToBus(QString::fromStdString(address), "logind"));
    ASSERT_NE(watch, nullptr) << testing::PrintToString(sink.messages());
    const auto lockedHint = [&](const char* on) {
        return call("/session/c1", "org.freedesktop.login1.Session.SetLockedHint", {on});
    };
    const auto sleeps = [&](const char* on) {
        return call("", "org.freedesktop.DBus.Mock.EmitSignal",
                    {"'org.freedesktop.login1.Manager'", "'PrepareForSleep'", "'b'", std::string("[<") + on + ">]"});
    };
    expectSteps({{"locked", lockedHint("true"), locked, true},
                 {"unlocked", lockedHint("false"), locked, false},
                 {"idle",
                  call("/session/c1", "org.freedesktop.DBus.Mock.UpdateProperties",
                       {"'org.freedesktop.login1.Session'", "{'IdleHint': <true>}"}),
                  sessionIdle, true},
                 {"going to sleep", sleeps("true"), asleep, true},
                 {"awake", sleeps("false"), asleep, false},
                 {"locked again", lockedHint("true"), locked, true},
                 {"logind gone", [&] { children.stop(logind); }, locked, false}});
}

TEST_F(AwaySourcesTest, AwayWatchNamesWhatRuns) {
    xtest::XSession x11;
    wltest::SwaySession sway;
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent"); // no logind
    const std::vector<std::tuple<std::string, std::string, std::string>> cases{
        {x11.display(), "", "told by the X server's screen saver"},
        {x11.display(), sway.waylandDisplay(), "told by the compositor's org_kde_kwin_idle"},
        {"", "", "Nothing tells when the user is away"}};
    for (const auto& [display, wayland, logged] : cases) {
        qputenv("DISPLAY", display.c_str());
        qputenv("WAYLAND_DISPLAY", wayland.c_str());
        const AwayWatch watch(log, clock);
        EXPECT_NE(sink.messages().back().find(logged), std::string::npos) << testing::PrintToString(sink.messages());
    }
}

} // namespace
} // namespace drowsel
