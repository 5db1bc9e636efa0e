// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Clock.h"
#include "core/LogSink.h"

#include <cstdint>
#include <optional>
#include <string>

namespace drowsel {

// Passes log lines on, but a line that comes again and again, as a
// misbehaving client can make it, is written once: its repeats are counted,
// and "... repeated N times" follows when another line comes, or at most once
// a minute while the repeats go on.
class RepeatCollapsingLogSink : public LogSink {
public:
    static constexpr double reportInterval = 60;

    RepeatCollapsingLogSink(LogSink& next, const Clock& clock) : next(next), clock(clock) {}
    ~RepeatCollapsingLogSink() override { reportRepeats(); }

    void write(Level level, std::string_view subsystem, std::string_view category, std::string_view message) override;
    bool writes(Level level) const override { return next.writes(level); }

private:
    struct Line {
        Level level;
        std::string subsystem;
        std::string category;
        std::string message;

        bool operator==(const Line&) const = default;
    };

    void reportRepeats();

    LogSink& next;
    const Clock& clock;
    std::optional<Line> last;
    std::uint64_t repeats = 0;
    Date countedSince = 0;
};

} // namespace drowsel
