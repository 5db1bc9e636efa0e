// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/RunningApplication.h"
#include "platform/wayland/ToplevelCloser.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace drowsel {

// One application of a Wayland session: the one object behind all its
// handles. Its workspace keeps the facts up to date from protocol events, so
// reading them costs no request.
class WaylandApplication : public RunningApplication {
public:
    struct Facts {
        std::optional<std::string> name;
        std::optional<std::string> identifier;
        std::optional<std::string> location;
        std::optional<std::int64_t> pid;
        ActivationPolicy policy = ActivationPolicy::regular;
        // The workspace's ids of the application's toplevels.
        std::vector<std::uint64_t> toplevels;
    };

    explicit WaylandApplication(std::weak_ptr<const ToplevelCloser> closer) : closer(std::move(closer)) {}

    std::optional<std::string> localizedName() const override { return facts.name; }
    std::optional<std::string> bundleIdentifier() const override { return facts.identifier; }
    std::optional<std::string> bundleLocation() const override { return facts.location; }
    ActivationPolicy activationPolicy() const override { return facts.policy; }
    std::optional<std::int64_t> processIdentifier() const override { return facts.pid; }
    // The compositor lists a toplevel once it is mapped.
    bool isFinishedLaunching() const override { return true; }
    // Asks the compositor to close each toplevel, as its close button would.
    // False when none could be asked: the application has gone or the
    // workspace is closed.
    bool terminate() override;

    const Facts& currentFacts() const { return facts; }
    void update(Facts current) { facts = std::move(current); }
    // The application has no toplevel left; its last facts stay readable.
    void markGone();
    bool isRunning() const { return running; }

private:
    std::weak_ptr<const ToplevelCloser> closer;
    Facts facts;
    bool running = true;
};

} // namespace drowsel
