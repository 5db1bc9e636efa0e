// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Clock.h"
#include "core/DefaultsStore.h"
#include "core/LogSink.h"
#include "core/MainQueue.h"
#include "core/OwnApplication.h"
#include "core/QuitRecord.h"
#include "core/QuitWarnings.h"
#include "core/TimerScheduler.h"
#include "core/WorkDetector.h"
#include "core/Workspace.h"

namespace drowsel {

// The platform services the monitoring core runs on. They must outlive
// everything built on them.
struct CoreServices {
    Workspace& workspace;
    OwnApplication& ownApplication;
    DefaultsStore& defaults;
    MainQueue& mainQueue;
    TimerScheduler& timers;
    Clock& clock;
    // Idle time is counted on this one: the clock above, or one that stands
    // still while the user is away from the computer.
    Clock& idleClock;
    LogSink& logSink;
    QuitWarnings& warnings;
    QuitRecord& record;
    WorkDetector& work;
};

} // namespace drowsel
