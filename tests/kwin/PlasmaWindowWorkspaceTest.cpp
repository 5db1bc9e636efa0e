#include "platform/wayland/PlasmaWindowWorkspace.h"
#include "KWinSession.h"
#include "QtEventPump.h"
#include "fakes/RecordingLogSink.h"
#include "platform/session/SessionWorkspaces.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/XWaylandClients.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>

namespace drowsel::wltest {
namespace {

// What the X11 workspace knows of XWayland's clients, as the test says.
class FakeXWaylandClients : public XWaylandClients {
public:
    bool hasWindowOfClass(std::string_view) const override { return false; }
    bool hasWindowWithoutClass() const override { return false; }
    bool hasClientWithPid(pid_t pid) const override { return pids.contains(pid); }

    std::set<pid_t> pids;
};

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    return KWinSession::waitUntil(condition, timeout, pumpQtEvents);
}

// A child process of the parent by its command name, from /proc.
std::optional<pid_t> childNamed(pid_t parent, const std::string& name) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
        std::ifstream stat(entry.path() / "stat");
        pid_t pid = 0;
        std::string command;
        char state = 0;
        pid_t itsParent = 0;
        if (stat >> pid >> command >> state >> itsParent && itsParent == parent && command == "(" + name + ")") {
            return pid;
        }
    }
    return std::nullopt;
}

std::string ownExecutable() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

class PlasmaWindowWorkspaceTest : public testing::Test {
protected:
    void SetUp() override {
        connection = WaylandConnection::open(logger(), session.waylandDisplay().c_str());
        ASSERT_TRUE(connection);
        workspace = PlasmaWindowWorkspace::open(*connection, logger(), &xwayland);
        ASSERT_TRUE(workspace);
    }

    Logger logger() { return Logger(log, "com.drowsel.Drowsel", "PlasmaWindowWorkspace"); }

    std::vector<ApplicationHandle> appsNamed(const std::string& name) const {
        auto apps = workspace->runningApplications();
        std::erase_if(apps, [&](const ApplicationHandle& app) { return app->localizedName() != name; });
        return apps;
    }

    ApplicationHandle waitForApp(const std::string& name) {
        if (!waitUntil([&] { return !appsNamed(name).empty(); })) {
            throw std::runtime_error("no application named " + name);
        }
        return appsNamed(name).front();
    }

    std::string frontmostName() const {
        const auto frontmost = workspace->frontmostApplication();
        return frontmost ? (*frontmost)->localizedName().value_or("") : "";
    }

    fakes::RecordingLogSink log;
    KWinSession session{{.windowManagers = {ownExecutable()}}};
    FakeXWaylandClients xwayland;
    std::unique_ptr<WaylandConnection> connection;
    std::unique_ptr<PlasmaWindowWorkspace> workspace;
};

TEST_F(PlasmaWindowWorkspaceTest, ListsEachProcessAsOneApplication) {
    session.startFixture({"--app-id", "org.drowsel.PlasmaFixture", "--windows", "2", "--tool"});
    const pid_t twin = session.startFixture({"--app-id", "org.drowsel.Twin"});
    session.startFixture({"--app-id", "org.drowsel.Twin"});
    ASSERT_TRUE(waitUntil(
        [&] { return appsNamed("Plasma Fixture").size() == 1 && appsNamed("org.drowsel.Twin").size() == 2; }));

    const auto fixture = appsNamed("Plasma Fixture").front();
    EXPECT_EQ(fixture->bundleIdentifier(), "org.drowsel.PlasmaFixture");
    EXPECT_TRUE(fixture->bundleLocation()->ends_with("/applications/org.drowsel.PlasmaFixture.desktop"));
    EXPECT_EQ(fixture->activationPolicy(), ActivationPolicy::regular);
    const auto twins = appsNamed("org.drowsel.Twin");
    EXPECT_EQ(twins.front()->bundleIdentifier(), "org.drowsel.Twin");
    EXPECT_EQ(twins.front()->bundleLocation(), std::filesystem::canonical(DROWSEL_WAYLAND_FIXTURE_CLIENT).string());
    EXPECT_EQ(appsNamed("Plasma Fixture"), std::vector{fixture}) << "the handle is stable";

    // Windows the taskbar leaves out do not make an application regular.
    const auto hideFromTaskbar = "for (const window of workspace.clientList()) {\n"
                                 "    if (window.pid == " +
                                 std::to_string(twin) +
                                 ") {\n"
                                 "        window.skipTaskbar = true;\n"
                                 "        return 'hidden';\n"
                                 "    }\n"
                                 "}\n"
                                 "return 'not shown yet';";
    ASSERT_TRUE(waitUntil([&] { return session.evaluate(hideFromTaskbar) == "hidden"; }));
    EXPECT_TRUE(waitUntil([&] {
        const auto apps = appsNamed("org.drowsel.Twin");
        return std::ranges::count(apps, ActivationPolicy::accessory,
                                  [](const auto& app) { return app->activationPolicy(); }) == 1;
    }));
}

