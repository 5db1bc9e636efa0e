// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/FakeApplication.h"
#include "fakes/RecordingLogSink.h"
#include "platform/work/ApplicationProcesses.h"
#include "platform/work/TerminalCommands.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace drowsel {
namespace {

using Pids = std::unordered_set<std::int64_t>;
namespace fs = std::filesystem;

// A /proc of our processes and some that are no concern of ours; the
// terminals of those with a tty are told apart by what leads them.
TEST(ProcessTableTest, ReadsOurProcessesTreesExecutablesAndTerminals) {
    fakes::RecordingLogSink sink;
    const Logger log(sink, "test", "work");
    const QTemporaryDir folder;
    const fs::path root = fs::canonical(folder.path().toStdString());
    const auto app = (root / "app").string();
    std::ofstream(app) << "#!/bin/sh\n";
    fs::permissions(app, fs::perms::owner_all);
    std::ofstream(root / "shells") << "# shells\n/bin/bash\n";
    const auto bash = fs::canonical("/bin/bash").string();
    const auto other = fs::canonical("/bin/true").string();
    // pid, stat (pid (comm) state ppid pgrp session tty_nr tpgid; none: it ended first), executable
    const std::tuple<std::string, std::string, std::string> entries[] = {
        {"20", "20 (a) b (c)) S 1 20 20 34816 20 0", app + " (deleted)"},
        {"30", "30 (bash) S 20 30 30 34817 30 0", bash},
        {"31", "31 (bash) S 20 31 31 34818 32 0", bash},
        {"32", "32 (app) S 31 32 31 34818 32 0", app},
        {"50", "50 (term) S 1 50 50 0 -1 0", other},
        {"51", "51 (sleep) S 50 51 51 34819 51 0", other},
        {"60", "60 (term) S 1 60 60 0 -1 0", other},
        {"61", "61 (bash) S 60 61 61 34820 61 0", bash},
        {"40", "40 (short) S 1", other},
        {"41", "", other},
        {"42", "42 (theirs) S 1 42 42 0 -1 0", app},
        {"self", "7 (self) S 1 7 7 0 -1 0", other}};
    for (const auto& [pid, stat, exe] : entries) {
        fs::create_directories(root / "proc" / pid);
        if (!stat.empty()) {
            std::ofstream(root / "proc" / pid / "stat") << stat << " 0 0 0\n";
        }
        fs::create_symlink(exe, root / "proc" / pid / "exe");
    }
    ASSERT_EQ(::chown((root / "proc/42").c_str(), 65534, 65534), 0) << "another user's process";

    const auto table = ProcessTable::read(log, root / "proc");
    for (const auto pid : {40, 41, 42, 7}) {
        EXPECT_EQ(table.find(pid), nullptr) << pid;
    }
    EXPECT_EQ(table.withDescendants({20, 999}), (Pids{20, 30, 31, 32}));

    const struct {
        fakes::FakeApplication::Properties application;
        Pids roots;
        Pids all;
        bool runsCommand;
    } cases[] = {{{.processIdentifier = 20}, {20}, {20, 30, 31, 32}, true}, // a foreground job
                 {{.processIdentifier = 31}, {31}, {31, 32}, false},        // its own terminal
                 {{.processIdentifier = 50}, {50}, {50, 51}, true},         // led by a program
                 {{.processIdentifier = 60}, {60}, {60, 61}, false},        // a shell at its prompt
                 {{.bundleLocation = app}, {20, 32}, {20, 30, 31, 32}, true},
                 {{.bundleLocation = (root / "entry.desktop").string()}, {20, 32}, {20, 30, 31, 32}, true},
                 {{.bundleLocation = "/nowhere.desktop"}, {}, {}, false}};
    std::ofstream(root / "entry.desktop")
        << "[Desktop Entry]\nType=Application\nName=E\nTryExec=" << app << "\nExec=true %U\n";
    for (const auto& shells : {root / "shells", root / "unreadable"}) {
        const TerminalCommands terminals(log, shells);
        for (const auto& row : cases) {
            const auto processes = ApplicationProcesses::of(fakes::FakeApplication(row.application), table);
            const auto shown = testing::PrintToString(row.application.processIdentifier) + " " + shells.string();
            EXPECT_EQ(Pids(processes.roots.begin(), processes.roots.end()), row.roots) << shown;
            EXPECT_EQ(processes.all, row.all) << shown;
            EXPECT_EQ(terminals.anyRunning(table, processes), row.runsCommand) << shown;
        }
    }
    EXPECT_EQ(sink.lines.size(), 2u) << "one for the entries that ended while read, one for the unreadable shells";
}

} // namespace
} // namespace drowsel
