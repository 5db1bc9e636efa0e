// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "platform/away/GnomeScreenSaverWatch.h"
#include "platform/away/IdleNotificationWatch.h"
#include "platform/away/LogindPresenceWatch.h"
#include "platform/away/MutterIdleWatch.h"
#include "platform/away/PresenceClock.h"
#include "platform/away/ScreenSaverWatch.h"

#include <memory>

namespace drowsel {

// Whatever the session offers to tell that the user is away, each started
// only where it is present: logind, and GNOME's idle monitor and screen
// saver, or else the Wayland compositor's idle notification or else the X
// server's screen saver. XWayland is not asked:
// it sees none of the input that goes to Wayland windows. Names in the log
// what runs, or that nothing does and idle time is wall time.
class AwayWatch {
public:
    AwayWatch(Logger log, PresenceClock& clock);

private:
    std::unique_ptr<LogindPresenceWatch> logind;
    std::unique_ptr<MutterIdleWatch> mutterIdle;
    std::unique_ptr<GnomeScreenSaverWatch> gnomeScreenSaver;
    std::unique_ptr<IdleNotificationWatch> wayland;
    std::unique_ptr<ScreenSaverWatch> x11;
};

} // namespace drowsel
