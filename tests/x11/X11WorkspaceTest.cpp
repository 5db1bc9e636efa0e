// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace contract on X11, and what only the X11 workspace does: names,
// identifiers and icons from desktop entries and windows, odd properties,
// a picture read without requests, a broken connection.
#include "platform/x11/X11Workspace.h"
#include "WorkspaceFixture.h"
#include "X11Driver.h"
#include "platform/desktop/ApplicationIcons.h"

#include <QPixmap>

#include <cstdlib>

namespace drowsel::xtest {
namespace {

using workspacetest::WorkspaceContract;
using workspacetest::WorkspaceFixture;
using workspacetest::WorkspaceServerEnd;

INSTANTIATE_TEST_SUITE_P(X11, WorkspaceContract, ::testing::Values(&X11Driver::create));
INSTANTIATE_TEST_SUITE_P(X11, WorkspaceServerEnd, ::testing::Values(&X11Driver::create));

class X11WorkspaceTest : public WorkspaceFixture {
protected:
    // Desktop entries' names in German, where they have one.
    void SetUp() override {
        qputenv("LANGUAGE", "de");
        WorkspaceFixture::SetUp();
    }

    X11Workspace& x11() { return dynamic_cast<X11Workspace&>(*workspace); }

    // Icons as the session finds them: the entry's, else a window's, else the generic one.
    QIcon iconFor(const std::string& location) {
        if (!icons) {
            icons.emplace(*workspace, Logger(log, "test", "icons"));
        }
        return icons->iconFor(location, [&] { return x11().iconOfWindowsAt(location); });
    }

    std::optional<ApplicationIcons> icons;
};
INSTANTIATE_TEST_SUITE_P(X11, X11WorkspaceTest, ::testing::Values(&X11Driver::create));

QRgb centreOf(const QIcon& icon) { return icon.pixmap(32, 32).toImage().pixel(16, 16); }

TEST_P(X11WorkspaceTest, NamesAndIdentifiersComeFromDesktopEntriesElseFromTheWindow) {
    startProgram({"xterm"});
    startProgram({"xeyes"});
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "startup", "DrowselStartupClass"});
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "exact", "org.drowsel.ExactFixture"});
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "lower", "LowerFixture"});
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "gtk", "GtkClass", "--gtk-id", "org.drowsel.GtkFixture"});
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "decoyinstance", "DecoyClass"});
    const std::string dataHome = std::getenv("XDG_DATA_HOME");

    const auto xterm = waitForApp("XTerm");
    EXPECT_EQ(xterm->bundleIdentifier(), "debian-xterm");
    EXPECT_EQ(xterm->bundleLocation(), "/usr/share/applications/debian-xterm.desktop");
    EXPECT_EQ(waitForApp("XEyes")->bundleIdentifier(), std::nullopt);
    EXPECT_EQ(waitForApp("XEyes")->bundleLocation(), "/usr/bin/xeyes");
    const auto startup = waitForApp("Start-Fixture"); // the entry's Name in German
    EXPECT_EQ(startup->bundleIdentifier(), "drowsel-test-startup");
    EXPECT_EQ(startup->bundleLocation(), dataHome + "/applications/drowsel-test-startup.desktop");
    EXPECT_EQ(waitForApp("Exact Fixture")->bundleIdentifier(), "org.drowsel.ExactFixture");
    EXPECT_EQ(waitForApp("Lower Fixture")->bundleIdentifier(), "lowerfixture");
    EXPECT_EQ(waitForApp("Gtk Fixture")->bundleIdentifier(), "org.drowsel.GtkFixture");
    EXPECT_EQ(waitForApp("DecoyClass")->bundleIdentifier(), std::nullopt);
}

// The window's icon is found by the executable's path: the only fixture client running here has one.
TEST_P(X11WorkspaceTest, IconsComeFromTheEntryThenTheWindowThenAGenericIcon) {
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "startup", "DrowselStartupClass"});
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "icon", "IconFixture", "--icon", "ff00ff00"});
    const auto fromEntry = iconFor(*waitForApp("Start-Fixture")->bundleLocation());
    EXPECT_EQ(centreOf(fromEntry), qRgb(255, 0, 0));
    const auto fromWindow = iconFor(*waitForApp("IconFixture")->bundleLocation());
    EXPECT_EQ(centreOf(fromWindow), qRgb(0, 255, 0)) << seen();
    EXPECT_EQ(fromWindow.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}})); // the bogus third image is left out
    // Each made once, as the panel asks at every redraw.
    EXPECT_EQ(iconFor("").cacheKey(), iconFor("/nonexistent/app").cacheKey());
    EXPECT_FALSE(iconFor("").isNull());
    const auto entry = *waitForApp("Start-Fixture")->bundleLocation();
    EXPECT_EQ(iconFor(entry).cacheKey(), iconFor(entry).cacheKey());
}

