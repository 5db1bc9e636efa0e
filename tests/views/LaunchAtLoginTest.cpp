// SPDX-License-Identifier: GPL-3.0-or-later
#include "LaunchAtLogin/LaunchAtLogin.h"

#include "LaunchAtLogin/AutostartEntry.h"
#include "views/ViewsHarness.h"

#include <filesystem>
#include <fstream>

namespace drowsel::testing {

namespace fs = std::filesystem;

class LaunchAtLoginTest : public ::testing::Test {
protected:
    fakes::RecordingLogSink log;
    // In the configuration folder of the test program's own.
    fs::path autostart = LaunchAtLogin::entryPath().parent_path();

    void SetUp() override {
        fs::remove_all(autostart);
        LaunchAtLogin::useLogSink(log);
    }
};

TEST_F(LaunchAtLoginTest, RegistersTheRunningProgramAndUnregistersEachTimeItIsAsked) {
    LaunchAtLogin::setEnabled(true);
    std::ifstream entry(autostart / "com.drowsel.Drowsel.desktop");
    EXPECT_EQ(AutostartEntry::parse(std::string(std::istreambuf_iterator<char>(entry), {})).command(),
              (std::vector<std::string>{fs::read_symlink("/proc/self/exe"), "--launched-at-login"}));
    for (const bool enabled : {true, false, false}) {
        LaunchAtLogin::setEnabled(enabled);
        EXPECT_EQ(LaunchAtLogin::status(),
                  enabled ? LaunchAtLogin::Status::enabled : LaunchAtLogin::Status::notRegistered);
        EXPECT_EQ(std::distance(fs::directory_iterator(autostart), {}), enabled ? 1 : 0) << "no temporary file is left";
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(LaunchAtLoginTest, FailuresAreLoggedWithTheSystemsErrorText) {
    std::ofstream(autostart) << "a file where the folder belongs";
    LaunchAtLogin::setEnabled(true);
    fs::remove(autostart);
    fs::create_directories(LaunchAtLogin::entryPath() / "in the way");
    LaunchAtLogin::setEnabled(false);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"Failed to enable launch at login: Not a directory",
                                                        "Failed to disable launch at login: Directory not empty"}));
    EXPECT_EQ(log.lines[0].level, LogSink::Level::error);
}

// An upgrade renames a new program over the running one: /proc/self/exe then
// reads "<path> (deleted)".
TEST_F(LaunchAtLoginTest, TheInstalledProgramIsTheOneAtTheRunningProgramsPathNow) {
    const fs::path folder = autostart.parent_path() / "programs";
    fs::create_directories(folder);
    for (const auto& [name, permissions] : {std::pair{"drowsel", fs::perms::owner_all},
                                            {"named (deleted)", fs::perms::owner_all},
                                            {"not executable", fs::perms::owner_read}}) {
        std::ofstream(folder / name) << "#!/bin/sh\n";
        fs::permissions(folder / name, permissions);
    }
    // The link's text, and the program found: none when empty.
    for (const auto& [link, installed] :
         std::initializer_list<std::pair<std::string, std::string>>{{"drowsel", "drowsel"},
                                                                    {"drowsel (deleted)", "drowsel"},
                                                                    {"gone (deleted)", ""},
                                                                    {"not executable (deleted)", ""},
                                                                    {"named (deleted)", "named (deleted)"}}) {
        const std::string expected = installed.empty() ? "" : (folder / installed).string();
        EXPECT_EQ(LaunchAtLogin::installedProgram((folder / link).string()).value_or(""), expected) << link;
    }
}

// Including an empty argument, which the fuzzer found written bare and lost.
TEST(AutostartEntryTest, AnyPathSurvivesTheRoundTrip) {
    for (const std::string path :
         {"/usr/bin/drowsel", "/opt/My Apps/drowsel", "", "/usr/lib/drowsel-%f",
          "/tmp/\"quoted\" $HOME `cmd` back\\slash 100%/drowsel", "/tmp/tab\there/line\nbreak"}) {
        const auto contents = AutostartEntry::render(path, "--launched-at-login");
        ASSERT_TRUE(contents) << path;
        EXPECT_EQ(std::ranges::count(*contents, '\n'), 7) << "one line per key: " << path;
        EXPECT_EQ(AutostartEntry::parse(*contents).command(), (std::vector<std::string>{path, "--launched-at-login"}));
    }
    EXPECT_FALSE(AutostartEntry::render("/tmp/not-utf8-\xff/drowsel", "--launched-at-login"));
    EXPECT_FALSE(AutostartEntry::render("/tmp/bell\a/drowsel", "--launched-at-login"));
}

} // namespace drowsel::testing
