// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/notify/DesktopNotifications.h"
#include "DisplaySession.h"
#include "QtEventPump.h"
#include "XSession.h"
#include "fakes/FakeApplication.h"
#include "fakes/RecordingLogSink.h"

#include <gtest/gtest.h>

#include <regex>

namespace drowsel {

namespace {

using Answer = QuitWarnings::Answer;
const std::vector<std::string> onServer{"gdbus",
                                        "call",
                                        "--session",
                                        "--dest",
                                        "org.freedesktop.Notifications",
                                        "--object-path",
                                        "/org/freedesktop/Notifications",
                                        "--method"};

bool eventually(const std::function<bool()>& condition) {
    return processes::ChildProcesses::waitUntil(condition, std::chrono::seconds(30), pumpQtEvents);
}

// A private session bus without service activation, and the notification servers a test starts on it.
class NotificationBus : public processes::DisplaySession {
public:
    NotificationBus() : DisplaySession("notify") {
        std::ofstream(path("bus.conf")) << "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                                        << "<auth>EXTERNAL</auth><policy context=\"default\"><allow own=\"*\"/>"
                                        << "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                        << "<allow eavesdrop=\"true\"/></policy></busconfig>";
        const auto bus = ChildProcesses::start(
            {"sh", "-c",
             "exec dbus-daemon --nofork --config-file=" + path("bus.conf") + " --print-address=3 3>" + path("address")},
            environment(), path("bus.log"));
        address = firstLineOf(path("address"), bus, "bus.log");
        setVariable("DBUS_SESSION_BUS_ADDRESS", address);
    }
    ~NotificationBus() override { QDBusConnection::disconnectFromBus(QString::fromStdString(address)); }

    QDBusConnection connection() const {
        return QDBusConnection::connectToBus(QString::fromStdString(address), QString::fromStdString(address));
    }
    pid_t startMock() {
        const auto mock = start({"/usr/bin/python3", "-m", "dbusmock", "--template", "notification_daemon", "-p",
                                 R"({"capabilities":"actions body"})"});
        EXPECT_TRUE(eventually([&] { return callsOf("Notify") == "(@a(tav) [],)\n"; })) << "no mock server";
        return mock;
    }
    // The calls the mock server took, without their times.
    std::string callsOf(const std::string& method) const {
        return std::regex_replace(server("org.freedesktop.DBus.Mock.GetMethodCalls", {method}),
                                  std::regex(R"(\((uint64 )?\d+, \[)"), "([");
    }
    void emitAction(int serverId, const std::string& key) const {
        server("org.freedesktop.DBus.Mock.EmitSignal",
               {"", "ActionInvoked", "us", "[<uint32 " + std::to_string(serverId) + ">, <'" + key + "'>]"});
    }
    std::string server(const std::string& method, const std::vector<std::string>& arguments) const {
        auto command = onServer;
        command.push_back(method);
        command.insert(command.end(), arguments.begin(), arguments.end());
        return run(command).output;
    }

private:
    std::string address;
};

class DesktopNotificationsTest : public ::testing::Test {
protected:
    ApplicationHandle application(const std::string& name) {
        return ApplicationHandle(std::make_shared<fakes::FakeApplication>(fakes::FakeApplication::Properties{name}));
    }
    QuitWarnings::AnswerHandler recordAnswer(const std::string& name) {
        return [this, name](Answer answer) { answers.emplace_back(name, answer); };
    }

