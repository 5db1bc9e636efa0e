// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/away/AwayWatch.h"

#include <string>

namespace drowsel {

AwayWatch::AwayWatch(Logger log, PresenceClock& clock)
    : logind(LogindPresenceWatch::start(log, clock)), mutterIdle(MutterIdleWatch::start(log, clock)),
      gnomeScreenSaver(GnomeScreenSaverWatch::start(log, clock)) {
    // Mutter sees all input, Wayland's and XWayland's; it offers no other idle protocol anyway.
    const bool askDisplay = !mutterIdle;
    if (askDisplay && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        wayland = IdleNotificationWatch::start(log, clock);
    } else if (askDisplay && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        x11 = ScreenSaverWatch::start(log, clock, {});
    }
    std::string sources = logind ? "logind's session lock, idle and sleep" : "";
    const std::string gnome = mutterIdle && gnomeScreenSaver ? "GNOME's idle monitor and screen saver"
                              : mutterIdle                   ? "GNOME's idle monitor"
                              : gnomeScreenSaver             ? "GNOME's screen saver"
                                                             : "";
    const std::string display = !gnome.empty() ? gnome
                                : wayland      ? std::string("the compositor's ") + wayland->protocol()
                                : x11          ? "the X server's screen saver"
                                               : "";
    sources += !sources.empty() && !display.empty() ? ", " + display : display;
    log.info(sources.empty()
                 ? "Nothing tells when the user is away: idle time is wall time, less any sleep of the machine"
                 : "The user's absence is told by " + sources);
}

} // namespace drowsel
