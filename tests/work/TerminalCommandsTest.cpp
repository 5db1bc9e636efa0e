// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/work/TerminalCommands.h"
#include "XSession.h"
#include "fakes/FakeApplication.h"
#include "fakes/RecordingLogSink.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace drowsel {
namespace {

using processes::ChildProcesses;

// Real xterms: one at its shell's prompt, then with a command typed into it,
// and one started to run a program.
TEST(TerminalCommandsTest, TellsAJobOrProgramInAnXtermFromAPrompt) {
    fakes::RecordingLogSink sink;
    const Logger log(sink, "test", "work");
    const TerminalCommands terminals(log);
    xtest::XSession session;
    const struct {
        std::vector<std::string> started;
        std::string typed;
        bool runsCommand;
    } cases[] = {{{"xterm", "-xrm", "*allowSendEvents: true", "-e", "bash", "--norc", "-i"}, "", false},
                 {{}, "sleep 600\n", true},
                 {{"xterm", "-e", "sleep", "600"}, "", true}};
    pid_t xterm = -1;
    std::string state;
    for (const auto& row : cases) {
        xterm = row.started.empty() ? xterm : session.start(row.started);
        // Its toplevel passes keys on only once it has the focus.
        const auto typed = [&] {
            const auto window = session.run({"xdotool", "search", "--pid", std::to_string(xterm)}).output;
            return !window.empty() && window == session.run({"xdotool", "getwindowfocus"}).output &&
                   session.run({"xdotool", "type", "--window", window.substr(0, window.find('\n')), row.typed})
                           .exitCode == 0;
        };
        ASSERT_TRUE(row.typed.empty() || ChildProcesses::waitUntil(typed, std::chrono::seconds(60)));
        const auto settled = [&] {
            const auto table = ProcessTable::read(log);
            const auto processes =
                ApplicationProcesses::of(fakes::FakeApplication({.processIdentifier = xterm}), table);
            state = std::to_string(processes.all.size()) + " processes";
            // Until the xterm's child has started its program, it is an xterm.
            const auto started = std::ranges::none_of(processes.all, [&](auto pid) {
                return pid != xterm && table.executableOf(pid) == table.executableOf(xterm);
            });
            return processes.all.size() >= 2 && started && terminals.anyRunning(table, processes) == row.runsCommand;
        };
        EXPECT_TRUE(ChildProcesses::waitUntil(settled, std::chrono::seconds(60))) << row.typed << state;
    }
}

} // namespace
} // namespace drowsel
