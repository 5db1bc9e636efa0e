// The wlroots workspace against a real sway with real clients: foot, the Qt
// fixture and, through XWayland, xterm and the X11 fixture.
#include "QtEventPump.h"
#include "SwaySession.h"
#include "fakes/RecordingLogSink.h"
#include "platform/session/SessionWorkspaces.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WlrToplevelWorkspace.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include <filesystem>
#include <fstream>

namespace drowsel::wltest {
namespace {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    return SwaySession::waitUntil(condition, timeout, pumpQtEvents);
}

std::vector<ApplicationHandle> appsNamed(const Workspace& workspace, const std::string& name) {
    auto apps = workspace.runningApplications();
    std::erase_if(apps, [&](const ApplicationHandle& app) { return app->localizedName() != name; });
    return apps;
}

std::size_t linesIn(const std::string& path) {
    std::ifstream file(path);
    std::size_t count = 0;
    for (std::string line; std::getline(file, line);) {
        ++count;
    }
    return count;
}

class WlrWorkspaceTest : public ::testing::Test {
protected:
    explicit WlrWorkspaceTest(SwaySession::Options options = {}) : session(options) {}

    void SetUp() override {
        connection = WaylandConnection::open(Logger(log, "test", "wayland"), session.waylandDisplay().c_str());
        ASSERT_TRUE(connection);
        workspace = WlrToplevelWorkspace::open(*connection, Logger(log, "test", "wlr"), nullptr);
        ASSERT_TRUE(workspace);
        workspace->addDeactivationObserver([this](const DeactivationNotification& notification) {
            deactivated.push_back(notification.application.value()->localizedName().value_or("?"));
        });
    }

    ApplicationHandle waitForApp(const std::string& name, std::size_t toplevels = 1) {
        const auto hasIt = [&] {
            const auto apps = appsNamed(*workspace, name);
            return apps.size() == 1 && toplevelsOf(apps.front()) == toplevels;
        };
        if (!waitUntil(hasIt)) {
            throw std::runtime_error("no application " + name + " with " + std::to_string(toplevels) + " toplevels");
        }
        return appsNamed(*workspace, name).front();
    }

    static std::size_t toplevelsOf(const ApplicationHandle& app) {
        return dynamic_cast<const WaylandApplication&>(*app).currentFacts().toplevels.size();
    }

    bool focus(const std::string& appId) {
        return session.focus(appId) && waitUntil([&] {
                   const auto frontmost = workspace->frontmostApplication();
                   return frontmost && (*frontmost)->bundleIdentifier() == appId;
               });
    }

    SwaySession session;
    fakes::RecordingLogSink log;
    std::unique_ptr<WaylandConnection> connection;
    std::unique_ptr<WlrToplevelWorkspace> workspace;
    std::vector<std::string> deactivated;
};

TEST_F(WlrWorkspaceTest, OneApplicationPerAppIdNamedByItsDesktopEntry) {
    session.startFoot("org.drowsel.Named");
    session.startFoot("org.drowsel.Named");
    session.startFoot("org.drowsel.plain");

    const auto named = waitForApp("Named Wayland Fixture", 2);
    EXPECT_EQ(named->bundleIdentifier(), "org.drowsel.Named");
    EXPECT_TRUE(named->bundleLocation().value_or("").ends_with("/applications/org.drowsel.Named.desktop"));
    EXPECT_EQ(named->activationPolicy(), ActivationPolicy::regular);
    EXPECT_TRUE(named->isFinishedLaunching());
    // Without an entry the app id is both name and identifier.
    const auto plain = waitForApp("org.drowsel.plain");
    EXPECT_EQ(plain->bundleIdentifier(), "org.drowsel.plain");
    EXPECT_EQ(plain->bundleLocation(), std::nullopt);
    EXPECT_EQ(workspace->runningApplications().size(), 2u);
}

TEST_F(WlrWorkspaceTest, DeactivationOncePerChangeOfTheActiveApplication) {
    session.startFoot("org.drowsel.first");
    session.startFoot("org.drowsel.first");
    session.startFoot("org.drowsel.second");
    const auto first = waitForApp("org.drowsel.first", 2);
    waitForApp("org.drowsel.second");
    ASSERT_TRUE(focus("org.drowsel.first"));
    for (int i = 0; i < 20; ++i) {
        pumpQtEvents();
    }
    deactivated.clear();

    ASSERT_TRUE(focus("org.drowsel.second"));
    ASSERT_TRUE(waitUntil([&] { return deactivated.size() == 1; })) << ::testing::PrintToString(deactivated);
    EXPECT_EQ(deactivated.front(), "org.drowsel.first");

    // Between the two windows of one application nothing is deactivated.
    ASSERT_TRUE(focus("org.drowsel.first"));
    ASSERT_TRUE(waitUntil([&] { return deactivated.size() == 2; }));
    session.swaymsg({"focus", "next"});
    session.swaymsg({"focus", "prev"});
    for (int i = 0; i < 20; ++i) {
        pumpQtEvents();
    }
    EXPECT_EQ(deactivated, (std::vector<std::string>{"org.drowsel.first", "org.drowsel.second"}));
    EXPECT_EQ(workspace->frontmostApplication(), first);
}

TEST_F(WlrWorkspaceTest, CloseRequestsQuitFootAndAskARefusingClientAgain) {
    const auto foot = session.startFoot("org.drowsel.foot");
    const std::string logPath = session.runtimeDir() + "/close.log";
    const auto stubborn = session.startFixture(
        {"--app-id", "org.drowsel.stubborn", "--windows", "2", "--refuse-close", "--log", logPath});
    auto footApp = waitForApp("org.drowsel.foot");
    auto stubbornApp = waitForApp("org.drowsel.stubborn", 2);

    EXPECT_TRUE(footApp->terminate());
    EXPECT_TRUE(waitUntil([&] { return !session.isRunning(foot); }));
    EXPECT_TRUE(waitUntil([&] { return appsNamed(*workspace, "org.drowsel.foot").empty(); }));
    // A handle that outlived its application asks nobody.
    EXPECT_FALSE(footApp->terminate());

    EXPECT_TRUE(stubbornApp->terminate());
    EXPECT_TRUE(waitUntil([&] { return linesIn(logPath) == 2; })) << "each window is asked once";
    EXPECT_TRUE(stubbornApp->terminate());
    EXPECT_TRUE(waitUntil([&] { return linesIn(logPath) == 4; })) << "and again when asked again";
    EXPECT_TRUE(session.isRunning(stubborn));
    EXPECT_EQ(waitForApp("org.drowsel.stubborn", 2), stubbornApp);
}

TEST_F(WlrWorkspaceTest, ClosedWorkspaceLeavesHandlesSafe) {
    session.startFoot("org.drowsel.kept");
    auto app = waitForApp("org.drowsel.kept");
    workspace.reset();
    EXPECT_EQ(app->localizedName(), "org.drowsel.kept");
    EXPECT_FALSE(app->terminate());
}

class XWaylandSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        workspaces =
            SessionWorkspaces::open(Logger(log, "test", "session"), {session.waylandDisplay(), session.x11Display()});
        ASSERT_TRUE(workspaces);
        ASSERT_STREQ(workspaces->nativeBackend(), "wlr");
    }

    SwaySession session{{.xwayland = true, .trayBar = false}};
    fakes::RecordingLogSink log;
    std::unique_ptr<SessionWorkspaces> workspaces;
};

