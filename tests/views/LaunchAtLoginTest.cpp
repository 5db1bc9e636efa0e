// SPDX-License-Identifier: GPL-3.0-or-later
#include "LaunchAtLogin/LaunchAtLogin.h"

#include "LaunchAtLogin/AutostartEntry.h"
#include "LaunchAtLogin/LaunchAtLoginToggle.h"
#include "views/ViewsHarness.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace drowsel::testing {
namespace {

namespace fs = std::filesystem;
using Status = LaunchAtLogin::Status;

class LaunchAtLoginTest : public ::testing::Test {
protected:
    QTemporaryDir configHome;
    QByteArray previousConfigHome = qgetenv("XDG_CONFIG_HOME");
    fakes::RecordingLogSink log;
    fs::path autostart = fs::path(configHome.path().toStdString()) / "autostart";

    void SetUp() override {
        qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
        LaunchAtLogin::useLogSink(log);
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", previousConfigHome); }

    void writeEntry(const std::string& contents) {
        fs::create_directories(autostart);
        std::ofstream(LaunchAtLogin::entryPath()) << contents;
    }
    void putAFileWhereTheFolderBelongs() {
        fs::remove_all(autostart);
        std::ofstream(autostart) << "in the way";
    }
    void expectOneError(const std::string& message) {
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines[0].level, LogSink::Level::error);
        EXPECT_EQ(log.lines[0].message, message);
        log.lines.clear();
    }
};

TEST_F(LaunchAtLoginTest, RegistersTheRunningProgramAndUnregisters) {
    EXPECT_EQ(LaunchAtLogin::entryPath(), autostart / "com.drowsel.Drowsel.desktop");
    for (int twice = 0; twice < 2; ++twice) {
        LaunchAtLogin::setEnabled(true);
        EXPECT_EQ(LaunchAtLogin::status(), Status::enabled);
    }
    std::ifstream file(LaunchAtLogin::entryPath());
    const auto command = AutostartEntry::parse(std::string(std::istreambuf_iterator<char>(file), {})).command();
    EXPECT_EQ(command, (std::vector<std::string>{fs::read_symlink("/proc/self/exe").string(), "--launched-at-login"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(autostart), {}), 1) << "no temporary file is left";

    for (int twice = 0; twice < 2; ++twice) {
        LaunchAtLogin::setEnabled(false);
        EXPECT_EQ(LaunchAtLogin::status(), Status::notRegistered);
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(LaunchAtLoginTest, ReadsEachStatusFromTheEntry) {
    const std::pair<std::string, Status> cases[]{
        {"[Desktop Entry]\nType=Application\nExec=/bin/sh -c true\n", Status::enabled},
        {"# by hand\n[Desktop Entry]\n Exec = sh\n[Desktop Action x]\nHidden=true\n", Status::enabled},
        {"[Desktop Entry]\nExec=/bin/sh\nHidden=true\n", Status::requiresApproval},
        {"[Desktop Entry]\nExec=/bin/sh\nX-GNOME-Autostart-enabled=false\n", Status::requiresApproval},
        {"[Desktop Entry]\nExec=/nonexistent/drowsel --launched-at-login\n", Status::notFound},
        {"[Desktop Entry]\nExec=\"/bin/sh\n", Status::notFound},
        {"[Desktop Entry]\nType=Application\n", Status::notFound},
        {"\xff\xfe garbage", Status::notFound}};
    EXPECT_EQ(LaunchAtLogin::status(), Status::notRegistered);
    for (const auto& [contents, status] : cases) {
        writeEntry(contents);
        EXPECT_EQ(LaunchAtLogin::status(), status) << contents;
        EXPECT_EQ(LaunchAtLogin::isEnabled(), status == Status::enabled) << contents;
    }
}

TEST_F(LaunchAtLoginTest, FailuresAreLoggedWithTheSystemsErrorText) {
    putAFileWhereTheFolderBelongs();
    LaunchAtLogin::setEnabled(true);
    expectOneError("Failed to enable launch at login: Not a directory");
    EXPECT_EQ(LaunchAtLogin::status(), Status::notRegistered);

    fs::remove(autostart);
    fs::create_directories(LaunchAtLogin::entryPath() / "in the way");
    LaunchAtLogin::setEnabled(false);
    expectOneError("Failed to disable launch at login: Directory not empty");
}

TEST_F(LaunchAtLoginTest, TogglesShowTheStatusOnDiskChangeTogetherAndSpringBackAfterAFailure) {
    LaunchAtLogin::Toggle first;
    LaunchAtLogin::Toggle second;
    showAndWait(first);
    QTest::mouseClick(first.checkBox(), Qt::LeftButton, {}, QPoint(4, 4));
    settle();
    EXPECT_TRUE(second.checkBox()->isChecked());
    EXPECT_EQ(LaunchAtLogin::status(), Status::enabled);

    // Switched off in the desktop's own settings: shown off at the next drawing.
    writeEntry("[Desktop Entry]\nExec=/bin/sh\nHidden=true\n");
    LaunchAtLogin::observable().objectWillChange().send();
    settle();
    EXPECT_FALSE(first.checkBox()->isChecked());

    putAFileWhereTheFolderBelongs();
    QTest::mouseClick(first.checkBox(), Qt::LeftButton, {}, QPoint(4, 4));
    settle();
    EXPECT_FALSE(first.checkBox()->isChecked() || second.checkBox()->isChecked());
    expectOneError("Failed to enable launch at login: Not a directory");
}

// Including an empty argument, which the fuzzer found written bare and lost.
TEST(AutostartEntryTest, AnyPathSurvivesTheRoundTrip) {
    for (const std::string path :
         {"/usr/bin/drowsel", "/opt/My Apps/drowsel", "", "/tmp/\"quoted\" $HOME `cmd` back\\slash 100%/drowsel",
          "/tmp/tab\there/line\nbreak", "/usr/lib/drowsel-%f"}) {
        const auto contents = AutostartEntry::render(path, "--launched-at-login");
        ASSERT_TRUE(contents) << path;
        EXPECT_EQ(std::ranges::count(*contents, '\n'), 7) << "one line per key: " << path;
        EXPECT_EQ(AutostartEntry::parse(*contents).command(), (std::vector<std::string>{path, "--launched-at-login"}))
            << *contents;
    }
    EXPECT_FALSE(AutostartEntry::render("/tmp/not-utf8-\xff/drowsel", "--launched-at-login"));
    EXPECT_FALSE(AutostartEntry::render("/tmp/bell\a/drowsel", "--launched-at-login"));
}

} // namespace
} // namespace drowsel::testing
