#include "DesktopSession.h"

#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <string>
#include <thread>

namespace drowsel::xtest {

namespace {

using namespace std::chrono_literals;

// The sweep that comes with the panel closed: the first second of a minute.
constexpr auto minuteSweep = 65s;

std::vector<std::string> namesOf(const std::vector<DesktopSession::Row>& rows) {
    std::vector<std::string> names;
    for (const auto& row : rows) {
        names.push_back(row.name);
    }
    return names;
}

// Whether the row shows its time left in seconds, "-7s left" being -7 (the
// limit is 0 wherever a test reads seconds), and the number passes the check.
bool showsSeconds(const std::optional<DesktopSession::Row>& row, const std::function<bool(int)>& check) {
    return row && row->timeLeft && row->timeLeft->ends_with("s left") && check(std::stoi(*row->timeLeft));
}

using Switches = std::map<std::string, bool>;

class EndToEndTest : public testing::Test {
protected:
    pid_t startClient(const std::vector<std::string>& command, const std::string& windowClass) {
        const pid_t pid = session.x().start(command);
        EXPECT_TRUE(XSession::waitUntil([&] { return !session.windowsOfClass(windowClass).empty(); }, 10s))
            << windowClass;
        return pid;
    }
    pid_t startFixture(const std::string& name, const std::vector<std::string>& options = {}) {
        std::vector<std::string> command{DROWSEL_FIXTURE_CLIENT, "--class", "fixture", name};
        command.insert(command.end(), options.begin(), options.end());
        return startClient(command, name);
    }
    void activate(const std::string& windowClass) {
        session.x().run({"xdotool", "windowactivate", "--sync", session.windowsOfClass(windowClass).front()});
    }
    // The panel's rows once it shows as many, else the last ones read.
    std::vector<DesktopSession::Row> rowsOnceThereAre(std::size_t count) {
        std::vector<DesktopSession::Row> rows;
        DesktopSession::waitUntil([&] {
            rows = session.panelRows();
            return rows.size() == count;
        });
        return rows;
    }
    bool hasRow(const std::string& name) { return session.panelRow(name).has_value(); }
    // Each none while the panel or the control is not on screen.
    std::optional<bool> switchOf(const std::string& name) {
        const auto row = session.panelRow(name);
        return row ? std::optional(row->isOn) : std::nullopt;
    }
    std::optional<std::string> timeLeftOf(const std::string& name) {
        const auto row = session.panelRow(name);
        return row ? row->timeLeft : std::nullopt;
    }
    std::optional<bool> checkedState(const std::string& control) {
        const auto found = session.control(control);
        return found ? std::optional(found->isChecked) : std::nullopt;
    }
    std::optional<std::string> textOf(const std::string& control) {
        const auto found = session.control(control);
        return found ? std::optional(found->text) : std::nullopt;
    }
    bool hasEnded(pid_t pid) { return !session.x().isRunning(pid); }
    // The switch map as Drowsel.conf holds it; empty when there is none.
    Switches storedSwitches() {
        const QSettings file(session.settingsPath(), QSettings::IniFormat);
        const auto stored = file.value("com.Drowsel.toggleStatus").toByteArray().toStdString();
        return stored.empty() ? Switches() : nlohmann::json::parse(stored).get<Switches>();
    }

