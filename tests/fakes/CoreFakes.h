// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/CoreServices.h"
#include "fakes/FakeOwnApplication.h"
#include "fakes/FakeWorkDetector.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualMainQueue.h"
#include "fakes/ManualTimerScheduler.h"
#include "fakes/MemoryDefaultsStore.h"
#include "fakes/RecordingLogSink.h"
#include "fakes/RecordingQuitRecord.h"
#include "fakes/RecordingQuitWarnings.h"
#include "fakes/SettableClock.h"

namespace drowsel::fakes {

// Every port of the core, faked. Declared so that the queue and the workspace,
// which may hold the last reference to a manager, go first and the services
// its destructor uses go last.
struct CoreFakes {
    RecordingLogSink log;
    SettableClock clock;
    FakeWorkDetector work;
    MemoryDefaultsStore defaults;
    RecordingQuitWarnings warnings;
    RecordingQuitRecord record;
    ManualTimerScheduler timers;
    FakeOwnApplication ownApplication;
    ManualMainQueue mainQueue;
    FakeWorkspace workspace;
    // Idle time counts on the clock unless a test gives it a clock of its own.
    Clock* idleClock = nullptr;

    CoreServices services() {
        return {workspace, ownApplication, defaults, mainQueue, timers, clock, idleClock ? *idleClock : clock,
                log,       warnings,       record,   work};
    }
};

} // namespace drowsel::fakes
