// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace drowsel {

// Where log lines end up (the journal on Linux).
class LogSink {
public:
    enum class Level { debug, info, error };

    virtual ~LogSink() = default;

    virtual void write(Level level, std::string_view subsystem, std::string_view category,
                       std::string_view message) = 0;
    // False for a level whose lines this sink drops.
    virtual bool writes(Level) const { return true; }
};

} // namespace drowsel
