#pragma once

#include "QtEventPump.h"
#include "XSession.h"
#include "fakes/RecordingLogSink.h"
#include "platform/x11/X11Workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sstream>

namespace drowsel::xtest {

// A workspace on a private X session, with helpers to start clients and to
// wait, pumping the Qt event loop, until the workspace sees what they did.
class WorkspaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        workspace = X11Workspace::open(Logger(log, "com.drowsel.Drowsel", "X11Workspace"), session.display().c_str());
        ASSERT_TRUE(workspace);
    }

    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        return XSession::waitUntil(condition, timeout, pumpQtEvents);
    }

    pid_t startFixture(std::vector<std::string> options) {
        options.insert(options.begin(), DROWSEL_FIXTURE_CLIENT);
        return session.start(options);
    }

    std::vector<ApplicationHandle> appsNamed(const std::string& name) const {
        auto apps = workspace->runningApplications();
        std::erase_if(apps, [&](const ApplicationHandle& app) { return app->localizedName() != name; });
        return apps;
    }

    ApplicationHandle waitForApp(const std::string& name) {
        EXPECT_TRUE(waitUntil([&] { return !appsNamed(name).empty(); }))
            << "no application named " << name << " among " << listedNames();
        const auto apps = appsNamed(name);
        if (apps.empty()) {
            throw std::runtime_error("no application named " + name);
        }
        return apps.front();
    }

    std::string listedNames() const {
        std::string names;
        for (const auto& app : workspace->runningApplications()) {
            names += "'" + app->localizedName().value_or("(none)") + "' ";
        }
        return names;
    }

    std::vector<std::string> windowsOfClass(const std::string& className) const {
        std::istringstream output(session.run({"xdotool", "search", "--class", "^" + className + "$"}).output);
        std::vector<std::string> ids;
        for (std::string id; output >> id;) {
            ids.push_back(id);
        }
        return ids;
    }

    std::size_t managedWindowCount() const {
        const auto output = session.run({"xprop", "-root", "_NET_CLIENT_LIST"}).output;
        return output.find('#') == std::string::npos ? 0 : std::ranges::count(output, ',') + 1;
    }

    // X events arrive in order: once the workspace lists a window mapped after
    // everything the test did, it has seen all of it.
    void settle() {
        const auto sentinel = startFixture({"--class", "sentinel", "Sentinel", "--dock"});
        waitForApp("Sentinel");
        session.stop(sentinel);
        ASSERT_TRUE(waitUntil([&] { return appsNamed("Sentinel").empty(); }));
    }

    XSession session;
    fakes::RecordingLogSink log;
    std::unique_ptr<X11Workspace> workspace;
};

} // namespace drowsel::xtest