    DesktopSession session;
};

} // namespace

// An application seen at start-up is spared while in use, is left, and is asked
// to quit at the next sweep; one launched later joins at a sweep. The panel
// shows each step; with the panel closed the sweep comes once a minute.
TEST_F(EndToEndTest, ApplicationRoadFromStartUpThroughDeactivationsToItsQuit) {
    session.writeSettings("hoursUntilClose=0\n");
    const pid_t alpha = startFixture("Alpha");
    activate("Alpha");
    session.launchDrowsel();

    ASSERT_TRUE(session.openPanel());
    ASSERT_TRUE(DesktopSession::waitUntil([&] { return hasRow("Alpha"); }));
    EXPECT_EQ(switchOf("Alpha"), true);
    // The open panel brings a sweep every second: the application in use is spared.
    const pid_t beta = startFixture("Beta");
    activate("Beta");
    EXPECT_TRUE(DesktopSession::waitUntil([&] { return hasRow("Beta") && !hasRow("Alpha"); }))
        << "Alpha was left, Beta joined";
    EXPECT_TRUE(XSession::waitUntil([&] { return hasEnded(alpha); }));
    EXPECT_EQ(session.x().exitStatus(alpha), 0) << "closed by its own choice";
    EXPECT_TRUE(session.x().isRunning(beta)) << "in use";
    ASSERT_TRUE(session.closePanel());

    const pid_t gamma = startFixture("Gamma");
    activate("Gamma");
    EXPECT_TRUE(
        XSession::waitUntil([&] { return hasEnded(beta); }, minuteSweep, [] { std::this_thread::sleep_for(200ms); }));
    EXPECT_EQ(session.x().exitStatus(beta), 0);
    EXPECT_TRUE(session.x().isRunning(gamma));
    ASSERT_TRUE(session.openPanel());
    EXPECT_TRUE(
        DesktopSession::waitUntil([&] { return namesOf(session.panelRows()) == std::vector<std::string>{"Gamma"}; }));
    EXPECT_TRUE(session.x().isRunning(session.drowsel()));
}

// Switches clicked in the open panel decide which applications the user left
// are asked to quit; every click is stored at once.
TEST_F(EndToEndTest, SwitchesClickedInThePanelDecideWhichLeftApplicationsQuit) {
    session.writeSettings(R"(hoursUntilClose=0
com.Drowsel.toggleStatus=@ByteArray({\"XCalc\":false})
)");
    const pid_t calculator = startClient({"xcalc"}, "XCalc");
    // Refuses to be asked: it stays, and its row counts the seconds since it was left.
    startFixture("Deaf", {"--no-delete"});
    const pid_t terminal = startClient({"xterm"}, "XTerm");
    activate("XTerm");
    session.launchDrowsel();

    ASSERT_TRUE(session.openPanel());
    const auto rows = rowsOnceThereAre(3);
    ASSERT_EQ(namesOf(rows), (std::vector<std::string>{"Deaf", "XCalc", "XTerm"}));
    EXPECT_TRUE(rows[0].isOn && rows[2].isOn);
    EXPECT_FALSE(rows[1].isOn);
    EXPECT_FALSE(rows[1].timeLeft) << "no time left while switched off";

    ASSERT_TRUE(session.press("Quit XCalc automatically"));
    EXPECT_TRUE(DesktopSession::waitUntil([&] { return !hasRow("XCalc") && hasEnded(calculator); }))
        << "left long ago, switched on, quit at the next sweep";
    EXPECT_EQ(storedSwitches(), (Switches{{"XCalc", true}}));

    ASSERT_TRUE(session.press("Quit XTerm automatically"));
    ASSERT_TRUE(DesktopSession::waitUntil([&] { return switchOf("XTerm") == false; }));
    EXPECT_EQ(storedSwitches(), (Switches{{"XCalc", true}, {"XTerm", false}}));
    ASSERT_TRUE(DesktopSession::waitUntil(
        [&] { return showsSeconds(session.panelRow("Deaf"), [](int left) { return left < 0; }); }));
    activate("Deaf");
    // A sweep with Deaf in use stamps it; XTerm, left and switched off, stays.
    ASSERT_TRUE(DesktopSession::waitUntil(
        [&] { return showsSeconds(session.panelRow("Deaf"), [](int left) { return left == 0; }); }));
    EXPECT_TRUE(hasRow("XTerm"));
    EXPECT_TRUE(session.x().isRunning(terminal));

    ASSERT_TRUE(session.press("Quit XTerm automatically"));
    EXPECT_TRUE(DesktopSession::waitUntil([&] { return !hasRow("XTerm") && hasEnded(terminal); }));
    EXPECT_EQ(storedSwitches(), (Switches{{"XCalc", true}, {"XTerm", true}}));
}

// The reset button restarts a row's clock; the quit button asks at once, even
// the application in use, and leaves the switches alone.
TEST_F(EndToEndTest, ResetAndQuitButtonsClickedInThePanel) {
    session.writeSettings("hoursUntilClose=0\nshowCloseButton=true\n");
    startFixture("Deaf", {"--no-delete"});
    const pid_t quitter = startFixture("Quitter");
    activate("Quitter");
    session.launchDrowsel();

    ASSERT_TRUE(session.openPanel());
    ASSERT_TRUE(DesktopSession::waitUntil(
        [&] { return showsSeconds(session.panelRow("Deaf"), [](int left) { return left <= -3; }); }));
    ASSERT_TRUE(session.press("Reset idle time of Deaf"));
    EXPECT_TRUE(DesktopSession::waitUntil([&] {
        return showsSeconds(session.panelRow("Deaf"), [](int left) { return left >= -1; });
    })) << timeLeftOf("Deaf").value_or("hidden");

    ASSERT_TRUE(hasRow("Quitter"));
    ASSERT_TRUE(session.press("Quit Quitter now"));
    EXPECT_TRUE(DesktopSession::waitUntil([&] { return !hasRow("Quitter") && hasEnded(quitter); }));
    EXPECT_EQ(session.x().exitStatus(quitter), 0);
    EXPECT_TRUE(hasRow("Deaf"));
    EXPECT_EQ(storedSwitches(), Switches());
}

// The settings window opened from the panel: the limit set with the stepper
// reaches the rows at once; launch at login writes and removes the autostart entry.
TEST_F(EndToEndTest, SettingsWindowFromThePanelSetsTheLimitAndLaunchAtLogin) {
    const std::string stepper = "Idle time in hours until quitting";
    startClient({"xcalc"}, "XCalc");
    startClient({"xterm"}, "XTerm");
    activate("XTerm");
    session.launchDrowsel();

    ASSERT_TRUE(session.openPanel());
    // A row's own fallback limit is 12 hours; XCalc has been idle for a second at least.
    ASSERT_TRUE(DesktopSession::waitUntil([&] { return timeLeftOf("XCalc") == "11h left"; }));
    ASSERT_TRUE(session.press("Settings"));
    ASSERT_TRUE(
        DesktopSession::waitUntil([&] { return session.shownWindow("Settings") && !session.shownWindow("Drowsel"); }));
    EXPECT_EQ(textOf(stepper), "24h");

    ASSERT_TRUE(session.stepUp(stepper));
    EXPECT_TRUE(DesktopSession::waitUntil([&] { return textOf(stepper) == "25h"; }));
    EXPECT_TRUE(session.settingsFile().contains("hoursUntilClose=25"));
    ASSERT_TRUE(session.openPanel());
    EXPECT_EQ(timeLeftOf("XCalc"), "24h left");
    ASSERT_TRUE(session.closePanel());

    const QString autostart = session.autostartFile();
    ASSERT_TRUE(session.press("Launch at login"));
    ASSERT_TRUE(DesktopSession::waitUntil([&] { return QFile::exists(autostart); }));
    EXPECT_EQ(checkedState("Launch at login"), true);
    QFile entry(autostart);
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("Exec=" DROWSEL_BINARY)) << "starts the installed program";
    ASSERT_TRUE(session.press("Launch at login"));
    EXPECT_TRUE(DesktopSession::waitUntil([&] { return !QFile::exists(autostart); }));
    EXPECT_EQ(checkedState("Launch at login"), false);
}

// Switches set in the panel survive "Quit Drowsel" and a new start; the rows
// come in name order.
TEST_F(EndToEndTest, RestartKeepsEverySwitch) {
    const pid_t terminal = startClient({"xterm"}, "XTerm");
    startClient({"xeyes"}, "XEyes");
    startFixture("Beta");
    startClient({"xclock"}, "XClock");
    startClient({"xcalc"}, "XCalc");
    const std::vector<std::string> names{"Beta", "XCalc", "XClock", "XEyes", "XTerm"};
    const pid_t first = session.launchDrowsel();

    ASSERT_TRUE(session.openPanel());
    ASSERT_EQ(namesOf(rowsOnceThereAre(names.size())), names);
    for (const char* name : {"Quit XClock automatically", "Quit XEyes automatically", "Quit XCalc automatically"}) {
        ASSERT_TRUE(session.press(name));
        ASSERT_TRUE(DesktopSession::waitUntil([&] { return checkedState(name) == false; })) << name;
    }
    ASSERT_TRUE(session.press("Quit XCalc automatically"));
    ASSERT_TRUE(DesktopSession::waitUntil([&] { return checkedState("Quit XCalc automatically") == true; }));
    const Switches stored{{"XCalc", true}, {"XClock", false}, {"XEyes", false}};
    EXPECT_EQ(storedSwitches(), stored);

    ASSERT_TRUE(session.press("Quit Drowsel"));
    ASSERT_TRUE(XSession::waitUntil([&] { return hasEnded(first); }));
    EXPECT_EQ(session.x().exitStatus(first), 0);
    EXPECT_TRUE(session.x().isRunning(terminal));

    session.launchDrowsel();
    ASSERT_TRUE(session.openPanel());
    const auto rows = rowsOnceThereAre(names.size());
    ASSERT_EQ(namesOf(rows), names);
    std::vector<bool> switches;
    for (const auto& row : rows) {
        switches.push_back(row.isOn);
    }
    EXPECT_EQ(switches, (std::vector<bool>{true, true, false, false, true}));
    EXPECT_EQ(storedSwitches(), stored);
}

} // namespace drowsel::xtest
