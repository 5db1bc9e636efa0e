// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace drowsel {

// What an application left in the background is doing for the user, which
// makes it as busy as the one in front.
struct Work {
    enum class Kind { playingSound, recording, keepingAwake, runningCommand };

    Kind kind = Kind::playingSound;
    // Why it keeps the computer awake, in its own words; empty for other kinds.
    std::string reason;

    bool operator==(const Work&) const = default;

    // For the log: "playing sound", "keeping the computer awake: download".
    std::string description() const {
        switch (kind) {
        case Kind::playingSound:
            return "playing sound";
        case Kind::recording:
            return "recording";
        case Kind::keepingAwake:
            return reason.empty() ? "keeping the computer awake" : "keeping the computer awake: " + reason;
        case Kind::runningCommand:
            return "running a command";
        }
        return {};
    }
};

} // namespace drowsel
