// SPDX-License-Identifier: GPL-3.0-or-later
// What every workspace backend must do, against its real display server and
// real clients.
#include "WorkspaceFixture.h"

namespace drowsel::workspacetest {
namespace {

TEST_P(WorkspaceContract, AnOrdinaryClientIsARegularLaunchedApplication) {
    Client plain{.name = "Plain"};
    start(plain);
    const auto app = waitForApp(plain.name);
    EXPECT_EQ(app->activationPolicy(), ActivationPolicy::regular) << seen();
    EXPECT_TRUE(app->isFinishedLaunching());
}

TEST_P(WorkspaceContract, DocksAndSkipTaskbarClientsAreListedButNotRegular) {
    std::string notShown;
    for (const auto role : {Client::Role::dock, Client::Role::skipTaskbar}) {
        Client helper{.name = "Helper", .role = role};
        if (const auto reason = driver().cannotStart(helper)) {
            notShown += *reason + "; ";
            continue;
        }
        start(helper);
        EXPECT_EQ(waitForApp(helper.name)->activationPolicy(), ActivationPolicy::accessory) << seen();
    }
    if (started.empty()) {
        GTEST_SKIP() << notShown;
    }
    std::cout << (notShown.empty() ? "" : "Not shown on this backend: " + notShown + "\n");
}

TEST_P(WorkspaceContract, TheWindowsOfOneProcessAreOneApplicationWithOneHandle) {
    Client multi{.name = "Multi", .windows = 3};
    Client other{.name = "Other"};
    start(multi);
    start(other);
    const auto app = waitForApp(multi.name);
    settle();

    const auto apps = appsNamed(multi.name);
    ASSERT_EQ(apps.size(), 1u) << seen();
    EXPECT_EQ(apps.front(), app);
    EXPECT_EQ(std::hash<ApplicationHandle>{}(apps.front()), std::hash<ApplicationHandle>{}(app));
    EXPECT_NE(waitForApp(other.name), app);
}

TEST_P(WorkspaceContract, OneDeactivationPerChangeOfApplication) {
    Client alpha{.name = "Alpha"};
    Client beta{.name = "Beta", .windows = 2};
    const auto alphaPid = start(alpha);
    const auto betaPid = start(beta);
    waitForApp(alpha.name);
    waitForApp(beta.name);
    activate(alphaPid, alpha, 0);
    settle();
    ASSERT_EQ(frontmostName(), alpha.name) << seen();
    deactivated.clear();

    activate(betaPid, beta, 0);
    activate(betaPid, beta, 1); // the same application: no deactivation
    activate(alphaPid, alpha, 0);
    settle();

    EXPECT_EQ(deactivated, (std::vector<std::string>{alpha.name, beta.name})) << seen();
}

// Asked twice: a dock's request, had one been sent, would have come before
// the second request to the ordinary window, on the same connection.
TEST_P(WorkspaceContract, APoliteCloseGoesToOrdinaryWindowsOnlyAndIsNeverForced) {
    Client stubborn{.name = "Stubborn", .withDock = true, .refusesClose = true};
    if (const auto reason = driver().cannotStart(stubborn)) {
        std::cout << "Without a dock: " << *reason << "\n";
        stubborn.withDock = false;
    }
    const auto pid = start(stubborn);
    const auto app = waitForApp(stubborn.name);
    EXPECT_EQ(app->activationPolicy(), ActivationPolicy::regular) << seen();

    for (const std::size_t asked : {1u, 2u}) {
        EXPECT_TRUE(waitUntil([&] { return app->terminate(); })) << seen();
        EXPECT_TRUE(waitUntil([&] { return requestsTo(stubborn.name) >= asked; })) << seen();
    }
    EXPECT_EQ(requestsTo(stubborn.name + "Dock"), 0u) << seen();
    EXPECT_TRUE(driver().session().isRunning(pid));
    EXPECT_EQ(appsNamed(stubborn.name), std::vector{app}) << seen();
}

TEST_P(WorkspaceContract, AClientWithoutAPoliteCloseIsNeverAsked) {
    Client deaf{.name = "Deaf", .hasPoliteClose = false};
    if (const auto reason = driver().cannotStart(deaf)) {
        GTEST_SKIP() << *reason;
    }
    const auto pid = start(deaf);
    EXPECT_FALSE(waitForApp(deaf.name)->terminate()) << seen();
    settle();
    EXPECT_TRUE(driver().session().isRunning(pid));
}

TEST_P(WorkspaceContract, HandlesStaySafeAfterACloseAndOnceTheWorkspaceIsClosed) {
    Client closing{.name = "Closing"};
    Client kept{.name = "Kept"};
    const auto pid = start(closing);
    start(kept);
    const auto app = waitForApp(closing.name);
    const auto keptApp = waitForApp(kept.name);

    EXPECT_TRUE(waitUntil([&] { return app->terminate(); })) << seen();
    EXPECT_TRUE(waitUntil([&] { return !driver().session().isRunning(pid); })) << seen();
    EXPECT_EQ(driver().session().exitStatus(pid), 0) << "closed by its own choice, not killed";
    EXPECT_TRUE(waitUntil([&] { return appsNamed(closing.name).empty(); })) << seen();
    EXPECT_FALSE(app->terminate()) << "a gone application is not asked";
    EXPECT_EQ(app->localizedName(), closing.name);

    current = nullptr;
    workspace.reset();
    EXPECT_FALSE(keptApp->terminate());
    EXPECT_EQ(keptApp->localizedName(), kept.name);
}

// An application whose windows are all minimised has launched all the same:
// one that still counted as launching would never be quit.
TEST_P(WorkspaceContract, LaunchedStaysTrueOnceEveryWindowIsHidden) {
    Client hidden{.name = "Hidden", .windows = 2};
    const auto pid = start(hidden);
    const auto app = waitForApp(hidden.name);
    ASSERT_TRUE(waitUntil([&] { return app->isFinishedLaunching(); })) << seen();
    if (const auto reason = driver().hideAll(pid, hidden)) {
        GTEST_SKIP() << *reason;
    }
    settle();
    EXPECT_EQ(appsNamed(hidden.name), std::vector{app}) << seen();
    EXPECT_TRUE(app->isFinishedLaunching());
}

// The display server going is the session ending: a server of its own.
TEST_P(WorkspaceServerEnd, HandlesStaySafeAfterTheServerGoes) {
    fakes::RecordingLogSink log;
    const auto driver = GetParam()();
    const auto workspace = driver->open(Logger(log, "test", "workspace"));
    ASSERT_TRUE(workspace);
    Client client{.name = "org.drowsel.Survivor"};
    driver->start(client, driver->session().folder() + "/close.log");
    ASSERT_TRUE(WorkspaceFixture::waitUntil([&] { return workspace->runningApplications().size() == 1; }));
    const auto app = workspace->runningApplications().front();

    driver->endServer();
    EXPECT_TRUE(WorkspaceFixture::waitUntil([&] { return !app->terminate(); })) << "nothing left to ask";
    EXPECT_EQ(app->localizedName(), client.name);
    (void)workspace->runningApplications();
    (void)workspace->frontmostApplication();
}

} // namespace
} // namespace drowsel::workspacetest
