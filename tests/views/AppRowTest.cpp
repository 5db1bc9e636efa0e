// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/AppRow.h"

#include "toolkit/ElidedText.h"
#include "views/ViewsHarness.h"

#include <QLabel>

#include <limits>

namespace drowsel::testing {

class AppRowTest : public ::testing::Test, public ViewsHarness {
protected:
    std::unique_ptr<AppRow> rowFor(const ApplicationHandle& application) {
        auto row = std::make_unique<AppRow>(AppRow::TrackedApp{application, manager->runningApps().at(application)},
                                            *manager, environment);
        showAndWait(*row);
        return row;
    }
    static QWidget* part(const AppRow& row, const char* name) { return row.findChild<QWidget*>(name); }
    static QString timeLeft(const AppRow& row) {
        return part(row, "timeLeft")->isHidden() ? "hidden" : row.findChild<QLabel*>("timeLeft")->text();
    }
    std::string storedSwitches() const { return core.defaults.data(DefaultsKeys::toggleStatus).value_or(""); }
};

TEST_F(AppRowTest, TimeLeftAndWeightFollowTheLimitAndTheStamp) {
    const std::tuple<std::optional<std::int64_t>, double, QString, bool> cases[]{
        {8, 2.5 * 3600, "5h left", false},
        {1, 0, "1h left", false},
        {1, 1, "59m left", true},
        {1, 3541, "59s left", true},
        {std::nullopt, 0, "8h left", false},
        {8, 8 * 3600 + 5, "0s left", true},
        {-5, 0, "0s left", true},
        {-5, -3600, "1h left", false},
        {8, -3600, "9h left", false},
        {std::numeric_limits<std::int64_t>::max(), 0, "2562047788015215h left", false},
        {8, 1e300, "0s left", true}};
    // The clock only moves on from row to row: each row is stamped at its own start.
    for (const auto& [storedHours, stampedSecondsAgo, shown, isUrgent] : cases) {
        core.defaults.values.erase(DefaultsKeys::hoursUntilClose);
        if (storedHours) {
            core.defaults.setInteger(DefaultsKeys::hoursUntilClose, *storedHours);
        }
        const auto application = launch("Firefox");
        core.clock.advance(stampedSecondsAgo);
        const auto row = rowFor(application);
        EXPECT_EQ(timeLeft(*row), shown);
        EXPECT_EQ(part(*row, "name")->font().bold(), isUrgent) << shown.toStdString();
    }
}

// A name's control characters go; in a sentence, its direction stays its own.
TEST_F(AppRowTest, NamesAreShownWithoutControlCharactersAndIsolatedInSentences) {
    for (const auto& [name, shown] : std::initializer_list<std::pair<std::optional<std::string>, QString>>{
             {"Firefox", "Firefox"},
             {"\u202Eexe.doc", "exe.doc"},
             {"A\tB\x1b[1m\x7f\u0085\u061C\u2066\u202AC\u202C\u2069\u200E\u200F", "AB[1mC"},
             {"\u05E9\u05DC\u05D5\u05DD 2", "\u05E9\u05DC\u05D5\u05DD 2"},
             {std::nullopt, "Unknown"},
             {"\u202E\t", "Unknown"}}) {
        const auto row = rowFor(launch(name));
        EXPECT_EQ(row->findChild<ElidedText*>("name")->text(), shown);
        EXPECT_EQ(part(*row, "switch")->accessibleName(), QString("Quit \u2068%1\u2069 automatically").arg(shown));
        EXPECT_EQ(part(*row, "quit")->toolTip(), QString("Quit \u2068%1\u2069 now").arg(shown));
    }
}

TEST_F(AppRowTest, SwitchWritesTheNameKeyAndStoresTheMapForRowsOfTheSameName) {
    const auto first = rowFor(launch("Firefox"));
    const auto second = rowFor(launch("Firefox"));
    const auto unknown = rowFor(launch(std::nullopt));
    EXPECT_EQ(unknown->findChild<ElidedText*>("name")->text(), "Unknown");
    for (const auto& [stored, shown] :
         {std::pair{R"({"Firefox":false})", "hidden"}, {R"({"Firefox":true})", "8h left"}}) {
        click(part(*first, "switch"));
        EXPECT_EQ(storedSwitches(), stored);
        EXPECT_EQ(timeLeft(*second), shown);
    }
    click(part(*unknown, "switch"));
    EXPECT_EQ(storedSwitches(), R"({"":false,"Firefox":true})") << "a nameless application's key is empty";
}

TEST_F(AppRowTest, ResetAndQuitActOnlyWhileOnAndQuitChangesNothingElse) {
    core.defaults.setBoolean(DefaultsKeys::showCloseButton, true);
    const auto application = launch("Firefox");
    core.clock.advance(3 * 3600);
    const auto row = rowFor(application);
    auto& fake = core.workspace.fake(application);
    int changes = 0;
    const auto subscription = manager->objectWillChange().subscribe([&] { ++changes; });
    fake.properties.acceptsQuit = false;
    click(part(*row, "quit"));
    EXPECT_EQ(fake.quitRequests, 1);
    EXPECT_EQ(changes, 0);

    click(part(*row, "reset"), {0, 0}); // a corner counts
    EXPECT_EQ(timeLeft(*row), "8h left");
    click(part(*row, "switch"));
    core.clock.advance(60);
    click(part(*row, "reset"));
    click(part(*row, "quit"));
    EXPECT_DOUBLE_EQ(manager->runningApps().at(application), core.clock.now() - 60);
    EXPECT_EQ(fake.quitRequests, 1);

    click(part(*row, "switch"));
    fake.properties.acceptsQuit = true;
    click(part(*row, "quit"));
    EXPECT_EQ(core.record.added.size(), 1u) << "recorded as the sweep's quits are";
}

// An application spared for its work says why, to the eye and to screen readers.
TEST_F(AppRowTest, ARowAtWorkSaysWhyAndStopsSayingItWhenTheWorkEnds) {
    core.defaults.setInteger(DefaultsKeys::hoursUntilClose, 0);
    for (const auto& [work, shown] : std::initializer_list<std::pair<Work, QString>>{
             {{Work::Kind::playingSound, ""}, "Playing sound: not idle"},
             {{Work::Kind::recording, ""}, "Recording: not idle"},
             {{Work::Kind::keepingAwake, "\u202Edownload"}, "Keeping the computer awake: \u2068download\u2069"},
             {{Work::Kind::runningCommand, ""}, "Running a command: not idle"}}) {
        const auto application = launch("Firefox");
        core.work.work.insert_or_assign(application, work);
        core.clock.advance(1);
        manager->checkOpenApps();
        const auto row = rowFor(application);
        EXPECT_EQ(row->toolTip(), shown);
        EXPECT_EQ(row->accessibleDescription(), shown);

        core.work.work.erase(application);
        core.defaults.setInteger(DefaultsKeys::hoursUntilClose, 1);
        core.clock.advance(3600);
        manager->checkOpenApps();
        settle();
        EXPECT_EQ(row->toolTip(), "");
        core.defaults.setInteger(DefaultsKeys::hoursUntilClose, 0);
    }
}

} // namespace drowsel::testing
