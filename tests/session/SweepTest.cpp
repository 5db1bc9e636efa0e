// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program's sweep over real X clients, once for each settings file.
// Every row runs in a session of its own and all rows wait for the same
// once-a-minute sweep: the table waits about a minute, not a minute a row.
#include "DrowselSession.h"
#include "SoundSession.h"

#include <gtest/gtest.h>

#include <fstream>
#include <list>
#include <map>
#include <optional>
#include <ranges>
#include <set>

namespace drowsel::xtest {

namespace {

// In every row, started before Drowsel, "Active" in use. "Deaf" lists no
// WM_DELETE_WINDOW, so it cannot be asked; "Stays" stays when asked.
const std::map<std::string, std::vector<std::string>> clients{
    {"Idle", {}}, {"Stays", {"--ignore-delete"}}, {"Dock", {"--dock"}}, {"Deaf", {"--no-delete"}}, {"Active", {}}};

enum class Tray { fromTheStart, none, afterTheFirstSweep };

struct Row {
    std::string name;
    std::string settings;
    std::set<std::string> asked;
    bool replacesWindowManager = false;
    Tray tray = Tray::fromTheStart;
    // Three more clients: one playing sound, a terminal running a command and one at its prompt.
    bool withWorkers = false;
    // Drowsel's wall clock is set by this much (libfaketime) once it runs, as a user may set it.
    std::string wallClockSet{};
    // Run in the session just before Drowsel starts.
    std::vector<std::string> beforeDrowsel{};
};

// The switches line as Drowsel writes it: JSON in a byte array, quotes escaped.
std::string switches(const std::string& idle) {
    return "\ncom.Drowsel.toggleStatus=@ByteArray({\\\"Idle\\\":" + idle + "})";
}

const char garbage[] = "\xff\xfe\x00=\x01\n[General\nhoursUntilClose\n=0\n\x80\xc3(=\xe9\n[[[]]\n";

// A switch map that is no JSON object of booleans reads as none; values of
// the wrong type count as unset, so the limit is 8 hours.
const Row rows[] = {
    {"AllSwitchesOn", "hoursUntilClose=0\nshowCloseButton=true" + switches("true"), {"Idle", "Stays"}},
    {"SwitchOff", "hoursUntilClose=0" + switches("false"), {"Stays"}},
    {"SwitchesNotBooleans", "hoursUntilClose=0" + switches("0"), {"Idle", "Stays"}},
    {"NegativeLimit", "hoursUntilClose=-100000", {"Idle", "Stays"}},
    {"Garbage", std::string(garbage, sizeof garbage - 1), {}},
    {"WrongTypes", "hoursUntilClose=@ByteArray(0)\nshowCloseButton=@Rect(1 2 3 4)\ncom.Drowsel.toggleStatus={}", {}},
    {"HugeLimit", "hoursUntilClose=9223372036854775807", {}},
    {"LimitBeyondSixtyFourBits", "hoursUntilClose=123456789012345678901234567890", {}},
    {"WindowManagerReplaced", "hoursUntilClose=1", {}, true},
    {"PausedUntilLater", "hoursUntilClose=0\npausedUntil=2999-01-01T06:00:00Z", {}},
    {"PauseOver", "hoursUntilClose=0\npausedUntil=2001-01-01T06:00:00+01:00", {"Idle", "Stays"}},
    {"NoTray", "hoursUntilClose=0", {}, false, Tray::none},
    {"NoTrayYetQuittingAllowed", "hoursUntilClose=0\nquitWithoutTray=true", {"Idle", "Stays"}, false, Tray::none},
    {"TrayComesLater", "hoursUntilClose=0", {"Idle", "Stays"}, false, Tray::afterTheFirstSweep},
    {"AtWork", "hoursUntilClose=0", {"Idle", "Stays"}, false, Tray::fromTheStart, true},
    {"WallClockSetTenHoursOn", "hoursUntilClose=1", {}, false, Tray::fromTheStart, false, "+10h"},
    // The screen saver on all along: no time at the computer has passed since the clients were left.
    {"AwayAllAlong",
     "hoursUntilClose=0\ncountOnlyActiveTime=true",
     {},
     false,
     Tray::fromTheStart,
     false,
     "",
     {"xset", "s", "activate"}},
};

// One row's session, from its start to after the sweep.
struct RowRun {
    explicit RowRun(const Row& row) : row(row), session(row.settings + "\n"), settings(session.settingsFile()) {
        if (row.tray == Tray::fromTheStart) {
            session.startTray();
        }
        for (const auto& [name, options] : clients) {
            pids[name] = session.startClient(name, options);
        }
        if (row.withWorkers) {
            startWorkers();
        }
        session.x().run({"xdotool", "search", "--onlyvisible", "--class", "^Active$", "windowactivate", "--sync"});
        if (!row.beforeDrowsel.empty()) {
            session.x().run(row.beforeDrowsel);
        }
        if (row.wallClockSet.empty()) {
            drowsel = session.startDrowsel();
        } else {
            setWallClock();
        }
        if (row.replacesWindowManager) {
            replaceWindowManager();
        }
    }

