// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BackendDriver.h"
#include "QtEventPump.h"
#include "fakes/RecordingLogSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>

namespace drowsel::workspacetest {

// A workspace on the backend's display server, shared by the cases of a
// suite, with real clients each case starts and stops by PID. Every failure
// tells what the workspace saw: its applications, the deactivations, the
// close requests the clients logged.
class WorkspaceFixture : public ::testing::TestWithParam<DriverFactory> {
public:
    static void TearDownTestSuite() { shared.reset(); }

    static bool waitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        return processes::DisplaySession::waitUntil(condition, timeout, pumpQtEvents);
    }

protected:
    void SetUp() override {
        if (!shared) {
            shared = GetParam()();
        }
        closeLog = driver().session().folder() + "/close-" + std::to_string(++clientCount) + ".log";
        workspace = driver().open(Logger(log, "test", "workspace"));
        ASSERT_TRUE(workspace) << seen();
        observe(*workspace);
    }

    void TearDown() override {
        workspace.reset();
        for (const auto pid : started) {
            driver().session().stop(pid);
        }
    }

    BackendDriver& driver() { return *shared; }

    // Records the deactivations of this workspace from now on; later calls
    // helpers read it.
    void observe(Workspace& observed) {
        current = &observed;
        observed.addDeactivationObserver([this](const DeactivationNotification& notification) {
            deactivated.push_back(notification.application ? notification.application->name() : "(none)");
        });
    }

    // A program of the case's choosing, stopped with its clients.
    pid_t startProgram(const std::vector<std::string>& command) {
        started.push_back(driver().session().start(command));
        return started.back();
    }

    // Gives the client a name no other client of the session has.
    pid_t start(Client& client) {
        client.name = "org.drowsel.c" + std::to_string(++clientCount) + "." + client.name;
        started.push_back(driver().start(client, closeLog));
        return started.back();
    }

    // Makes the client's window the active one and waits until the workspace says so.
    void activate(pid_t pid, const Client& client, int window = 0) {
        ASSERT_TRUE(driver().activate(pid, client, window)) << client.name << " " << window << "; " << seen();
        ASSERT_TRUE(waitUntil([&] { return frontmostName() == client.name; })) << seen();
    }

    std::vector<ApplicationHandle> appsNamed(const std::string& name) const {
        auto apps = current->runningApplications();
        std::erase_if(apps, [&](const ApplicationHandle& app) { return app->localizedName() != name; });
        return apps;
    }

    ApplicationHandle waitForApp(const std::string& name) {
        if (!waitUntil([&] { return appsNamed(name).size() == 1; })) {
            throw std::runtime_error("no single application named " + name + "; " + seen());
        }
        return appsNamed(name).front();
    }

    std::string frontmostName() const {
        const auto frontmost = current->frontmostApplication();
        return frontmost ? (*frontmost)->localizedName().value_or("(none)") : "";
    }

    // Events of one connection arrive in order: once the workspace has listed
    // and dropped a client started after everything a case did, it has seen
    // all of it. The sentinel takes no focus: a dock where the backend shows
    // one, else a window the compositor is told not to focus.
    void settle() {
        if (driver().catchUp()) {
            return;
        }
        Client sentinel{.name = "Sentinel", .role = Client::Role::dock};
        if (driver().cannotStart(sentinel)) {
            sentinel.role = Client::Role::ordinary;
        }
        awaitSentinel(start(sentinel), sentinel.name);
    }

    void awaitSentinel(pid_t pid, const std::string& name) {
        waitForApp(name);
        driver().session().stop(pid);
        ASSERT_TRUE(waitUntil([&] { return appsNamed(name).empty(); })) << seen();
    }

    // The close requests the clients logged, a line each: "<window> delete request".
    std::vector<std::string> closeRequests() const {
        std::ifstream file(closeLog);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    std::size_t requestsTo(const std::string& window) const {
        return std::size_t(std::ranges::count(closeRequests(), window + " delete request"));
    }

    std::string seen() const {
        std::ostringstream text;
        text << "applications:";
        for (const auto& app : current != nullptr ? current->runningApplications() : std::vector<ApplicationHandle>{}) {
            text << " '" << app.name()
                 << (app->activationPolicy() == ActivationPolicy::regular ? "'" : "' (accessory)");
        }
        text << "; frontmost '" << (current != nullptr ? frontmostName() : "") << "'; deactivated "
             << ::testing::PrintToString(deactivated) << "; close requests "
             << ::testing::PrintToString(closeRequests()) << "; log " << ::testing::PrintToString(log.messages());
        return text.str();
    }

    fakes::RecordingLogSink log;
    std::unique_ptr<Workspace> workspace;
    Workspace* current = nullptr;
    std::vector<std::string> deactivated;
    std::string closeLog;
    std::vector<pid_t> started;
    static inline std::unique_ptr<BackendDriver> shared;
    static inline int clientCount = 0;
};

// The contract every backend passes; its program instantiates it with its driver.
using WorkspaceContract = WorkspaceFixture;
// The cases that end the display server, each on a server of its own.
using WorkspaceServerEnd = ::testing::TestWithParam<DriverFactory>;

} // namespace drowsel::workspacetest
