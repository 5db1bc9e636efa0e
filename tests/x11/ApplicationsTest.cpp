#include "WorkspaceTest.h"

#include <QPixmap>

#include <cstdlib>

namespace drowsel::xtest {
namespace {

using ApplicationsTest = WorkspaceTest;

TEST_F(ApplicationsTest, OrdinaryClientsAreRegularAndPanelsAreNot) {
    session.start({"xclock"});
    session.start({"xeyes"});
    startFixture({"--class", "dock", "DockFixture", "--dock"});
    startFixture({"--class", "skip", "SkipFixture", "--skip-taskbar"});

    for (const auto* name : {"XClock", "XEyes"}) {
        const auto app = waitForApp(name);
        EXPECT_EQ(app->activationPolicy(), ActivationPolicy::regular) << name;
        EXPECT_TRUE(app->isFinishedLaunching()) << name;
    }
    for (const auto* name : {"DockFixture", "SkipFixture"}) {
        EXPECT_EQ(waitForApp(name)->activationPolicy(), ActivationPolicy::accessory) << name;
    }
    EXPECT_EQ(workspace->runningApplications().size(), 4u);
}

TEST_F(ApplicationsTest, WindowsAreGroupedByProcess) {
    startFixture({"--class", "multi", "MultiFixture", "--windows", "3"});
    session.start({"xcalc"}); // no _NET_WM_PID: the X server names its process
    session.start({"xcalc"});
    ASSERT_TRUE(waitUntil([&] { return managedWindowCount() == 5; }));
    settle();

    EXPECT_EQ(appsNamed("MultiFixture").size(), 1u);
    const auto calculators = appsNamed("XCalc");
    ASSERT_EQ(calculators.size(), 2u);
    EXPECT_NE(calculators[0], calculators[1]);
}

TEST_F(ApplicationsTest, AHandleStaysTheSameAcrossWindowChurn) {
    const auto pid = startFixture({"--class", "churn", "ChurnFixture", "--windows", "2"});
    const auto handle = waitForApp("ChurnFixture");
    for (int round = 0; round < 3; ++round) {
        const auto before = windowsOfClass("ChurnFixture");
        kill(pid, SIGUSR1);
        ASSERT_TRUE(waitUntil([&] { return windowsOfClass("ChurnFixture") != before; }));
    }
    settle();

    const auto apps = appsNamed("ChurnFixture");
    ASSERT_EQ(apps.size(), 1u);
    EXPECT_EQ(apps.front(), handle);
    EXPECT_EQ(std::hash<ApplicationHandle>{}(apps.front()), std::hash<ApplicationHandle>{}(handle));
}

TEST_F(ApplicationsTest, NamesAndIdentifiersComeFromDesktopEntriesElseFromTheWindowClass) {
    session.start({"xterm"});
    session.start({"xeyes"});
    startFixture({"--class", "startup", "DrowselStartupClass"});
    startFixture({"--class", "exact", "org.drowsel.ExactFixture"});
    startFixture({"--class", "lower", "LowerFixture"});
    startFixture({"--class", "gtk", "GtkClass", "--gtk-id", "org.drowsel.GtkFixture"});
    startFixture({"--class", "decoyinstance", "DecoyClass"});
    const std::string dataHome = std::getenv("XDG_DATA_HOME");

    const auto xterm = waitForApp("XTerm");
    EXPECT_EQ(xterm->bundleIdentifier(), "debian-xterm");
    EXPECT_EQ(xterm->bundleLocation(), "/usr/share/applications/debian-xterm.desktop");
    const auto xeyes = waitForApp("XEyes");
    EXPECT_EQ(xeyes->bundleIdentifier(), std::nullopt);
    EXPECT_EQ(xeyes->bundleLocation(), "/usr/bin/xeyes");
    const auto startup = waitForApp("Start-Fixture"); // the localised Name
    EXPECT_EQ(startup->bundleIdentifier(), "drowsel-test-startup");
    EXPECT_EQ(startup->bundleLocation(), dataHome + "/applications/drowsel-test-startup.desktop");
    EXPECT_EQ(waitForApp("Exact Fixture")->bundleIdentifier(), "org.drowsel.ExactFixture");
    EXPECT_EQ(waitForApp("Lower Fixture")->bundleIdentifier(), "lowerfixture");
    EXPECT_EQ(waitForApp("Gtk Fixture")->bundleIdentifier(), "org.drowsel.GtkFixture");
    EXPECT_EQ(waitForApp("DecoyClass")->bundleIdentifier(), std::nullopt);
}

QRgb centreOf(const QIcon& icon) { return icon.pixmap(32, 32).toImage().pixel(16, 16); }

TEST_F(ApplicationsTest, IconsComeFromTheEntryThenTheWindowThenAGenericIcon) {
    startFixture({"--class", "startup", "DrowselStartupClass"});
    startFixture({"--class", "icon", "IconFixture", "--icon", "ff00ff00"});

    const auto fromEntry =
        workspace->iconForFile(QString::fromStdString(*waitForApp("Start-Fixture")->bundleLocation()));
    EXPECT_EQ(centreOf(fromEntry), qRgb(255, 0, 0));
    const auto fromWindow =
        workspace->iconForFile(QString::fromStdString(*waitForApp("IconFixture")->bundleLocation()));
    EXPECT_EQ(centreOf(fromWindow), qRgb(0, 255, 0));
    EXPECT_EQ(fromWindow.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}})); // the bogus third image is left out
    EXPECT_FALSE(workspace->iconForFile("").isNull());
    EXPECT_FALSE(workspace->iconForFile("/nonexistent/app").isNull());
}

