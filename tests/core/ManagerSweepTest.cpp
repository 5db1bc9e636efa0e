// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ManagerTest.h"

#include <cstdint>
#include <limits>
#include <ostream>
#include <ranges>

namespace drowsel {
namespace {

using Change = void (*)(fakes::FakeWorkspace&, std::vector<ApplicationHandle>&);

constexpr double hour = 3600;
constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();

// A stored limit, the applications running at the start and the clock steps,
// each followed by a sweep and the tasks it queued; then each application's
// (quit requests, idle seconds). Optionally a change on the desktop once the
// first tracking is done, such as a new frontmost application, and the stored
// switches.
struct SweepScenario {
    const char* name;
    fakes::MemoryDefaultsStore::Value hours;
    std::vector<fakes::FakeApplication::Properties> apps;
    std::vector<double> steps;
    std::vector<std::pair<int, double>> expected;
    Change change = nullptr;
    std::string switches{};
};

void activateFirst(fakes::FakeWorkspace& workspace, std::vector<ApplicationHandle>& apps) {
    workspace.activate(apps[0]);
}

void exitOneExcludeOther(fakes::FakeWorkspace& workspace, std::vector<ApplicationHandle>& apps) {
    workspace.exit(apps[0]);
    workspace.fake(apps[1]).properties.activationPolicy = ActivationPolicy::accessory;
}

const SweepScenario scenarios[] = {
    {"ExactlyTheLimitIsNotYetIdle", 1, {{}}, {hour}, {{0, hour}}},
    {"PastTheLimitIsAskedToQuit", 1, {{}}, {hour + 1}, {{1, untracked}}},
    {"IdleTimeAddsUpAcrossSweeps", 1, {{}}, {1800, 1801}, {{1, untracked}}},
    {"LimitOfAnotherTypeCountsAsUnsetThatIsEightHours", std::string("1"), {{}}, {8 * hour, 1}, {{1, untracked}}},
    {"FrontmostIsStampedAtTheSweep", 1, {{}, {}}, {hour + 1}, {{0, 0}, {1, untracked}}, activateFirst},
    {"ZeroLimitSparesTheAppInUse", 0, {{}, {}}, {10}, {{0, 0}, {1, untracked}}, activateFirst},
    {"NegativeLimitCountsAsZero", -5, {{}, {}}, {10}, {{0, 0}, {1, untracked}}, activateFirst},
    {"LowestLimitCountsAsZero", -largest - 1, {{}, {}}, {10}, {{0, 0}, {1, untracked}}, activateFirst},
    {"LimitPastTheRangeOfSecondsMeansNever", largest / 3600 + 1, {{}}, {1e300}, {{0, 1e300}}},
    {"ClockSetBackSparesEverything", 0, {{}}, {-1000}, {{0, -1000}}},
    {"StillLaunchingIsSpared", 0, {{.finishedLaunching = false}}, {hour}, {{0, hour}}},
    {"RefusedQuitIsAskedAgainWithTheOldDate", 1, {{.acceptsQuit = false}}, {2 * hour, 60}, {{2, 2 * hour + 60}}},
    {"AppThatStaysAfterItsQuitStartsAfresh", 1, {{}}, {2 * hour, 60}, {{1, 0}}},
    {"GoneOrExcludedAreDropped", 0, {{}, {}}, {hour}, {{0, untracked}, {0, untracked}}, exitOneExcludeOther},
    {"SwitchesAreSharedByNameAndTheNamelessHaveOne",
     0,
     {{.name = "Term"}, {.name = "Term"}, {}, {.name = "Other"}},
     {1},
     {{0, 1}, {0, 1}, {0, 1}, {1, untracked}},
     {},
     R"({"Term":false,"":false,"Other":true})"},
};

void PrintTo(const SweepScenario& scenario, std::ostream* out) { *out << scenario.name; }

class SweepTest : public ManagerTest, public ::testing::WithParamInterface<SweepScenario> {};

TEST_P(SweepTest, QuitsAndTracksAsTheTableSays) {
    const auto& scenario = GetParam();
    const auto launched =
        scenario.apps | std::views::transform([&](const auto& properties) { return launch(properties); });
    std::vector<ApplicationHandle> apps(launched.begin(), launched.end());
    store(DefaultsKeys::hoursUntilClose, scenario.hours);
    store(DefaultsKeys::toggleStatus, scenario.switches); // none: an empty text reads as no switches
    startSettled();
    if (scenario.change) {
        scenario.change(env.workspace, apps);
    }
    for (const double step : scenario.steps) {
        env.clock.advance(step);
        sweep();
    }

    const auto outcome =
        apps | std::views::transform([&](const auto& app) { return std::pair(quitRequests(app), idleSeconds(app)); });
    EXPECT_EQ(std::vector(outcome.begin(), outcome.end()), scenario.expected)
        << "(quit requests, idle seconds) of each application";
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
