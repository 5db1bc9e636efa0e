// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/FakeWorkspace.h"

#include <algorithm>

namespace drowsel::fakes {

ApplicationHandle FakeWorkspace::launch(FakeApplication::Properties properties) {
    return running.emplace_back(std::make_shared<FakeApplication>(std::move(properties)));
}

void FakeWorkspace::exit(const ApplicationHandle& application) {
    std::erase(running, application);
    if (frontmost == application) {
        frontmost.reset();
    }
}

void FakeWorkspace::deactivate(const DeactivationNotification& notification) {
    for (const auto& observer : observers) {
        observer(notification);
    }
}

} // namespace drowsel::fakes