    // The sweep that counts comes after the clock was set.
    void setWallClock() {
        const std::string file = clockFolder.filePath("faketime").toStdString();
        std::ofstream(file) << "+0\n";
        drowsel =
            session.startDrowsel("export LD_PRELOAD=" DROWSEL_FAKETIME " FAKETIME_TIMESTAMP_FILE=" + file +
                                 " FAKETIME_NO_CACHE=1 FAKETIME_DONT_FAKE_MONOTONIC=1\n"
                                 "export ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\"\n");
        ASSERT_TRUE(DrowselSession::waitFor([&] { return session.countInLog("Init") > 0; })) << session.log();
        std::ofstream(file) << row.wallClockSet << "\n";
        sweepsBefore = session.countInLog("checkOpenApps");
    }

    void startWorkers() {
        sound.emplace(processes::SoundSession::Server::pulseAudio);
        workers["Player"] = session.startClient("Player", {"--run", "exec paplay --raw /dev/zero"});
        for (const auto& [name, command] : {std::pair<std::string, std::string>{"Busy", "sleep 600"}, {"Prompt", ""}}) {
            std::vector<std::string> xterm{"xterm", "-name", name, "-class", name};
            if (!command.empty()) {
                xterm.insert(xterm.end(), {"-e", command});
            }
            workers[name] = session.startShowing(xterm, name);
        }
    }

    // The sweep that counts comes after the new window manager has taken over.
    void replaceWindowManager() {
        const auto manager = [&] { return session.x().run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).output; };
        const auto before = manager();
        ASSERT_TRUE(DrowselSession::waitFor([&] { return session.countInLog("Init") > 0; })) << session.log();
        session.x().start({"openbox", "--replace", "--sm-disable"});
        ASSERT_TRUE(DrowselSession::waitFor(
            [&] { return manager() != before && manager().find("window id") != std::string::npos; }));
        sweepsBefore = session.countInLog("checkOpenApps");
    }

    std::set<std::string> asked() const {
        std::set<std::string> names;
        std::ranges::copy_if(std::views::keys(clients), std::inserter(names, names.end()),
                             [&](const std::string& name) { return session.countInLog(name + " delete request") > 0; });
        return names;
    }

    // Without a tray nothing is asked; one that comes later lets the next sweep ask.
    bool hasSwept() {
        const bool swept = session.countInLog("checkOpenApps") > sweepsBefore;
        if (swept && row.tray == Tray::afterTheFirstSweep && askedWithoutTray.empty()) {
            askedWithoutTray = {"(none)"};
            std::ranges::copy(asked(), std::inserter(askedWithoutTray, askedWithoutTray.end()));
            session.startTray();
            sweepsBefore = session.countInLog("checkOpenApps");
            return false;
        }
        const bool workersSeen =
            !row.withWorkers || session.countInLog("Prompt to quit") + session.countInLog("Spared Prompt") > 0;
        return swept && workersSeen && std::ranges::includes(asked(), row.asked);
    }

    void expectOutcome() {
        SCOPED_TRACE(row.name);
        const auto log = session.log();
        EXPECT_EQ(asked(), row.asked) << log;
        if (row.tray == Tray::afterTheFirstSweep) {
            EXPECT_EQ(askedWithoutTray, std::set<std::string>{"(none)"}) << "asked before the tray came, in " << log;
        }
        for (const auto& [name, pid] : pids) {
            const bool quits = row.asked.contains(name) && name != "Stays";
            DrowselSession::waitFor([&] { return session.x().isRunning(pid) != quits; });
            EXPECT_EQ(session.x().exitStatus(pid), quits ? std::optional(0) : std::nullopt)
                << name << " (0: closed itself when asked; nullopt: still runs), in " << log;
        }
        EXPECT_TRUE(session.x().isRunning(drowsel)) << log;
        if (row.withWorkers) {
            expectWorkersSpared(log);
        }
        EXPECT_EQ(session.settingsFile(), settings) << "Drowsel leaves the file as it was";
    }

    // Only the terminal at its prompt goes; the log says why the others stay.
    void expectWorkersSpared(const std::string& log) {
        EXPECT_GT(session.countInLog("Spared Player: playing sound"), 0u) << log;
        EXPECT_GT(session.countInLog("Spared Busy: running a command"), 0u) << log;
        EXPECT_EQ(session.countInLog("Player delete request"), 0u) << log;
        EXPECT_TRUE(DrowselSession::waitFor([&] { return !session.x().isRunning(workers["Prompt"]); })) << log;
        EXPECT_TRUE(session.x().isRunning(workers["Busy"])) << log;
    }

    const Row& row;
    std::optional<processes::SoundSession> sound;
    QTemporaryDir clockFolder;
    std::map<std::string, pid_t> workers;
    DrowselSession session;
    std::string settings;
    std::map<std::string, pid_t> pids;
    pid_t drowsel = -1;
    std::size_t sweepsBefore = 0;
    std::set<std::string> askedWithoutTray;
};

} // namespace

TEST(SweepTest, EachSettingsFileAsksItsClientsToQuitAndNoOthers) {
    std::list<RowRun> runs(std::begin(rows), std::end(rows));
    // A minute's first second, the next one as well if load made Drowsel miss
    // it, and one more for the row whose tray comes after the first.
    EXPECT_TRUE(DrowselSession::waitFor(
        [&] { return std::ranges::count_if(runs, &RowRun::hasSwept) == std::ssize(runs); }, std::chrono::seconds(210)));
    std::ranges::for_each(runs, &RowRun::expectOutcome);
}

} // namespace drowsel::xtest
