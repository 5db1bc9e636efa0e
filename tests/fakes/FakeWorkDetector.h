// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/WorkDetector.h"

#include <unordered_map>
#include <vector>

namespace drowsel::fakes {

// Answers what the test says each application is doing, and notes who was asked.
class FakeWorkDetector : public WorkDetector {
public:
    std::optional<Work> workOf(const ApplicationHandle& application) override {
        asked.push_back(application);
        const auto found = work.find(application);
        return found == work.end() ? std::nullopt : std::optional(found->second);
    }

    std::unordered_map<ApplicationHandle, Work> work;
    std::vector<ApplicationHandle> asked;
};

} // namespace drowsel::fakes
