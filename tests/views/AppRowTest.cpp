// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/AppRow.h"

#include "settings/SettingsView.h"
#include "toolkit/ElidedText.h"
#include "toolkit/PlainButton.h"
#include "views/ViewsHarness.h"

#include <QCheckBox>
#include <QLabel>

#include <limits>

namespace drowsel::testing {
namespace {

class AppRowTest : public ::testing::Test, public ViewsHarness {
protected:
    std::unique_ptr<AppRow> rowFor(const ApplicationHandle& application) {
        auto row = std::make_unique<AppRow>(AppRow::TrackedApp{application, manager->runningApps().at(application)},
                                            *manager, environment);
        showAndWait(*row);
        return row;
    }
    void click(QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, 4));
        settle();
    }

    static QCheckBox* switchOf(const AppRow& row) { return row.findChild<QCheckBox*>("switch"); }
    static ElidedText* nameOf(const AppRow& row) { return row.findChild<ElidedText*>("name"); }
    static QLabel* timeOf(const AppRow& row) { return row.findChild<QLabel*>("timeLeft"); }
    static PlainButton* resetOf(const AppRow& row) { return row.findChild<PlainButton*>("reset"); }
    static PlainButton* quitOf(const AppRow& row) { return row.findChild<PlainButton*>("quit"); }
    std::string storedSwitches() const { return core.defaults.data(DefaultsKeys::toggleStatus).value_or(""); }
};

TEST_F(AppRowTest, TimeLeftAndWeightFollowTheLimitAndTheStamp) {
    struct Case {
        std::optional<std::int64_t> storedHours;
        double stampedSecondsAgo;
        QString timeLeft;
        bool isUrgent;
    };
    const Case cases[]{{8, 2.5 * 3600, "5h left", false},
                       {1, 600, "50m left", true},
                       {1, 0, "1h left", false},
                       {1, 1, "59m left", true},
                       {1, 3541, "59s left", true},
                       {std::nullopt, 0, "12h left", false},
                       {8, 8 * 3600 + 5, "-5s left", true},
                       {8, -3600, "9h left", false},
                       {std::numeric_limits<std::int64_t>::max(), 0, "2562047788015215h left", false},
                       {8, 1e300, "-9223372036854747007s left", true}};
    const Date start = core.clock.time;
    for (const auto& [storedHours, stampedSecondsAgo, timeLeft, isUrgent] : cases) {
        core.clock.time = start;
        core.defaults.values.erase(DefaultsKeys::hoursUntilClose);
        if (storedHours) {
            core.defaults.setInteger(DefaultsKeys::hoursUntilClose, *storedHours);
        }
        const auto application = launch("Firefox", "/usr/share/applications/firefox.desktop");
        core.clock.advance(stampedSecondsAgo);
        const auto row = rowFor(application);
        EXPECT_EQ(timeOf(*row)->text(), timeLeft);
        EXPECT_EQ(nameOf(*row)->font().bold(), isUrgent) << timeLeft.toStdString();
        EXPECT_EQ(icons.askedPaths.back(), "/usr/share/applications/firefox.desktop");
    }
}

TEST_F(AppRowTest, SwitchWritesTheNameKeyAndStoresTheMapForRowsOfTheSameName) {
    const auto first = rowFor(launch("Firefox"));
    const auto second = rowFor(launch("Firefox"));
    click(switchOf(*first));
    EXPECT_FALSE(switchOf(*second)->isChecked());
    EXPECT_TRUE(timeOf(*second)->isHidden());
    EXPECT_EQ(storedSwitches(), R"({"Firefox":false})");

    click(switchOf(*first));
    EXPECT_TRUE(switchOf(*second)->isChecked());
    EXPECT_EQ(storedSwitches(), R"({"Firefox":true})");
}

TEST_F(AppRowTest, AnApplicationWithoutANameShowsUnknownAndUsesTheEmptyKey) {
    const auto row = rowFor(launch(std::nullopt));
    EXPECT_EQ(nameOf(*row)->text(), "Unknown");
    click(switchOf(*row));
    EXPECT_EQ(storedSwitches(), R"({"":false})");
}

TEST_F(AppRowTest, ResetRestartsTheIdleClockOnlyWhileOn) {
    core.defaults.setInteger(DefaultsKeys::hoursUntilClose, 8);
    const auto application = launch("Firefox");
    core.clock.advance(3 * 3600);
    const auto row = rowFor(application);
    EXPECT_EQ(timeOf(*row)->text(), "5h left");

    QTest::mouseClick(resetOf(*row), Qt::LeftButton, {}, QPoint(0, 0)); // a corner counts
    settle();
    EXPECT_EQ(manager->runningApps().at(application), core.clock.now());
    EXPECT_EQ(timeOf(*row)->text(), "8h left");

    click(switchOf(*row));
    core.clock.advance(60);
    click(resetOf(*row));
    EXPECT_EQ(manager->runningApps().at(application), core.clock.now() - 60);
}

TEST_F(AppRowTest, QuitAsksTheApplicationOnlyWhileOnAndChangesNothingElse) {
    core.defaults.setBoolean(DefaultsKeys::showCloseButton, true);
    const auto application = launch("Firefox");
    const auto row = rowFor(application);
    int changes = 0;
    const auto subscription = manager->objectWillChange().subscribe([&] { ++changes; });
    core.workspace.fake(application).properties.acceptsQuit = false;

    QTest::mouseClick(quitOf(*row), Qt::LeftButton);
    EXPECT_EQ(core.workspace.fake(application).quitRequests, 1);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(manager->runningApps().contains(application));

    click(switchOf(*row));
    QTest::mouseClick(quitOf(*row), Qt::LeftButton);
    EXPECT_EQ(core.workspace.fake(application).quitRequests, 1);
}

TEST_F(AppRowTest, QuitButtonAppearsAtOnceWhenTheSettingsViewTicksIt) {
    const auto row = rowFor(launch("Firefox"));
    SettingsView settingsView(settings, std::nullopt);
    showAndWait(settingsView);
    EXPECT_TRUE(quitOf(*row)->isHidden());
    click(settingsView.findChild<QCheckBox*>("closeButton"));
    EXPECT_FALSE(quitOf(*row)->isHidden());
}

} // namespace
} // namespace drowsel::testing
