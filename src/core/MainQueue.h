// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace drowsel {

// Runs tasks later on the main thread, in the order they were posted.
class MainQueue {
public:
    virtual ~MainQueue() = default;

    virtual void post(std::function<void()> task) = 0;
};

} // namespace drowsel