TEST_F(ApplicationsTest, OddPropertiesAreReadSoundly) {
    startFixture({"--no-class"});
    startFixture({"--non-utf8-class"});
    startFixture({"--class", "malformed", "MalformedFixture", "--malformed"});
    ASSERT_TRUE(waitUntil([&] { return workspace->runningApplications().size() == 3; }));

    EXPECT_EQ(appsNamed("").size(), 0u);
    const auto apps = workspace->runningApplications();
    const auto nameless =
        std::ranges::find_if(apps, [](const ApplicationHandle& app) { return !app->localizedName(); });
    ASSERT_NE(nameless, apps.end());
    EXPECT_EQ((*nameless)->bundleIdentifier(), std::nullopt);
    EXPECT_EQ(waitForApp("Drowsy\u00e9\u00ff")->activationPolicy(), ActivationPolicy::regular);
    const auto malformed = waitForApp("MalformedFixture");
    EXPECT_EQ(malformed->activationPolicy(), ActivationPolicy::regular); // the broken dock type does not count
    EXPECT_FALSE(workspace->iconForFile(QString::fromStdString(*malformed->bundleLocation())).isNull());
    EXPECT_TRUE(std::ranges::any_of(log.messages(), [](const std::string& line) {
        return line.find("malformed") != std::string::npos && line.find("_NET_WM_WINDOW_TYPE") != std::string::npos;
    }));
}

// The sweep runs every second: reading the picture must not cost a round trip.
TEST_F(ApplicationsTest, ReadingThePictureMakesNoRequestToTheServer) {
    session.start({"xclock"});
    startFixture({"--class", "multi", "MultiFixture", "--windows", "2"});
    waitForApp("XClock");
    waitForApp("MultiFixture");
    settle();

    auto* x = workspace->xcbConnection();
    const auto sequenceOfRoundTrip = [x] {
        XcbReply<xcb_get_input_focus_reply_t> reply(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
        return reply->sequence;
    };
    const auto before = sequenceOfRoundTrip();
    for (const auto& app : workspace->runningApplications()) {
        (void)app->localizedName();
        (void)app->bundleIdentifier();
        (void)app->activationPolicy();
        (void)app->isFinishedLaunching();
    }
    (void)workspace->frontmostApplication();
    EXPECT_EQ(sequenceOfRoundTrip() - before, 1);
}

} // namespace
} // namespace drowsel::xtest
