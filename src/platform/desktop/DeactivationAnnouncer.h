// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Workspace.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace drowsel {

// Follows the owner of the active window and tells the observers when an
// application stops being it. Desktops report one switch in several events,
// often naming the same owner again: only a change of application counts,
// and an application that has gone is not announced.
template <class Application> class DeactivationAnnouncer {
public:
    void addObserver(Workspace::DeactivationObserver observer) { observers.push_back(std::move(observer)); }

    // owner: null while no application is active. isStillOurs, when given,
    // tells whether the previous owner is still this workspace's to announce.
    void ownerIs(std::shared_ptr<Application> owner,
                 const std::function<bool(const Application&)>& isStillOurs = nullptr) {
        if (owner == current) {
            return;
        }
        const auto previous = std::exchange(current, std::move(owner));
        if (!previous || !previous->isRunning() || (isStillOurs && !isStillOurs(*previous))) {
            return;
        }
        const DeactivationNotification notification{ApplicationHandle(previous)};
        // By index: an observer may add another one.
        for (std::size_t index = 0; index < observers.size(); ++index) {
            observers[index](notification);
        }
    }

private:
    std::shared_ptr<Application> current;
    std::vector<Workspace::DeactivationObserver> observers;
};

} // namespace drowsel
