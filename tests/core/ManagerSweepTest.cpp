// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ManagerTest.h"

#include <cstdint>
#include <limits>
#include <ostream>

namespace drowsel {
namespace {

using Value = fakes::MemoryDefaultsStore::Value;
using Change = void (*)(fakes::FakeWorkspace&, std::vector<ApplicationHandle>&);

constexpr double hour = 3600;
constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();
Value limit(std::int64_t hours) { return hours; }

// A stored limit, the applications running at the start and the clock steps,
// each followed by a sweep and the tasks it queued; then each application's
// (quit requests, idle seconds). Optionally a change on the desktop once the
// first tracking is done, the frontmost application and the stored switches.
struct SweepScenario {
    const char* name;
    Value hours;
    std::vector<fakes::FakeApplication::Properties> apps;
    std::vector<double> steps;
    std::vector<std::pair<int, double>> expected;
    Change change = nullptr;
    std::optional<std::size_t> frontmost{};
    std::string switches{};
};

void PrintTo(const SweepScenario& scenario, std::ostream* out) { *out << scenario.name; }

void exitOneExcludeOther(fakes::FakeWorkspace& workspace, std::vector<ApplicationHandle>& apps) {
    workspace.exit(apps[0]);
    workspace.fake(apps[1]).properties.activationPolicy = ActivationPolicy::accessory;
}

const SweepScenario scenarios[] = {
    {"ExactlyTheLimitIsNotYetIdle", limit(1), {{}}, {hour}, {{0, hour}}},
    {"PastTheLimitIsAskedToQuit", limit(1), {{}}, {hour + 1}, {{1, untracked}}},
    {"IdleTimeAddsUpAcrossSweeps", limit(1), {{}}, {1800, 1801}, {{1, untracked}}},
    {"LimitOfAnotherTypeCountsAsUnsetThatIsEightHours", Value("1"), {{}}, {8 * hour, 1}, {{1, untracked}}},
    {"FrontmostIsStampedAtTheSweep", limit(1), {{}, {}}, {hour + 1}, {{0, 0}, {1, untracked}}, {}, 0},
    {"ZeroLimitSparesTheAppInUse", limit(0), {{}, {}}, {10}, {{0, 0}, {1, untracked}}, {}, 0},
    {"NegativeLimitCountsAsZero", limit(-5), {{}, {}}, {10}, {{0, 0}, {1, untracked}}, {}, 0},
    {"LowestLimitCountsAsZero", limit(-largest - 1), {{}, {}}, {10}, {{0, 0}, {1, untracked}}, {}, 0},
    {"LimitPastTheRangeOfSecondsMeansNever", limit(largest / 3600 + 1), {{}}, {1e300}, {{0, 1e300}}},
    {"ClockSetBackSparesEverything", limit(0), {{}}, {-1000}, {{0, -1000}}},
    {"StillLaunchingIsSpared", limit(0), {{.finishedLaunching = false}}, {hour}, {{0, hour}}},
    {"RefusedQuitIsAskedAgainWithTheOldDate", limit(1), {{.acceptsQuit = false}}, {2 * hour, 60}, {{2, 2 * hour + 60}}},
    {"AppThatStaysAfterItsQuitStartsAfresh", limit(1), {{}}, {2 * hour, 60}, {{1, 0}}},
    {"GoneOrExcludedAreDropped", limit(0), {{}, {}}, {hour}, {{0, untracked}, {0, untracked}}, exitOneExcludeOther},
    {"SwitchesAreSharedByNameAndTheNamelessHaveOne",
     limit(0),
     {{.name = "Term"}, {.name = "Term"}, {}, {.name = "Other"}},
     {1},
     {{0, 1}, {0, 1}, {0, 1}, {1, untracked}},
     {},
     {},
     R"({"Term":false,"":false,"Other":true})"},
};

class SweepTest : public ManagerTest, public ::testing::WithParamInterface<SweepScenario> {};

TEST_P(SweepTest, QuitsAndTracksAsTheTableSays) {
    const auto& scenario = GetParam();
    std::vector<ApplicationHandle> apps;
    for (const auto& properties : scenario.apps) {
        apps.push_back(launch(properties));
    }
    store(DefaultsKeys::hoursUntilClose, scenario.hours);
    store(DefaultsKeys::toggleStatus, scenario.switches); // none: an empty text reads as no switches
    startSettled();
    if (scenario.change) {
        scenario.change(env.workspace, apps);
    }
    if (scenario.frontmost) {
        env.workspace.activate(apps[*scenario.frontmost]);
    }
    for (const double step : scenario.steps) {
        env.clock.advance(step);
        sweep();
    }

    std::vector<std::pair<int, double>> outcome;
    for (const auto& application : apps) {
        outcome.emplace_back(quitRequests(application), idleSeconds(application));
    }
    EXPECT_EQ(outcome, scenario.expected) << "(quit requests, idle seconds) of each application";
}

INSTANTIATE_TEST_SUITE_P(Scenarios, SweepTest, ::testing::ValuesIn(scenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// A tick sweeps when our window has focus or a minute begins: an application
// launched just before it is tracked only when a sweep finds it.
TEST_F(ManagerTest, TickSweepsWhenOurWindowHasFocusOrAMinuteBegins) {
    startSettled();
    const auto sweepsAt = [&](std::vector<OwnApplication::Window> ownWindows, double secondOfMinute) {
        const auto application = launch();
        env.ownApplication.ownWindows = std::move(ownWindows);
        env.clock.time = 1'800'000'060.0 + secondOfMinute;
        tick();
        return idleSeconds(application) != untracked;
    };

    EXPECT_TRUE(sweepsAt({}, 0));
    EXPECT_TRUE(sweepsAt({}, 0.999));
    EXPECT_FALSE(sweepsAt({}, 1));
    EXPECT_FALSE(sweepsAt({}, 59.999));
    EXPECT_TRUE(sweepsAt({{.isKey = true}}, 30));
    EXPECT_TRUE(sweepsAt({{.isMain = true}}, 30));
    EXPECT_TRUE(sweepsAt({{}, {.isKey = true}}, 30));
    EXPECT_FALSE(sweepsAt({{}}, 30));
}

} // namespace
} // namespace drowsel
