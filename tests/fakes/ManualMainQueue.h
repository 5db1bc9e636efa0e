// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/MainQueue.h"

#include <deque>

namespace drowsel::fakes {

// Holds posted tasks until the test runs them.
class ManualMainQueue : public MainQueue {
public:
    void post(std::function<void()> task) override { tasks.push_back(std::move(task)); }

    // Runs everything, including tasks posted while running.
    void runAll() {
        while (!tasks.empty()) {
            auto task = std::move(tasks.front());
            tasks.pop_front();
            task();
        }
    }

private:
    std::deque<std::function<void()>> tasks;
};

} // namespace drowsel::fakes
