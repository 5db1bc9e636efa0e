// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Clock.h"
#include "core/Logger.h"
#include "core/WorkDetector.h"
#include "platform/sound/SoundStreams.h"
#include "platform/work/LogindInhibitors.h"
#include "platform/work/ProcessTable.h"
#include "platform/work/TerminalCommands.h"

#include <QTimer>

#include <optional>

namespace drowsel {

// Whether an application or anything it started plays or records sound, runs
// a command in one of its terminals, or keeps the computer awake. Each
// detector runs where its service is there and keeps quiet where it is not.
class WorkDetectors : public WorkDetector {
public:
    // Logs once, shortly after the start, which detectors run.
    WorkDetectors(Logger log, const Clock& clock);

    std::optional<Work> workOf(const ApplicationHandle& application) override;

private:
    const ProcessTable& processTable();
    void logWhatRuns();

    Logger log;
    const Clock& clock;
    SoundStreams sound;
    LogindInhibitors inhibitors;
    TerminalCommands terminals;
    // Read once for all the applications a sweep asks about.
    std::optional<ProcessTable> table;
    Date tableReadAt = 0;
    QTimer startLine;
};

} // namespace drowsel
