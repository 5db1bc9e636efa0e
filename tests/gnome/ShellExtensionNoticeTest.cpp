// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ShellExtensionNotice.h"
#include "GnomeSession.h"
#include "QtEventPump.h"
#include "fakes/RecordingLogSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <regex>

namespace drowsel::gnometest {
namespace {

// Drowsel's extension switched off, AppIndicator never on: on GNOME on Wayland
// the notice offers both, or ours only while a tray host is on the bus;
// elsewhere there is none. "Enable" enables both, and the notices still shown
// go once ours runs. The shell's notification server is a helper that a full
// session's bus starts on demand, so python3-dbusmock's stands in for it.
TEST(ShellExtensionNoticeTest, OffersToEnableTheExtensionsAndGoesOnceOursRuns) {
    GnomeSession session({.drowsel = true, .appIndicator = false});
    ASSERT_TRUE(session.setExtensionEnabled(GnomeSession::drowselUuid, false));
    session.start({"/usr/bin/python3", "-m", "dbusmock", "--template", "notification_daemon", "-p",
                   R"({"capabilities":"actions body"})"});
    const auto eventually = [&](const std::function<bool()>& condition) {
        return processes::ChildProcesses::waitUntil(condition, std::chrono::seconds(60), pumpQtEvents);
    };
    ASSERT_TRUE(eventually([&] {
        return !session.hasBusName(GnomeSession::drowselBusName) && session.hasBusName("org.freedesktop.Notifications");
    }));
    const auto mock = [&](const std::string& method, const std::vector<std::string>& arguments) {
        return session.call("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                            "org.freedesktop.DBus.Mock." + method, arguments);
    };
    // How many notices were sent and how many named AppIndicator; which were closed.
    const auto seen = [&] {
        const auto sent = mock("GetMethodCalls", {"Notify"});
        const auto closed = mock("GetMethodCalls", {"CloseNotification"});
        const auto matches = [](const std::string& text, const std::string& what) {
            const std::regex pattern(what);
            return std::vector<std::string>(std::sregex_token_iterator(text.begin(), text.end(), pattern, 1), {});
        };
        auto ids = matches(closed, R"(<(?:uint32 )?(\d+)>)");
        std::ranges::sort(ids);
        return std::to_string(matches(sent, "('Drowsel')").size()) + " sent, " +
               std::to_string(matches(sent, "(AppIndicator)").size()) + " naming AppIndicator, closed " +
               std::accumulate(ids.begin(), ids.end(), std::string());
    };
    const auto address = QString::fromStdString(session.busAddress());
    const auto bus = QDBusConnection::connectToBus(address, "notices");
    fakes::RecordingLogSink log;
    DesktopNotifications notifications(Logger(log, "com.drowsel.Drowsel", "notifications"), bus);
    std::vector<std::unique_ptr<ShellExtensionNotice>> notices;
    const auto expectNotices = [&](const std::vector<ShellExtensionNotice::Session>& sessions,
                                   const std::string& expected) {
        for (const auto& shown : sessions) {
            notices.push_back(
                std::make_unique<ShellExtensionNotice>(notifications, Logger(log, "test", "notice"), shown, bus, 0));
        }
        EXPECT_TRUE(eventually([&] { return seen() == expected; })) << seen() << " instead of " << expected;
    };
    expectNotices({{"KDE", "wayland-0"}, {"GNOME", ""}, {"ubuntu:GNOME", "wayland-0"}, {"GNOME", "wayland-1"}},
                  "2 sent, 2 naming AppIndicator, closed ");
    auto trayHost = QDBusConnection::connectToBus(address, "tray");
    ASSERT_TRUE(trayHost.registerService("org.kde.StatusNotifierWatcher"));
    expectNotices({{"GNOME", "wayland-0"}}, "3 sent, 2 naming AppIndicator, closed ");
    trayHost.unregisterService("org.kde.StatusNotifierWatcher");

    mock("EmitSignal", {"", "ActionInvoked", "us", "[<uint32 1>, <'enable'>]"});
    const auto states = [&] {
        return std::to_string(session.extensionState(GnomeSession::drowselUuid)) +
               std::to_string(session.extensionState(GnomeSession::appIndicatorUuid)) + ", " + seen();
    };
    EXPECT_TRUE(eventually([&] { return states() == "11, 3 sent, 2 naming AppIndicator, closed 23"; })) << states();
}

} // namespace
} // namespace drowsel::gnometest