TEST_F(PlasmaWindowWorkspaceTest, AnnouncesADeactivationPerChangeOfTheActiveApplication) {
    const pid_t first = session.startFixture({"--app-id", "org.drowsel.First"});
    const pid_t second =
        session.startFixture({"--app-id", "org.drowsel.Second", "--title", "Second", "--windows", "2"});
    waitForApp("org.drowsel.First");
    waitForApp("org.drowsel.Second");
    std::vector<std::string> deactivated;
    workspace->addDeactivationObserver([&](const DeactivationNotification& notification) {
        deactivated.push_back(notification.application.value()->localizedName().value_or(""));
    });
    // Clients are listed before KWin shows their windows, and only shown ones can be activated.
    ASSERT_TRUE(waitUntil([&] { return session.activate(second, "Second 2") && session.activate(first); }));
    ASSERT_TRUE(waitUntil([&] { return frontmostName() == "org.drowsel.First"; }));
    deactivated.clear();

    ASSERT_TRUE(session.activate(second));
    ASSERT_TRUE(waitUntil([&] { return frontmostName() == "org.drowsel.Second"; }));
    ASSERT_TRUE(session.activate(second, "Second 2"));
    ASSERT_TRUE(session.activate(first));
    ASSERT_TRUE(waitUntil([&] { return frontmostName() == "org.drowsel.First"; }));

    EXPECT_EQ(deactivated, (std::vector<std::string>{"org.drowsel.First", "org.drowsel.Second"}));
}

TEST_F(PlasmaWindowWorkspaceTest, AsksToCloseAndAsksARefusingClientAgain) {
    const auto closeLog = session.runtimeDir() + "/../close.log";
    const auto requests = [&](const std::string& appId) {
        std::ifstream file(closeLog);
        const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        const std::string line = appId + " close request\n";
        std::size_t count = 0;
        for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
            ++count;
        }
        return count;
    };
    const pid_t plain = session.startFixture({"--app-id", "org.drowsel.Plain", "--windows", "2", "--log", closeLog});
    const pid_t stubborn =
        session.startFixture({"--app-id", "org.drowsel.Stubborn", "--refuse-close", "--log", closeLog});
    const auto plainApp = waitForApp("org.drowsel.Plain");
    const auto stubbornApp = waitForApp("org.drowsel.Stubborn");

    EXPECT_TRUE(plainApp->terminate());
    EXPECT_TRUE(waitUntil([&] { return !session.isRunning(plain); }));
    EXPECT_EQ(session.exitStatus(plain), 0);
    EXPECT_TRUE(waitUntil([&] { return appsNamed("org.drowsel.Plain").empty(); }));
    EXPECT_FALSE(plainApp->terminate()) << "a gone application is not asked";

    EXPECT_TRUE(stubbornApp->terminate());
    EXPECT_TRUE(waitUntil([&] { return requests("org.drowsel.Stubborn") == 1; }));
    EXPECT_TRUE(stubbornApp->terminate());
    EXPECT_TRUE(waitUntil([&] { return requests("org.drowsel.Stubborn") == 2; }));
    EXPECT_TRUE(session.isRunning(stubborn));
    EXPECT_EQ(appsNamed("org.drowsel.Stubborn"), std::vector{stubbornApp});
}

