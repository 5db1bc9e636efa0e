// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/away/PresenceClock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace drowsel {
namespace {

// The machine's clocks: CLOCK_BOOTTIME runs on in sleep, CLOCK_MONOTONIC does not.
struct Machine {
    static inline Date boot = 500;
    static inline Date monotonic = 400;
    static Date wall() { return 1'800'000'000; }
    static Date sinceBoot() { return boot; }
    static Date sinceBootAwake() { return monotonic; }
};

using enum PresenceClock::AwaySource;
// 'p': seconds pass awake; 's': the machine sleeps that long; 'c': counting on (1) or off (0);
// '+'/'-': a source says away/back; '=': the clock has moved that far since the start.
struct Step {
    char action;
    double value;
};
struct Case {
    std::string name;
    std::vector<Step> steps;
};

std::vector<Case> cases() {
    const double lock = static_cast<int>(locked), idle = static_cast<int>(noInput);
    std::vector<Case> all{
        {"away while any source says so",
         {{'c', 1},
          {'+', lock},
          {'p', 10},
          {'+', idle},
          {'p', 10},
          {'-', lock},
          {'p', 10},
          {'=', 0},
          {'-', idle},
          {'p', 5},
          {'=', 5}}},
        {"counts wall time while off",
         {{'+', lock}, {'p', 10}, {'s', 20}, {'=', 30}, {'-', lock}, {'p', 5}, {'=', 35}}},
        {"switched on and off while away, without a jump",
         {{'+', lock},
          {'p', 10},
          {'c', 1},
          {'p', 20},
          {'=', 10},
          {'c', 0},
          {'=', 10},
          {'p', 5},
          {'=', 15},
          {'c', 1},
          {'=', 15},
          {'-', lock},
          {'p', 5},
          {'=', 20}}},
        {"a sleep counts only while on",
         {{'s', 50}, {'=', 50}, {'c', 1}, {'p', 10}, {'s', 100}, {'=', 60}, {'c', 0}, {'s', 50}, {'=', 110}}},
        {"a sleep while away counts once",
         {{'c', 1}, {'+', lock}, {'p', 5}, {'s', 100}, {'-', lock}, {'p', 5}, {'=', 5}}},
    };
    for (const auto source : {locked, sessionIdle, screenSaver, noInput, asleep}) {
        const double index = static_cast<int>(source);
        all.push_back({"stands still while away, source " + std::to_string(static_cast<int>(source)),
                       {{'c', 1}, {'p', 10}, {'+', index}, {'p', 30}, {'=', 10}, {'-', index}, {'p', 5}, {'=', 15}}});
    }
    return all;
}

TEST(PresenceClockTest, CountsOnlyPresentTime) {
    for (const auto& [name, steps] : cases()) {
        SCOPED_TRACE(name);
        const SystemClock base(Machine::wall, Machine::sinceBoot);
        PresenceClock clock(base, Machine::sinceBoot, Machine::sinceBootAwake);
        const Date start = clock.now();
        Date last = start;
        for (const auto& [action, value] : steps) {
            Machine::boot += action == 'p' || action == 's' ? value : 0;
            Machine::monotonic += action == 'p' ? value : 0;
            if (action == 'c') {
                clock.setCounting(value != 0);
            } else if (action == '+' || action == '-') {
                clock.setAway(static_cast<PresenceClock::AwaySource>(value), action == '+');
            }
            EXPECT_GE(clock.now(), last) << "went back after '" << action << value << "'";
            last = clock.now();
            if (action == '=') {
                EXPECT_DOUBLE_EQ(clock.now() - start, value) << "after " << Machine::boot << " s since boot";
            }
        }
    }
}

} // namespace
} // namespace drowsel
