// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/away/PresenceClock.h"

#include <ctime>

namespace drowsel {

PresenceClock::PresenceClock(const Clock& base, TimeSource sinceBoot, TimeSource monotonic)
    : base(base), sinceBoot(sinceBoot), monotonic(monotonic), asleepMark(timeAsleep()) {}

Date PresenceClock::now() const {
    const Date baseNow = base.now();
    return baseNow - timeAway(baseNow);
}

void PresenceClock::setCounting(bool onlyPresent) {
    restart();
    counting = onlyPresent;
}

void PresenceClock::setAway(AwaySource source, bool away) {
    restart();
    awaySources.set(static_cast<std::size_t>(source), away);
}

// While away the clock stands still, which covers a sleep meanwhile; while
// present, only a sleep is away.
Date PresenceClock::timeAway(Date baseNow) const {
    if (!counting) {
        return offset;
    }
    return offset + (awaySources.any() ? baseNow - awayFrom : timeAsleep() - asleepMark);
}

void PresenceClock::restart() {
    const Date baseNow = base.now();
    offset = timeAway(baseNow);
    awayFrom = baseNow;
    asleepMark = timeAsleep();
}

Date PresenceClock::monotonicSeconds() {
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<Date>(time.tv_sec) + static_cast<Date>(time.tv_nsec) / 1e9;
}

} // namespace drowsel
