// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/RunningApplication.h"

#include <functional>
#include <memory>
#include <string>

namespace drowsel {

// A cheap value naming one running application. The platform hands out one
// RunningApplication object per application, so identity is the object's
// address; holding the handle keeps the object alive, so a later application
// can never compare equal to it.
class ApplicationHandle {
public:
    // application must not be null.
    explicit ApplicationHandle(std::shared_ptr<RunningApplication> application) : application(std::move(application)) {}

    RunningApplication* operator->() const { return application.get(); }
    RunningApplication& operator*() const { return *application; }

    // The name that keys the automatic-quit switch: empty when there is none.
    std::string name() const { return application->localizedName().value_or(""); }

    bool operator==(const ApplicationHandle& other) const = default;

private:
    std::shared_ptr<RunningApplication> application;
};

} // namespace drowsel

template <> struct std::hash<drowsel::ApplicationHandle> {
    std::size_t operator()(const drowsel::ApplicationHandle& handle) const noexcept {
        return std::hash<const drowsel::RunningApplication*>{}(&*handle);
    }
};
