// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/DefaultsKeys.h"
#include "core/RunningAppsManager.h"
#include "fakes/CoreFakes.h"

#include <gmock/gmock.h>

namespace drowsel {

// What ManagerTest::idleSeconds says of an application that is not tracked.
inline constexpr double untracked = -1e99;

// A manager on faked services, driven as the event loop drives it: a sweep or
// a tick is followed by the tasks it queued. Tests that look at the moment
// before the queue runs call the manager and the queue themselves.
class ManagerTest : public ::testing::Test {
protected:
    using Properties = fakes::FakeApplication::Properties;
    using Value = fakes::MemoryDefaultsStore::Value;

    ApplicationHandle launch(Properties properties = {}) { return env.workspace.launch(std::move(properties)); }
    void start() { manager = RunningAppsManager::create(env.services()); }
    void startSettled() {
        start();
        env.mainQueue.runAll();
    }
    void sweep() {
        manager->checkOpenApps();
        env.mainQueue.runAll();
    }
    void tick() {
        env.timers.fireAll();
        env.mainQueue.runAll();
    }
    void store(const char* key, Value value) { env.defaults.values[key] = std::move(value); }

    double idleSeconds(const ApplicationHandle& application) const {
        const auto found = manager->runningApps().find(application);
        return found == manager->runningApps().end() ? untracked : env.clock.now() - found->second;
    }
    int quitRequests(const ApplicationHandle& app) const { return env.workspace.fake(app).quitRequests; }

    fakes::CoreFakes env;
    std::shared_ptr<RunningAppsManager> manager;
};

} // namespace drowsel
