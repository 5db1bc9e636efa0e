// Clients that take a close request and keep running: one ignores it, one
// asks the user about unsaved work. Neither is ever forced.
#include "FaultSession.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

namespace drowsel::xtest {

namespace {

using namespace std::chrono_literals;

// For each client, the sweeps (counted in the log) that asked it to close.
std::map<std::string, std::set<int>> askingSweeps(const std::string& log) {
    std::map<std::string, std::set<int>> sweeps;
    int sweep = 0;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        if (line.ends_with("checkOpenApps")) {
            ++sweep;
        } else if (const auto end = line.find(" delete request"); end != std::string::npos) {
            sweeps[line.substr(0, end)].insert(sweep);
        }
    }
    return sweeps;
}

} // namespace

// With a limit of 0 hours and the panel open, a sweep runs every second. An
// accepted request ends the tracking; the next sweep tracks the client afresh
// with its own date, and the one after that asks again.
TEST(StubbornClientTest, ClientsThatStayAreTrackedAfreshAndAskedAgainNeverForced) {
    FaultSession session;
    session.desktop().writeSettings("hoursUntilClose=0\n");
    auto& x = session.x();
    session.startTray();
    const pid_t deaf = session.startClient("Deaf", {"--ignore-delete"});
    const pid_t prompt = session.startClient("Prompt", {"--save-prompt"});
    const pid_t user = session.startClient("User");
    session.activate("User");
    const pid_t drowsel = session.startDrowsel();
    session.openPanel(drowsel);

    const bool askedRepeatedly = XSession::waitUntil(
        [&] {
            return askingSweeps(session.log())["Deaf"].size() >= 3 && askingSweeps(session.log())["Prompt"].size() >= 3;
        },
        30s);
    ASSERT_TRUE(askedRepeatedly) << session.log();

    for (const auto& [client, sweeps] : askingSweeps(session.log())) {
        for (auto sweep = sweeps.begin(); std::next(sweep) != sweeps.end(); ++sweep) {
            EXPECT_EQ(*std::next(sweep) - *sweep, 2) << client << " in\n" << session.log();
        }
    }
    EXPECT_EQ(session.desktop().windowsOfClass("Prompt").size(), 2u) << "the window and its save prompt";
    EXPECT_TRUE(x.isRunning(deaf) && x.isRunning(prompt)) << "never forced";
    EXPECT_TRUE(x.isRunning(user) && x.isRunning(drowsel));
    EXPECT_EQ(session.countInLog("User delete request"), 0u) << "in use";
}

} // namespace drowsel::xtest