TEST_F(PlasmaWindowWorkspaceTest, LeavesXWaylandClientsToTheX11Workspace) {
    const pid_t xterm = session.start({"xterm", "-e", "sleep", "100"});
    ASSERT_TRUE(waitUntil([&] {
        return workspace->runningApplications().size() == 1 && workspace->frontmostApplication();
    })) << "KWin lists XWayland's windows too";
    const auto xtermApp = workspace->runningApplications().front();

    xwayland.pids.insert(xterm);
    EXPECT_TRUE(workspace->runningApplications().empty());
    EXPECT_FALSE(workspace->frontmostApplication());
    EXPECT_FALSE(xtermApp->terminate()) << "asked again at close time";
    EXPECT_TRUE(session.isRunning(xterm));
}

// The session's choice: KDE's list for native clients, the X11 workspace and
// its polite rules for XWayland's, each application once.
TEST_F(PlasmaWindowWorkspaceTest, TheSessionPrefersItAndLeavesXWaylandToX11) {
    const auto workspaces = SessionWorkspaces::open(logger(), {session.waylandDisplay(), session.x11Display()});
    ASSERT_TRUE(workspaces);
    EXPECT_STREQ(workspaces->nativeBackend(), "kde");
    session.startFixture({"--app-id", "org.drowsel.Native"});
    const pid_t xterm = session.start({"xterm", "-e", "sleep", "100"});
    const pid_t rude = session.start({DROWSEL_X11_FIXTURE_CLIENT, "--class", "rude", "RudeFixture", "--no-delete"});
    const auto named = [&](const std::string& name) {
        auto apps = workspaces->runningApplications();
        std::erase_if(apps, [&](const ApplicationHandle& app) { return app->localizedName() != name; });
        return apps;
    };
    ASSERT_TRUE(waitUntil([&] {
        return named("org.drowsel.Native").size() == 1 && named("XTerm").size() == 1 &&
               named("RudeFixture").size() == 1;
    }));
    EXPECT_EQ(workspaces->runningApplications().size(), 3u) << "each application once";

    EXPECT_FALSE(named("RudeFixture").front()->terminate());
    EXPECT_TRUE(named("XTerm").front()->terminate());
    EXPECT_TRUE(waitUntil([&] { return !session.isRunning(xterm); }));
    EXPECT_TRUE(session.isRunning(rude));
}

TEST(KWinSessionTest, OffersTheWindowListOnlyToListedProgramsAndStopsEverything) {
    fakes::RecordingLogSink log;
    pid_t kwin = -1;
    std::optional<pid_t> xwayland;
    {
        KWinSession session;
        kwin = session.kwinPid();
        const auto connection = WaylandConnection::open(Logger(log, "test", "test"), session.waylandDisplay().c_str());
        ASSERT_TRUE(connection);
        EXPECT_FALSE(PlasmaWindowWorkspace::open(*connection, Logger(log, "test", "test"), nullptr));
        xwayland = childNamed(kwin, "Xwayland");
        ASSERT_TRUE(xwayland);
        // Without the permission the session falls back to XWayland's applications, and says so.
        const auto workspaces =
            SessionWorkspaces::open(Logger(log, "test", "session"), {session.waylandDisplay(), session.x11Display()});
        ASSERT_TRUE(workspaces);
        EXPECT_STREQ(workspaces->nativeBackend(), "x11");
    }
    EXPECT_NE(kill(kwin, 0), 0);
    EXPECT_TRUE(waitUntil([&] { return kill(*xwayland, 0) != 0; })) << "XWayland stopped with KWin";
    EXPECT_TRUE(std::ranges::any_of(log.messages(), [](const std::string& message) {
        return message.find("does not offer org_kde_plasma_window_management") != std::string::npos;
    }));
    EXPECT_TRUE(std::ranges::any_of(log.messages(), [](const std::string& message) {
        return message.find("only XWayland applications are seen") != std::string::npos;
    }));
}

} // namespace
} // namespace drowsel::wltest
