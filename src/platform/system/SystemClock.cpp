// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system/SystemClock.h"

#include <chrono>
#include <ctime>

namespace drowsel {

SystemClock::SystemClock(Source wall, Source sinceBoot) : sinceBoot(sinceBoot), origin(wall() - sinceBoot()) {}

Date SystemClock::wallSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

Date SystemClock::bootSeconds() {
    timespec time{};
    clock_gettime(CLOCK_BOOTTIME, &time);
    return static_cast<Date>(time.tv_sec) + static_cast<Date>(time.tv_nsec) / 1e9;
}

} // namespace drowsel
