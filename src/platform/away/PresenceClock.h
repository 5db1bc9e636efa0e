// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Clock.h"
#include "platform/system/SystemClock.h"

#include <bitset>

namespace drowsel {

// A clock that, while counting only present time, stands still whenever the
// user is away: the screen locked or its saver on, no input for a long while,
// the machine asleep. Idle times counted on it are the time the user was at
// the computer since leaving an application. Switching counting on or off
// never makes it jump: the time away counted so far stays subtracted.
class PresenceClock : public Clock {
public:
    using TimeSource = Date (*)();
    // What tells that the user is away; the user is away while any says so.
    enum class AwaySource { locked, sessionIdle, screenSaver, noInput, asleep, count };

    // sinceBoot and monotonic are the system's; a test hands in its own. A
    // sleep shows as growth of their difference.
    explicit PresenceClock(const Clock& base, TimeSource sinceBoot = SystemClock::bootSeconds,
                           TimeSource monotonic = monotonicSeconds);

    Date now() const override;
    void setCounting(bool onlyPresent);
    void setAway(AwaySource source, bool away);
    bool isAway(AwaySource source) const { return awaySources.test(static_cast<std::size_t>(source)); }

    static Date monotonicSeconds();

private:
    Date at(Date baseNow, Date asleep) const;
    Date timeAsleep() const { return sinceBoot() - monotonic(); }
    // Takes the time so far as the new starting point, before the way it is counted changes.
    void restart();

    const Clock& base;
    TimeSource sinceBoot;
    TimeSource monotonic;
    bool counting = false;
    std::bitset<static_cast<std::size_t>(AwaySource::count)> awaySources;
    // At the last restart: this clock's time, the base clock's, and the time asleep.
    Date presentMark;
    Date baseMark;
    Date asleepMark;
};

} // namespace drowsel
