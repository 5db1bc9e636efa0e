// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildProcesses.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace drowsel::processes {
namespace {

const std::vector<std::string> environment{"PATH=/usr/bin:/bin"};

std::vector<std::string> shell(const std::string& script) { return {"sh", "-c", script}; }

std::size_t openDescriptors() {
    const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
    return std::size_t(std::distance(begin(entries), end(entries)));
}

TEST(ChildProcessesTest, RunGivesTheExitCodeAndOnlyStandardOutput) {
    const ChildProcesses processes;
    const auto result = processes.run(shell("echo out; echo err >&2; exit 3"), environment);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.output, "out\n");
}

TEST(ChildProcessesTest, StopEndsOnlyItsOwnProcessesAndReportsTheSignal) {
    ChildProcesses processes;
    ChildProcesses others;
    const pid_t polite = processes.start({"sleep", "60"}, environment);
    // An ignored SIGTERM stays ignored across the exec.
    const pid_t stubborn = processes.start(shell("trap '' TERM; exec sleep 60"), environment);
    const auto commandOf = [](pid_t pid) {
        std::ifstream file("/proc/" + std::to_string(pid) + "/comm");
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    ASSERT_TRUE(ChildProcesses::waitUntil([&] { return commandOf(stubborn) == "sleep\n"; })) << "the trap is set";
    const pid_t foreign = others.start({"sleep", "60"}, environment);
    processes.stop(foreign);
    EXPECT_TRUE(others.isRunning(foreign));
    processes.stopAll();
    EXPECT_EQ(processes.exitStatus(polite), 128 + SIGTERM);
    EXPECT_EQ(processes.exitStatus(stubborn), 128 + SIGKILL);
}

TEST(ChildProcessesTest, AFailedStartThrowsAndLeavesNoDescriptorOpen) {
    ChildProcesses processes;
    const auto before = openDescriptors();
    EXPECT_THROW(processes.run({"/nonexistent/program"}, environment), std::runtime_error);
    EXPECT_THROW(processes.start({"true"}, environment, "/nonexistent/folder/log"), std::runtime_error);
    EXPECT_EQ(openDescriptors(), before);
}

} // namespace
} // namespace drowsel::processes
