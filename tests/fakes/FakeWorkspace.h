// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Workspace.h"
#include "fakes/FakeApplication.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace drowsel::fakes {

// A desktop the test populates; deactivations are delivered at once, as the
// platform does on the main thread.
class FakeWorkspace : public Workspace {
public:
    ApplicationHandle launch(FakeApplication::Properties properties = {}) {
        return running.emplace_back(std::make_shared<FakeApplication>(std::move(properties)));
    }
    static FakeApplication& fake(const ApplicationHandle& app) { return static_cast<FakeApplication&>(*app); }
    void exit(const ApplicationHandle& application) {
        std::erase(running, application);
        frontmost = frontmost == application ? std::nullopt : frontmost;
    }
    void activate(std::optional<ApplicationHandle> application) { frontmost = std::move(application); }
    // A notification without an application is one the manager must ignore.
    void deactivate(const DeactivationNotification& notification) {
        std::ranges::for_each(observers, [&](const auto& observer) { observer(notification); });
    }
    std::size_t observerCount() const { return observers.size(); }

    std::vector<ApplicationHandle> runningApplications() const override { return running; }
    std::optional<ApplicationHandle> frontmostApplication() const override { return frontmost; }
    void addDeactivationObserver(DeactivationObserver observer) override { observers.push_back(std::move(observer)); }

private:
    std::vector<ApplicationHandle> running;
    std::optional<ApplicationHandle> frontmost;
    std::vector<DeactivationObserver> observers;
};

} // namespace drowsel::fakes
