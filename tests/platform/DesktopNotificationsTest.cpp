// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/notify/DesktopNotifications.h"
#include "DisplaySession.h"
#include "QtEventPump.h"
#include "fakes/FakeApplication.h"
#include "fakes/RecordingLogSink.h"

#include <gtest/gtest.h>

#include <array>
#include <regex>

namespace drowsel {

namespace {

bool eventually(const std::function<bool()>& condition) {
    return processes::ChildProcesses::waitUntil(condition, std::chrono::seconds(30), pumpQtEvents);
}

// A private session bus without service activation, and the notification servers a test starts on it.
class NotificationBus : public processes::DisplaySession {
public:
    NotificationBus() : DisplaySession("notify") {
        std::ofstream(path("bus.conf")) << "<busconfig><listen>unix:tmpdir=/tmp</listen><policy context='default'>"
                                           "<allow send_destination='*'/><allow eavesdrop='true'/><allow own='*'/>"
                                           "</policy></busconfig>";
        const auto bus = start(
            {"sh", "-c",
             "cd " + folder() + " && exec dbus-daemon --nofork --config-file=bus.conf --print-address=3 3>address"});
        address = QString::fromStdString(firstLineOf(path("address"), bus, "bus.log"));
        setVariable("DBUS_SESSION_BUS_ADDRESS", address.toStdString());
    }

    pid_t startMock() {
        const auto server = start({"/usr/bin/python3", "-m", "dbusmock", "--template", "notification_daemon", "-p",
                                   R"({"capabilities":"actions body"})"});
        EXPECT_TRUE(eventually([&] { return callsOf("Notify") == "(@a(tav) [],)\n"; })) << "no mock server";
        return server;
    }
    // The calls the mock server took, without their times.
    std::string callsOf(const std::string& method) const {
        return std::regex_replace(mock("GetMethodCalls", {method}), std::regex(R"(\((uint64 )?\d+, \[)"), "([");
    }
    void emitAction(int serverId, const std::string& key) const {
        mock("EmitSignal", {"", "ActionInvoked", "us", "[<uint32 " + std::to_string(serverId) + ">, <'" + key + "'>]"});
    }
    std::string mock(const std::string& method, std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {"gdbus", "call", "--session", "--dest=org.freedesktop.Notifications",
                                             "--object-path=/org/freedesktop/Notifications",
                                             "--method=org.freedesktop.DBus.Mock." + method});
        return run(arguments).output;
    }

    QString address;
};

class DesktopNotificationsTest : public ::testing::Test {
protected:
    using Answer = QuitWarnings::Answer;

    ApplicationHandle application(const std::string& name) {
        return ApplicationHandle(std::make_shared<fakes::FakeApplication>(fakes::FakeApplication::Properties{name}));
    }
    QuitWarnings::AnswerHandler recordAnswer(const std::string& name) {
        return [this, name](Answer said) { answers.push_back(name + (said == Answer::keepOpen ? " kept" : " quit")); };
    }

    NotificationBus bus;
    fakes::RecordingLogSink log;
    DesktopNotifications notifications{Logger(log, "com.drowsel.Drowsel", "Notifications"),
                                       QDBusConnection::connectToBus(bus.address, bus.address)};
    std::vector<std::string> answers;
};

// One line is logged while there is no server, not one per warning. Answers
// run once, for an action the warning offers; never for one withdrawn, nor
// for an id of a server that went.
TEST_F(DesktopNotificationsTest, WarningsReachTheServerAndAnswersRunOnlyForTheirOwn) {
    notifications.warn(application("Early"), 5, recordAnswer("Early"));
    notifications.warn(application("Later"), 5, recordAnswer("Later"));

    const auto firstServer = bus.startMock();
    const auto [xcalc, xeyes, xclock] = std::array{application("XCalc"), application("XEyes"), application("XClock")};
    notifications.warn(xcalc, 5, recordAnswer("XCalc"));
    notifications.warn(xeyes, 2, recordAnswer("XEyes"));
    notifications.warn(xeyes, 4, recordAnswer("XEyes")); // replaces it once the server has named it
    notifications.warn(xclock, 3, recordAnswer("XClock"));
    notifications.withdraw(xclock); // before the server has named it
    ASSERT_TRUE(eventually([&] { return bus.callsOf("CloseNotification") == "([([<3>])],)\n"; }))
        << bus.callsOf("CloseNotification");
    notifications.warn(xcalc, 1, recordAnswer("XCalc"));
    ASSERT_TRUE(eventually([&] { return bus.callsOf("Notify").find("1 minute'") != std::string::npos; }));
    const auto call = [](int replaced, const std::string& name, const std::string& time) {
        return "([<'Drowsel'>, <uint32 " + std::to_string(replaced) + ">, <'com.drowsel.Drowsel'>, <'" + name +
               " will be asked to quit in " + time +
               "'>, <''>, <['keep-open', 'Keep open', 'quit-now', "
               "'Quit now']>, <{'desktop-entry': <'com.drowsel.Drowsel'>}>, <0>])";
    };
    EXPECT_EQ(bus.callsOf("Notify"), "([" + call(0, "XCalc", "5 minutes") + ", " + call(0, "XEyes", "2 minutes") +
                                         ", " + call(0, "XClock", "3 minutes") + ", " + call(2, "XEyes", "4 minutes") +
                                         ", " + call(1, "XCalc", "1 minute") + "],)\n");

    for (const auto& [id, key] : {std::pair{3, "quit-now"}, {2, "open-sesame"}, {2, "keep-open"}, {2, "quit-now"}}) {
        bus.emitAction(id, key);
    }
    bus.stop(firstServer);
    bus.startMock();
    bus.emitAction(1, "keep-open"); // not XCalc's id on this server
    const auto newcomer = application("New");
    notifications.warn(newcomer, 5, recordAnswer("New"));
    notifications.warn(newcomer, 4, recordAnswer("New")); // sent once the id is known: an answer can then be taken
    ASSERT_TRUE(eventually([&] { return bus.callsOf("Notify").find("4 minutes") != std::string::npos; }));
    bus.emitAction(1, "quit-now");
    // Signals come in order: once the last has been answered, every earlier one has been seen.
    ASSERT_TRUE(eventually([&] { return answers.size() >= 2; }));
    EXPECT_EQ(answers, (std::vector<std::string>{"XEyes kept", "New quit"}));
    EXPECT_EQ(std::ranges::count(log.lines, LogSink::Level::error, &fakes::RecordingLogSink::Line::level), 1)
        << log.lines.back().message;
}

} // namespace

} // namespace drowsel
