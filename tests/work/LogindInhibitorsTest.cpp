// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/work/LogindInhibitors.h"
#include "ChildProcesses.h"
#include "QtEventPump.h"
#include "fakes/RecordingLogSink.h"
#include "fakes/SettableClock.h"
#include "platform/work/ProcessTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace drowsel {
namespace {

using processes::ChildProcesses;

// Runs as root under `unshare -m`: the system bus and logind live on tmpfs
// mounts the rest of the machine never sees.
class LogindInhibitorsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto namespaceOf = [](pid_t pid) {
            return std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/ns/mnt");
        };
        if (geteuid() != 0 || namespaceOf(getpid()) == namespaceOf(getppid())) {
            GTEST_SKIP() << "needs root in a mount namespace of its own";
        }
        for (const auto* folder : {"/run/systemd", "/run/dbus"}) {
            ASSERT_EQ(daemons.run({"mount", "-t", "tmpfs", "tmpfs", folder}, {}).exitCode, 0) << folder;
        }
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        startBus();
        inhibitors.emplace(log, clock, LogindInhibitors::Delays{.reread = 60, .firstRetry = 1, .longestRetry = 4});
        ASSERT_TRUE(ChildProcesses::waitUntil([&] { return inhibitors->isAvailable(); }, std::chrono::seconds(60),
                                              pumpQtEvents));
        sink.lines.clear();
    }

    void startBus() {
        bus = daemons.start({"dbus-daemon", "--system", "--nofork", "--nopidfile"}, {});
        // The socket of the bus before may still be there: the bus is up once it answers.
        const auto answering = [&] { return daemons.run({"busctl", "--system", "list"}, {}).exitCode == 0; };
        ASSERT_TRUE(ChildProcesses::waitUntil(answering, std::chrono::seconds(30)));
        logind = daemons.start({"/lib/systemd/systemd-logind"}, {});
    }
    // Asks after each minute, as the program does, until the answer is the one expected.
    bool answers(std::optional<std::string> expected, pid_t process) {
        const auto asked = [&] { return clock.advance(60), (seen = whyOf(process)) == expected; };
        return ChildProcesses::waitUntil(asked, std::chrono::seconds(60), pumpQtEvents);
    }
    std::optional<std::string> whyOf(pid_t process) {
        return inhibitors->inhibitorWhy(ProcessTable::read(processLog).withDescendants({process}));
    }
    bool listed(const std::string& why) const {
        const auto list = daemons.run({"busctl", "call", "org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "ListInhibitors"},
                                      {});
        return list.output.find(why) != std::string::npos;
    }

    ChildProcesses daemons;
    pid_t bus = -1;
    pid_t logind = -1;
    fakes::RecordingLogSink sink;
    Logger log{sink, "test", "work"};
    fakes::RecordingLogSink processSink; // what the process table logs is of no concern here
    Logger processLog{processSink, "test", "work"};
    fakes::SettableClock clock;
    std::optional<std::string> seen;
    std::optional<LogindInhibitors> inhibitors;
};

TEST_F(LogindInhibitorsTest, FollowsTheInhibitorsOfAProcessTreeAsLogindAndTheBusComeAndGo) {
    const auto holder = daemons.start(
        {"sh", "-c", "trap 'kill $!' TERM; systemd-inhibit --what=idle --why=download sleep 600 & wait"}, {});
    const auto unrelated = daemons.start({"sleep", "600"}, {});
    ASSERT_TRUE(answers("download", holder)) << testing::PrintToString(seen);
    EXPECT_EQ(whyOf(unrelated), std::nullopt);
    const auto later = daemons.start({"systemd-inhibit", "--what=sleep", "--why=backup", "sleep", "600"}, {});
    ASSERT_TRUE(ChildProcesses::waitUntil([&] { return listed("backup"); }, std::chrono::seconds(30)));
    EXPECT_EQ(whyOf(later), std::nullopt) << "the list read less than a minute ago";
    EXPECT_TRUE(answers("backup", later)) << testing::PrintToString(seen);

    const struct {
        pid_t* stopped;
        std::string logged;
    } outages[] = {{&logind, "logind's inhibitors are not seen: logind stopped"},
                   {&bus, "logind's inhibitors are not seen: the system bus went; trying it again later"}};
    for (const auto& outage : outages) {
        daemons.stop(*outage.stopped);
        ASSERT_TRUE(ChildProcesses::waitUntil([&] { return !inhibitors->isAvailable(); }, std::chrono::seconds(30),
                                              pumpQtEvents));
        EXPECT_TRUE(answers(std::nullopt, holder)) << outage.logged << testing::PrintToString(seen);
        daemons.stop(logind);
        outage.stopped == &bus ? startBus() : void(logind = daemons.start({"/lib/systemd/systemd-logind"}, {}));
        EXPECT_TRUE(answers("download", holder)) << outage.logged << testing::PrintToString(seen);
        EXPECT_EQ(sink.messages(), (std::vector<std::string>{outage.logged, "logind's inhibitors are seen again"}));
        sink.lines.clear();
    }
}

} // namespace
} // namespace drowsel
