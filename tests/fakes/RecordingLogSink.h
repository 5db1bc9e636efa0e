// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/LogSink.h"

#include <string>
#include <vector>

namespace drowsel::fakes {

class RecordingLogSink : public LogSink {
public:
    struct Line {
        Level level;
        std::string subsystem;
        std::string category;
        std::string message;
    };

    void write(Level level, std::string_view subsystem, std::string_view category, std::string_view message) override {
        lines.push_back({level, std::string(subsystem), std::string(category), std::string(message)});
    }

    std::vector<std::string> messages() const {
        std::vector<std::string> result;
        for (const auto& line : lines) {
            result.push_back(line.message);
        }
        return result;
    }

    std::vector<Line> lines;
};

} // namespace drowsel::fakes
