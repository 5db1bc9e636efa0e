#pragma once

#include "core/DefaultsKeys.h"
#include "core/RunningAppsManager.h"
#include "fakes/CoreFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace drowsel {

// A manager on faked services; the test drives the queue, clock and timer.
class ManagerTest : public ::testing::Test {
protected:
    using Properties = fakes::FakeApplication::Properties;

    void start() { manager = RunningAppsManager::create(env.services()); }
    void startSettled() {
        start();
        env.mainQueue.runAll();
    }
    void sweep() { manager->checkOpenApps(); }
    void setHours(std::int64_t hours) { env.defaults.setInteger(DefaultsKeys::hoursUntilClose, hours); }
    void setStoredSwitches(fakes::MemoryDefaultsStore::Value value) {
        env.defaults.values[DefaultsKeys::toggleStatus] = std::move(value);
    }

    bool isTracked(const ApplicationHandle& application) const { return manager->runningApps().contains(application); }
    Date dateOf(const ApplicationHandle& application) const { return manager->runningApps().at(application); }
    int quitRequests(const ApplicationHandle& application) const {
        return env.workspace.fake(application).quitRequests;
    }
    std::size_t sweepsLogged() const { return std::ranges::count(env.log.messages(), "checkOpenApps"); }

    fakes::CoreFakes env;
    std::shared_ptr<RunningAppsManager> manager;
};

} // namespace drowsel
