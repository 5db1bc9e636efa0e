// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/LogSink.h"

#include <ranges>
#include <string>
#include <vector>

namespace drowsel::fakes {

// Keeps each line's level and message; no test looks at where a line came from.
class RecordingLogSink : public LogSink {
public:
    struct Line {
        Level level;
        std::string message;
    };

    void write(Level level, std::string_view, std::string_view, std::string_view message) override {
        lines.push_back({level, std::string(message)});
    }

    std::vector<std::string> messages() const {
        const auto messages = std::views::transform(lines, &Line::message);
        return {messages.begin(), messages.end()};
    }

    std::vector<Line> lines;
};

} // namespace drowsel::fakes
