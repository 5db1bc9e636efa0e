// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/away/PresenceClock.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace drowsel {
namespace {

// The machine's clocks: CLOCK_BOOTTIME runs on in sleep, CLOCK_MONOTONIC does not.
Date sinceBoot = 500;
Date sinceBootAwake = 400;

// A script of steps, each an action and a number: 'p' seconds pass awake; 's' the machine sleeps that long;
// 'c' counting on (1) or off (0); '+'/'-' a source (0 locked ... 4 asleep) says away/back; '=' the clock
// has moved that far since the start.
std::vector<std::pair<std::string, std::string>> cases() {
    std::vector<std::pair<std::string, std::string>> all{
        {"away while any source says so", "c1 +0 p10 +3 p10 -0 p10 =0 -3 p5 =5"},
        {"counts wall time while off", "+0 p10 s20 =30 -0 p5 =35"},
        {"switched on and off while away, without a jump", "+0 p10 c1 p20 =10 c0 =10 p5 =15 c1 =15 -0 p5 =20"},
        {"a sleep counts only while on", "s50 =50 c1 p10 s100 =60 c0 s50 =110"},
        {"a sleep while away counts once", "c1 +0 p5 s100 -0 p5 =5"},
    };
    for (int source = 0; source < static_cast<int>(PresenceClock::AwaySource::count); ++source) {
        const auto index = std::to_string(source);
        all.emplace_back("stands still while away, source " + index,
                         "c1 p10 +" + index + " p30 =10 -" + index + " p5 =15");
    }
    return all;
}

TEST(PresenceClockTest, CountsOnlyPresentTime) {
    for (const auto& [name, script] : cases()) {
        SCOPED_TRACE(name + ": " + script);
        const SystemClock base([] { return 1'800'000'000.0; }, [] { return sinceBoot; });
        PresenceClock clock(
            base, [] { return sinceBoot; }, [] { return sinceBootAwake; });
        const Date start = clock.now();
        Date last = start;
        std::istringstream steps(script);
        char action = 0;
        double value = 0;
        while (steps >> action >> value) {
            sinceBoot += action == 'p' || action == 's' ? value : 0;
            sinceBootAwake += action == 'p' ? value : 0;
            if (action == 'c') {
                clock.setCounting(value != 0);
            } else if (action == '+' || action == '-') {
                clock.setAway(static_cast<PresenceClock::AwaySource>(value), action == '+');
            }
            EXPECT_GE(clock.now(), last) << "went back after '" << action << value << "'";
            last = clock.now();
            if (action == '=') {
                EXPECT_DOUBLE_EQ(clock.now() - start, value) << "after " << sinceBoot << " s since boot";
            }
        }
    }
}

} // namespace
} // namespace drowsel
