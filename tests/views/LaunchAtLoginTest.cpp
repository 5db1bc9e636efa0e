#include "LaunchAtLogin/LaunchAtLogin.h"

#include "LaunchAtLogin/AutostartEntry.h"
#include "LaunchAtLogin/LaunchAtLoginToggle.h"
#include "fakes/RecordingLogSink.h"
#include "views/ViewsHarness.h"

#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    static std::vector<std::string> commandOnDisk() {
        std::ifstream file(LaunchAtLogin::entryPath());
        return AutostartEntry::parse(std::string(std::istreambuf_iterator<char>(file), {})).command();
    }
    void expectOneError(const std::string& message) const {
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines[0].level, LogSink::Level::error);
        EXPECT_EQ(log.lines[0].subsystem, "com.velbrook.LaunchAtLogin");
        EXPECT_EQ(log.lines[0].category, "main");
        EXPECT_EQ(log.lines[0].message, message);
    }
};

TEST_F(LaunchAtLoginTest, RegistersTheRunningProgramAndUnregisters) {
    EXPECT_EQ(LaunchAtLogin::entryPath(), autostart / "com.drowsel.Drowsel.desktop");
    LaunchAtLogin::setEnabled(true);
    EXPECT_TRUE(LaunchAtLogin::isEnabled());
    const std::vector<std::string> expected{fs::read_symlink("/proc/self/exe").string(), "--launched-at-login"};
    EXPECT_EQ(commandOnDisk(), expected);
    EXPECT_EQ(std::distance(fs::directory_iterator(autostart), {}), 1) << "no temporary file is left";

    LaunchAtLogin::setEnabled(true);
    EXPECT_EQ(LaunchAtLogin::status(), Status::enabled);
    LaunchAtLogin::setEnabled(false);
    EXPECT_EQ(LaunchAtLogin::status(), Status::notRegistered);
    LaunchAtLogin::setEnabled(false);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_FALSE(LaunchAtLogin::launchedAsLoginItem());
}

TEST_F(LaunchAtLoginTest, ReadsEachStatusFromTheEntry) {
    const std::vector<std::pair<std::string, Status>> cases{
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
    fs::create_directories(autostart.parent_path());
    std::ofstream(autostart) << "a file where the folder belongs";
    LaunchAtLogin::setEnabled(true);
    expectOneError("Failed to enable launch at login: Not a directory");
    EXPECT_EQ(LaunchAtLogin::status(), Status::notRegistered);

    log.lines.clear();
    fs::remove(autostart);
    fs::create_directories(LaunchAtLogin::entryPath() / "in the way");
    LaunchAtLogin::setEnabled(false);
    expectOneError("Failed to disable launch at login: Directory not empty");
    EXPECT_EQ(LaunchAtLogin::status(), Status::notFound);
}

TEST_F(LaunchAtLoginTest, TogglesShowTheStatusOnDiskAndChangeTogether) {
    int announcements = 0;
    const auto subscription = LaunchAtLogin::observable().objectWillChange().subscribe([&] { ++announcements; });
    LaunchAtLogin::Toggle first;
    LaunchAtLogin::Toggle second(QStringLiteral("Start with the session"));
    showAndWait(first);
    EXPECT_EQ(first.checkBox()->text(), "Launch at login");
    EXPECT_EQ(second.checkBox()->text(), "Start with the session");

    QTest::mouseClick(first.checkBox(), Qt::LeftButton, {}, QPoint(4, 4));
    settle();
    EXPECT_TRUE(second.checkBox()->isChecked());
    EXPECT_EQ(LaunchAtLogin::status(), Status::enabled);
    EXPECT_EQ(announcements, 1);

    // Switched off in the desktop's own settings: shown off at the next drawing.
    writeEntry("[Desktop Entry]\nExec=/bin/sh\nHidden=true\n");
    LaunchAtLogin::observable().objectWillChange().send();
    settle();
    EXPECT_FALSE(first.checkBox()->isChecked());

    fs::remove(LaunchAtLogin::entryPath());
    fs::remove(autostart);
    std::ofstream(autostart) << "a file where the folder belongs";
    QTest::mouseClick(first.checkBox(), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_TRUE(first.checkBox()->isChecked());
    settle();
    EXPECT_FALSE(first.checkBox()->isChecked()) << "springs back after a failed registration";
    EXPECT_FALSE(second.checkBox()->isChecked());
    expectOneError("Failed to enable launch at login: Not a directory");
}

TEST_F(LaunchAtLoginTest, TogglesTakeTheirLabelFromEachInitialiser) {
    LaunchAtLogin::Toggle translated(LaunchAtLogin::Toggle::TitleKey{"Open at login"});
    EXPECT_EQ(translated.checkBox()->text(), "Open at login");
    LaunchAtLogin::Toggle built([] { return new QLabel("<b>Launch</b> at login"); });
    EXPECT_EQ(built.findChild<QLabel*>()->text(), "<b>Launch</b> at login");
    EXPECT_EQ(built.checkBox()->accessibleName(), "Launch at login");
}

TEST(AutostartEntryTest, AnyPathSurvivesTheRoundTrip) {
    const std::vector<std::string> paths{"/usr/bin/drowsel", "/opt/My Apps/drowsel",
                                         "/tmp/\"quoted\" $HOME `cmd` back\\slash 100%/drowsel",
                                         "/tmp/tab\there/line\nbreak", "/usr/lib/drowsel-%f"};
    for (const auto& path : paths) {
        const auto contents = AutostartEntry::render(path, "--launched-at-login");
        ASSERT_TRUE(contents) << path;
        EXPECT_EQ(std::ranges::count(*contents, '\n'), 7) << "one line per key: " << path;
        const std::vector<std::string> expected{path, "--launched-at-login"};
        EXPECT_EQ(AutostartEntry::parse(*contents).command(), expected) << *contents;
    }
    EXPECT_FALSE(AutostartEntry::render("/tmp/not-utf8-\xff/drowsel", "--launched-at-login"));
    EXPECT_FALSE(AutostartEntry::render("/tmp/bell\a/drowsel", "--launched-at-login"));
}

} // namespace
} // namespace drowsel::testing
