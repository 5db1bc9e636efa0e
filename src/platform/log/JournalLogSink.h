// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/LogSink.h"

namespace drowsel {

// Writes to the systemd journal with the subsystem and category as fields of
// their own, or to stderr where there is no journal. Debug lines are written
// only with DROWSEL_DEBUG=1, so a quiet desktop's journal is not filled with
// a line a minute.
class JournalLogSink : public LogSink {
public:
    JournalLogSink();

    void write(Level level, std::string_view subsystem, std::string_view category, std::string_view message) override;
    bool writes(Level level) const override { return level != Level::debug || writesDebug; }

private:
    static void writeToJournal(Level level, std::string_view subsystem, std::string_view category,
                               std::string_view message);

    bool writesDebug;
    bool toJournal;
};

} // namespace drowsel