// XWayland's windows are in both lists; the X11 workspace owns them, so they
// are asked politely or not at all, never through the compositor's close.
TEST_F(XWaylandSessionTest, XWaylandClientsFollowTheX11Rules) {
    session.startFoot("org.drowsel.native");
    const auto xterm = session.startXterm();
    const auto rude = session.start({DROWSEL_X11_FIXTURE_CLIENT, "--class", "rude", "RudeFixture", "--no-delete"});
    ASSERT_TRUE(waitUntil([&] {
        return appsNamed(*workspaces, "org.drowsel.native").size() == 1 &&
               appsNamed(*workspaces, "XTerm").size() == 1 && appsNamed(*workspaces, "RudeFixture").size() == 1;
    })) << "apps: "
        << workspaces->runningApplications().size();
    EXPECT_EQ(workspaces->runningApplications().size(), 3u) << "each application once";

    const auto rudeApp = appsNamed(*workspaces, "RudeFixture").front();
    EXPECT_FALSE(rudeApp->terminate());
    const auto xtermApp = appsNamed(*workspaces, "XTerm").front();
    EXPECT_TRUE(xtermApp->terminate());
    EXPECT_TRUE(waitUntil([&] { return !session.isRunning(xterm); }));
    for (int i = 0; i < 20; ++i) {
        pumpQtEvents();
    }
    EXPECT_TRUE(session.isRunning(rude));
}

TEST_F(XWaylandSessionTest, FrontmostMovesBetweenNativeAndXWaylandWindows) {
    session.startFoot("org.drowsel.native");
    session.startXterm();
    std::vector<std::string> deactivated;
    workspaces->addDeactivationObserver([&](const DeactivationNotification& notification) {
        deactivated.push_back(notification.application.value()->localizedName().value_or("?"));
    });
    ASSERT_TRUE(waitUntil([&] { return workspaces->runningApplications().size() == 2; }));
    const auto frontmostName = [&] {
        const auto frontmost = workspaces->frontmostApplication();
        return frontmost ? (*frontmost)->localizedName().value_or("") : "";
    };

    const auto focusXterm = [&] { return session.swaymsg({"[class=\"XTerm\"]", "focus"}).exitCode == 0; };

    // The two workspaces hear of a focus change on two connections, in either
    // order: start from a state both have seen, with xterm's leaving heard.
    ASSERT_TRUE(focusXterm());
    ASSERT_TRUE(waitUntil([&] { return frontmostName() == "XTerm"; }));
    ASSERT_TRUE(session.focus("org.drowsel.native"));
    ASSERT_TRUE(waitUntil([&] {
        return frontmostName() == "org.drowsel.native" && !deactivated.empty() && deactivated.back() == "XTerm";
    }));
    deactivated.clear();
    ASSERT_TRUE(focusXterm());
    ASSERT_TRUE(waitUntil([&] { return frontmostName() == "XTerm"; }));
    ASSERT_TRUE(session.focus("org.drowsel.native"));
    ASSERT_TRUE(waitUntil([&] { return frontmostName() == "org.drowsel.native"; }));
    EXPECT_TRUE(waitUntil([&] { return deactivated.size() == 2; }));
    EXPECT_EQ(deactivated, (std::vector<std::string>{"org.drowsel.native", "XTerm"}));
}

TEST_F(XWaylandSessionTest, TheCompositorGoingAwayIsReported) {
    QSignalSpy lost(workspaces.get(), &SessionWorkspaces::connectionLost);
    session.stopCompositor();
    EXPECT_TRUE(waitUntil([&] { return lost.count() == 1; }));
}

} // namespace
} // namespace drowsel::wltest
