// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakes/FakeWorkspace.h"

#include <algorithm>

namespace drowsel::fakes {

ApplicationHandle FakeWorkspace::launch(FakeApplication::Properties properties) {
    return running.emplace_back(std::make_shared<FakeApplication>(std::move(properties)));
}

void FakeWorkspace::exit(const ApplicationHandle& application) {
    std::erase(running, application);
    frontmost = frontmost == application ? std::nullopt : frontmost;
}

void FakeWorkspace::deactivate(const DeactivationNotification& notification) {
    std::ranges::for_each(observers, [&](const auto& observer) { observer(notification); });
}

} // namespace drowsel::fakes