// An entry may name any file: one too large to decode is refused unread, and said once.
TEST_P(X11WorkspaceTest, AnIconFileTooLargeIsRefusedOnce) {
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "huge", "HugeIconClass"});
    const auto location = *waitForApp("Huge Fixture")->bundleLocation();
    const auto first = iconFor(location);
    for (int redraw = 0; redraw < 3; ++redraw) {
        EXPECT_EQ(iconFor(location).cacheKey(), first.cacheKey());
    }
    const auto messages = log.messages();
    EXPECT_EQ(std::ranges::count_if(messages, [](const auto& line) { return line.find("huge.png") != line.npos; }), 1)
        << seen();
}

// A broken or hostile writer of the client list must not make every
// application look new, which would restart its idle clock.
TEST_P(X11WorkspaceTest, AMalformedClientListKeepsThePicture) {
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "kept", "KeptFixture"});
    const auto kept = waitForApp("KeptFixture");
    driver().session().run({"xprop", "-root", "-f", "_NET_CLIENT_LIST", "8s", "-set", "_NET_CLIENT_LIST", "x"});
    ASSERT_TRUE(waitUntil([&] {
        return std::ranges::count(log.messages(), std::string("Ignored a malformed _NET_CLIENT_LIST")) > 0;
    })) << seen();
    settle();
    EXPECT_EQ(appsNamed("KeptFixture"), std::vector{kept}) << seen();
}

TEST_P(X11WorkspaceTest, OddPropertiesAreReadSoundly) {
    startProgram({DROWSEL_FIXTURE_CLIENT, "--no-class"});
    startProgram({DROWSEL_FIXTURE_CLIENT, "--non-utf8-class"});
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "malformed", "MalformedFixture", "--malformed"});
    const auto hasNameless = [&] {
        return std::ranges::any_of(workspace->runningApplications(),
                                   [](const ApplicationHandle& app) { return !app->localizedName(); });
    };
    ASSERT_TRUE(waitUntil(hasNameless)) << seen();

    EXPECT_TRUE(appsNamed("").empty());
    EXPECT_EQ(waitForApp("Drowsy\u00e9\u00ff")->activationPolicy(), ActivationPolicy::regular);
    const auto malformed = waitForApp("MalformedFixture");
    EXPECT_EQ(malformed->activationPolicy(), ActivationPolicy::regular); // the broken dock type does not count
    EXPECT_FALSE(iconFor(*malformed->bundleLocation()).isNull());
    EXPECT_TRUE(std::ranges::any_of(log.messages(), [](const std::string& line) {
        return line.find("malformed") != std::string::npos && line.find("_NET_WM_WINDOW_TYPE") != std::string::npos;
    })) << seen();
}

// The sweep runs every second: reading the picture must not cost a round trip.
TEST_P(X11WorkspaceTest, ReadingThePictureMakesNoRequestToTheServer) {
    startProgram({DROWSEL_FIXTURE_CLIENT, "--class", "multi", "MultiFixture", "--windows", "2"});
    waitForApp("MultiFixture");
    settle();

    auto* x = x11().xcbConnection();
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

TEST(X11WorkspaceConnectionTest, ABrokenConnectionIsReportedOnce) {
    fakes::RecordingLogSink log;
    XSession session;
    const auto workspace = X11Workspace::open(Logger(log, "test", "x11"), session.display().c_str());
    ASSERT_TRUE(workspace);
    int reports = 0;
    QObject::connect(workspace.get(), &X11Workspace::connectionLost, [&] { ++reports; });

    session.stop(session.serverPid());
    ASSERT_TRUE(WorkspaceFixture::waitUntil([&] { return reports > 0; }));
    EXPECT_FALSE(WorkspaceFixture::waitUntil([&] { return reports > 1; }, std::chrono::milliseconds(300)));
    ASSERT_FALSE(log.lines.empty());
    EXPECT_EQ(log.lines.back().level, LogSink::Level::error);
}

} // namespace
} // namespace drowsel::xtest
