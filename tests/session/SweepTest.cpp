// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program's sweep over real X clients, once for each settings file.
// Every row runs in a session of its own and all rows wait for the same
// once-a-minute sweep, so the table costs one minute at most.
#include "DrowselSession.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>

namespace drowsel::xtest {

namespace {

using namespace std::chrono_literals;
using Names = std::set<std::string>;

struct Client {
    std::string name;
    std::vector<std::string> options;
    bool quitsWhenAsked;
};

// In every row, started before Drowsel, "Active" in use. "Deaf" lists no
// WM_DELETE_WINDOW, so it cannot be asked.
const Client clients[] = {{"Idle", {}, true},
                          {"Stays", {"--ignore-delete"}, false},
                          {"Dock", {"--dock"}, false},
                          {"Deaf", {"--no-delete"}, false},
                          {"Active", {}, true}};

struct Row {
    std::string name;
    QByteArray settings;
    Names asked;
    bool replacesWindowManager = false;
};

constexpr char garbage[] = "\xff\xfe\x00=\x01\n[General\nhoursUntilClose\n=0\n\x80\xc3(=\xe9\n[[[]]\n";

// Hand-edited values of the wrong type count as unset: the limit is then 8 hours.
const Row rows[] = {
    {"AllSwitchesOn",
     "hoursUntilClose=0\nshowCloseButton=true\ncom.Drowsel.toggleStatus=@ByteArray({\\\"Idle\\\":true})\n",
     {"Idle", "Stays"}},
    {"SwitchOff", "hoursUntilClose=0\ncom.Drowsel.toggleStatus=@ByteArray({\\\"Idle\\\":false})\n", {"Stays"}},
    {"SwitchesNotBooleans",
     "hoursUntilClose=0\ncom.Drowsel.toggleStatus=@ByteArray({\\\"Idle\\\":0})\n",
     {"Idle", "Stays"}},
    {"NegativeLimit", "hoursUntilClose=-100000\n", {"Idle", "Stays"}},
    {"Garbage", QByteArray(garbage, sizeof garbage - 1), {}},
    {"WrongTypes",
     "hoursUntilClose=@ByteArray(0)\nshowCloseButton=@Rect(1 2 3 4)\ncom.Drowsel.toggleStatus=\"{\\\"Idle\\\":0}\"\n",
     {}},
    {"HugeLimit", "hoursUntilClose=9223372036854775807\n", {}},
    {"LimitBeyondSixtyFourBits", "hoursUntilClose=123456789012345678901234567890\n", {}},
    {"WindowManagerReplaced", "hoursUntilClose=1\n", {}, true},
};

Names askedIn(const std::string& log) {
    Names asked;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        if (const auto end = line.find(" delete request"); end != std::string::npos) {
            asked.insert(line.substr(0, end));
        }
    }
    return asked;
}

// One row's session, up to the sweep and after it.
class RowRun {
public:
    explicit RowRun(const Row& row) : row(row), session(row.settings), settings(session.settingsFile()) {
        for (const auto& client : clients) {
            pids[client.name] = session.startClient(client.name, client.options);
        }
        session.activate("Active");
        drowsel = session.startDrowsel();
        if (row.replacesWindowManager) {
            replaceWindowManager();
        }
    }

    bool hasSwept() const {
        const auto log = session.log();
        return log.find("checkOpenApps", sweepsCountFrom) != std::string::npos &&
               std::ranges::includes(askedIn(log), row.asked);
    }

    void expectOutcome() {
        SCOPED_TRACE(row.name);
        const auto log = session.log();
        EXPECT_EQ(askedIn(log), row.asked) << log;
        for (const auto& client : clients) {
            const pid_t pid = pids.at(client.name);
            if (client.quitsWhenAsked && row.asked.contains(client.name)) {
                EXPECT_TRUE(DrowselSession::waitFor([&] { return !session.x().isRunning(pid); }));
                EXPECT_EQ(session.x().exitStatus(pid), 0) << client.name << " closes by its own choice\n" << log;
            } else {
                EXPECT_TRUE(session.x().isRunning(pid)) << client.name << " is never forced\n" << log;
            }
        }
        EXPECT_TRUE(session.x().isRunning(drowsel)) << log;
        EXPECT_EQ(session.settingsFile(), settings) << "Drowsel leaves the file as it was";
    }

private:
    // The sweep must come after the new window manager has taken over.
    void replaceWindowManager() {
        const auto manager = [&] { return session.x().run({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).output; };
        const auto before = manager();
        ASSERT_TRUE(DrowselSession::waitFor([&] { return session.log().find("Init") != std::string::npos; }));
        session.x().start({"openbox", "--replace", "--sm-disable"});
        ASSERT_TRUE(DrowselSession::waitFor([&] {
            const auto now = manager();
            return now != before && now.find("window id") != std::string::npos;
        }));
        sweepsCountFrom = session.log().size();
    }

    const Row& row;
    DrowselSession session;
    QByteArray settings;
    std::map<std::string, pid_t> pids;
    pid_t drowsel = -1;
    std::size_t sweepsCountFrom = 0;
};

} // namespace

TEST(SweepTest, EachSettingsFileAsksItsClientsToQuitAndNoOthers) {
    std::vector<std::unique_ptr<RowRun>> runs;
    for (const auto& row : rows) {
        runs.push_back(std::make_unique<RowRun>(row));
    }
    // A minute's first second, the next one as well if load made Drowsel miss it.
    EXPECT_TRUE(DrowselSession::waitFor([&] { return std::ranges::all_of(runs, &RowRun::hasSwept); }, 150s));
    for (const auto& run : runs) {
        run->expectOutcome();
    }
}

} // namespace drowsel::xtest
