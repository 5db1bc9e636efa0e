// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/RunningApplication.h"
#include "platform/x11/WindowCloser.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace drowsel {

// One application on the X display: the one object behind all its handles.
// The workspace keeps its facts up to date from X events, so reading them
// costs no request to the X server.
class X11Application : public RunningApplication {
public:
    struct Facts {
        std::optional<std::string> name;
        std::optional<std::string> identifier;
        std::optional<std::string> location;
        std::optional<std::int64_t> pid;
        ActivationPolicy policy = ActivationPolicy::accessory;
        bool hasMappedWindow = false;
        // Ordinary top-level windows that list WM_DELETE_WINDOW in WM_PROTOCOLS.
        std::vector<xcb_window_t> closableWindows;
    };

    explicit X11Application(std::weak_ptr<const WindowCloser> closer) : closer(std::move(closer)) {}

    std::optional<std::string> localizedName() const override { return facts.name; }
    std::optional<std::string> bundleIdentifier() const override { return facts.identifier; }
    std::optional<std::string> bundleLocation() const override { return facts.location; }
    ActivationPolicy activationPolicy() const override { return facts.policy; }
    std::optional<std::int64_t> processIdentifier() const override { return facts.pid; }
    bool isFinishedLaunching() const override { return hasLaunched; }
    // False when no window can be asked: none lists WM_DELETE_WINDOW, the
    // application has gone or the workspace is closed.
    bool terminate() override;

    void update(Facts current);
    // The application has no window left; its last facts stay readable.
    void markGone();
    bool isRunning() const { return running; }

private:
    std::weak_ptr<const WindowCloser> closer;
    Facts facts;
    // Once launched, an application stays launched while its windows come and go.
    bool hasLaunched = false;
    bool running = true;
};

} // namespace drowsel
