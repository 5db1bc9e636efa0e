// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/LogSink.h"

#include <string>
#include <string_view>

namespace drowsel {

// A log handle for one subsystem and category.
class Logger {
public:
    Logger(LogSink& sink, std::string subsystem, std::string category)
        : sink(sink), subsystem(std::move(subsystem)), category(std::move(category)) {}

    void debug(std::string_view message) const { sink.write(LogSink::Level::debug, subsystem, category, message); }
    void info(std::string_view message) const { sink.write(LogSink::Level::info, subsystem, category, message); }
    void error(std::string_view message) const { sink.write(LogSink::Level::error, subsystem, category, message); }

private:
    LogSink& sink;
    std::string subsystem;
    std::string category;
};

} // namespace drowsel
