// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RepeatCollapsingLogSink.h"

#include <cmath>

namespace drowsel {

void RepeatCollapsingLogSink::write(Level level, std::string_view subsystem, std::string_view category,
                                    std::string_view message) {
    // A line that is not written does not end a run of repeats either.
    if (!next.writes(level)) {
        return;
    }
    Line line{level, std::string(subsystem), std::string(category), std::string(message)};
    if (line == last) {
        ++repeats;
        // Either way: a clock set back must not hold the count forever.
        if (std::abs(clock.now() - countedSince) >= reportInterval) {
            reportRepeats();
        }
        return;
    }
    reportRepeats();
    next.write(level, subsystem, category, message);
    last = std::move(line);
    countedSince = clock.now();
}

void RepeatCollapsingLogSink::reportRepeats() {
    if (repeats == 0) {
        return;
    }
    next.write(last->level, last->subsystem, last->category, "... repeated " + std::to_string(repeats) + " times");
    repeats = 0;
    countedSince = clock.now();
}

} // namespace drowsel
