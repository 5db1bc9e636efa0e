#include "fakes/FakeWorkspace.h"

#include <algorithm>

namespace drowsel::fakes {

ApplicationHandle FakeWorkspace::launch(FakeApplication::Properties properties) {
    auto handle = std::make_shared<FakeApplication>(std::move(properties))->handle();
    running.push_back(handle);
    return handle;
}

FakeApplication& FakeWorkspace::fake(const ApplicationHandle& application) const {
    return static_cast<FakeApplication&>(*application);
}

void FakeWorkspace::exit(const ApplicationHandle& application) {
    std::erase(running, application);
    if (frontmost == application) {
        frontmost.reset();
    }
}

void FakeWorkspace::notify(const DeactivationNotification& notification) {
    for (const auto& observer : observers) {
        observer(notification);
    }
}

} // namespace drowsel::fakes