    NotificationBus bus;
    fakes::RecordingLogSink log;
    DesktopNotifications notifications{Logger(log, "com.drowsel.Drowsel", "Notifications"), bus.connection()};
    std::vector<std::pair<std::string, Answer>> answers;
};

TEST_F(DesktopNotificationsTest, WarningsReplaceTheirOwnAnswersRunOnceAndWithdrawnOnesNever) {
    bus.startMock();
    const auto xcalc = application("XCalc");
    const auto xeyes = application("XEyes");
    notifications.warn(xcalc, 5, recordAnswer("XCalc"));
    notifications.warn(xeyes, 2, recordAnswer("XEyes"));
    notifications.warn(xeyes, 4, recordAnswer("XEyes")); // replaces it once the server has named it
    const auto withdrawn = application("XClock");
    notifications.warn(withdrawn, 3, recordAnswer("XClock"));
    notifications.withdraw(withdrawn); // before the server has named it
    ASSERT_TRUE(eventually([&] { return bus.callsOf("CloseNotification") == "([([<3>])],)\n"; }))
        << bus.callsOf("CloseNotification");
    notifications.warn(xcalc, 1, recordAnswer("XCalc"));
    ASSERT_TRUE(eventually([&] { return bus.callsOf("Notify").find("1 minute'") != std::string::npos; }));

    const auto call = [&](int replaced, const std::string& summary) {
        return "([<'Drowsel'>, <uint32 " + std::to_string(replaced) + ">, <'com.drowsel.Drowsel'>, <'" + summary +
               "'>, <''>, <['keep-open', 'Keep open', 'quit-now', 'Quit now']>, "
               "<{'desktop-entry': <'com.drowsel.Drowsel'>}>, <-1>])";
    };
    EXPECT_EQ(bus.callsOf("Notify"), "([" + call(0, "XCalc will be asked to quit in 5 minutes") + ", " +
                                         call(0, "XEyes will be asked to quit in 2 minutes") + ", " +
                                         call(0, "XClock will be asked to quit in 3 minutes") + ", " +
                                         call(2, "XEyes will be asked to quit in 4 minutes") + ", " +
                                         call(1, "XCalc will be asked to quit in 1 minute") + "],)\n");

    for (const auto& [serverId, key] :
         {std::pair{3, "quit-now"}, {1, "open-sesame"}, {1, "quit-now"}, {1, "keep-open"}, {2, "keep-open"}}) {
        bus.emitAction(serverId, key);
    }
    // Signals come in order: once the last has been answered, every earlier one has been seen.
    ASSERT_TRUE(eventually([&] { return answers.size() >= 2; }));
    EXPECT_EQ(answers, (decltype(answers){{"XCalc", Answer::quitNow}, {"XEyes", Answer::keepOpen}}));
}

// Without a server one line is logged, not one per warning; a server that
// comes later is used, and the ids of one that went are forgotten.
TEST_F(DesktopNotificationsTest, WithoutAServerOneLineIsLoggedAndAServerThatComesIsUsed) {
    fakes::RecordingLogSink busless;
    DesktopNotifications({busless, "", ""}, QDBusConnection::connectToBus("unix:path=/nonexistent", "none"))
        .warn(application("Nowhere"), 5, recordAnswer("Nowhere"));
    notifications.warn(application("Early"), 5, recordAnswer("Early"));
    notifications.warn(application("Later"), 5, recordAnswer("Later"));
    ASSERT_TRUE(eventually([&] { return !log.lines.empty(); }));

    const auto first = bus.startMock();
    notifications.warn(application("Old"), 5, recordAnswer("Old"));
    ASSERT_TRUE(eventually([&] { return bus.callsOf("Notify").find("Old") != std::string::npos; }));
    bus.stop(first);
    bus.startMock();
    bus.emitAction(1, "keep-open"); // the new server's id 1 is not the old one's
    notifications.warn(application("New"), 5, recordAnswer("New"));
    ASSERT_TRUE(eventually([&] { return bus.callsOf("Notify").find("New") != std::string::npos; }));
    bus.emitAction(1, "keep-open");
    ASSERT_TRUE(eventually([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, (decltype(answers){{"New", Answer::keepOpen}}));
    EXPECT_EQ(busless.lines.size(), 1u);
    EXPECT_EQ(std::ranges::count(log.lines, LogSink::Level::error, &fakes::RecordingLogSink::Line::level), 1)
        << log.lines.back().message;
}

// dunst shows the warning, and its context menu (a script standing in for dmenu) picks an action.
TEST_F(DesktopNotificationsTest, DunstShowsTheWarningAndItsActionRunsTheHandler) {
    if (bus.run({"sh", "-c", "command -v dunst"}).exitCode != 0) {
        GTEST_SKIP() << "dunst is not installed";
    }
    xtest::XSession display;
    std::ofstream(bus.folder() + "/dunstrc") << "[global]\ndmenu = /bin/sh -c \"grep quit-now\"\n";
    bus.start({"dunst", "-config", bus.folder() + "/dunstrc"}, {"DISPLAY=" + display.display()});
    ASSERT_TRUE(eventually([&] { return bus.run({"dunstctl", "count"}).exitCode == 0; })) << "dunst did not start";
    notifications.warn(application("XCalc"), 5, recordAnswer("XCalc"));
    ASSERT_TRUE(eventually([&] {
        return bus.run({"dunstctl", "count", "displayed"}).output == "1\n";
    })) << bus.run({"dunstctl", "count"}).output;
    bus.run({"dunstctl", "action", "0"});
    ASSERT_TRUE(eventually([&] { return !answers.empty(); }));
    EXPECT_EQ(answers, (decltype(answers){{"XCalc", Answer::quitNow}}));
}

} // namespace

} // namespace drowsel
