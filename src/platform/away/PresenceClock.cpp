// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/away/PresenceClock.h"

#include <ctime>

namespace drowsel {

PresenceClock::PresenceClock(const Clock& base, TimeSource sinceBoot, TimeSource monotonic)
    : base(base), sinceBoot(sinceBoot), monotonic(monotonic), presentMark(base.now()), baseMark(presentMark),
      asleepMark(timeAsleep()) {}

Date PresenceClock::now() const { return at(base.now(), timeAsleep()); }

// While away it gives the very same time, so that idle times compared while
// the user is away do not wobble by a rounding; while present, it runs with
// the base clock, less a sleep meanwhile.
Date PresenceClock::at(Date baseNow, Date asleep) const {
    if (counting && awaySources.any()) {
        return presentMark;
    }
    const Date elapsed = baseNow - baseMark;
    return presentMark + (counting ? elapsed - (asleep - asleepMark) : elapsed);
}

void PresenceClock::setCounting(bool onlyPresent) {
    restart();
    counting = onlyPresent;
}

void PresenceClock::setAway(AwaySource source, bool away) {
    restart();
    awaySources.set(static_cast<std::size_t>(source), away);
}

void PresenceClock::restart() {
    const Date baseNow = base.now();
    const Date asleep = timeAsleep();
    presentMark = at(baseNow, asleep);
    baseMark = baseNow;
    asleepMark = asleep;
}

Date PresenceClock::monotonicSeconds() {
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<Date>(time.tv_sec) + static_cast<Date>(time.tv_nsec) / 1e9;
}

} // namespace drowsel
