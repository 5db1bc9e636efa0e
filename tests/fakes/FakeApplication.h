// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/RunningApplication.h"

#include <cstdint>
#include <optional>
#include <string>

namespace drowsel::fakes {

// An application whose every answer the test sets.
class FakeApplication : public RunningApplication {
public:
    struct Properties {
        std::optional<std::string> name{};
        std::optional<std::string> bundleIdentifier{};
        std::optional<std::string> bundleLocation{};
        ActivationPolicy activationPolicy = ActivationPolicy::regular;
        std::optional<std::int64_t> processIdentifier{};
        bool finishedLaunching = true;
        bool acceptsQuit = true;
    };

    explicit FakeApplication(Properties properties) : properties(std::move(properties)) {}

    std::optional<std::string> localizedName() const override { return properties.name; }
    std::optional<std::string> bundleIdentifier() const override { return properties.bundleIdentifier; }
    std::optional<std::string> bundleLocation() const override { return properties.bundleLocation; }
    ActivationPolicy activationPolicy() const override { return properties.activationPolicy; }
    std::optional<std::int64_t> processIdentifier() const override { return properties.processIdentifier; }
    bool isFinishedLaunching() const override { return properties.finishedLaunching; }
    bool terminate() override {
        ++quitRequests;
        return properties.acceptsQuit;
    }

    Properties properties;
    int quitRequests = 0;
};

} // namespace drowsel::fakes
