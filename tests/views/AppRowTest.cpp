#include "panel/AppRow.h"

#include "core/DefaultsKeys.h"
#include "settings/SettingsView.h"
#include "toolkit/ElidedText.h"
#include "toolkit/PlainButton.h"
#include "views/ViewsHarness.h"

#include <QCheckBox>
#include <QLabel>
#include <gtest/gtest.h>

#include <limits>

namespace drowsel::testing {
namespace {

class AppRowTest : public ::testing::Test, public ViewsHarness {
protected:
    std::unique_ptr<AppRow> rowFor(const ApplicationHandle& application) {
        auto row = std::make_unique<AppRow>(AppRow::TrackedApp{application, manager->runningApps().at(application)},
                                            *manager, environment);
        row->resize(360, row->sizeHint().height());
        return row;
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
    const std::vector<Case> cases{{8, 2.5 * 3600, "5h left", false},
                                  {1, 600, "50m left", true},
                                  {1, 0, "1h left", false},
                                  {1, 1, "59m left", true},
                                  {1, 3540, "1m left", true},
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
        const auto application = launch("Firefox");
        core.clock.advance(stampedSecondsAgo);
        const auto row = rowFor(application);
        EXPECT_EQ(timeOf(*row)->text(), timeLeft) << timeLeft.toStdString();
        EXPECT_EQ(timeOf(*row)->font().bold(), isUrgent) << timeLeft.toStdString();
        EXPECT_EQ(nameOf(*row)->font().bold(), isUrgent) << timeLeft.toStdString();
    }
}

TEST_F(AppRowTest, LooksFollowTheSwitch) {
    core.defaults.setBoolean(DefaultsKeys::showCloseButton, true);
    const auto on = rowFor(launch("On", "/usr/share/applications/on.desktop"));
    manager->setToggle("Off", false);
    const auto off = rowFor(launch("Off"));
    settle();

    EXPECT_TRUE(switchOf(*on)->isChecked());
    EXPECT_EQ(nameOf(*on)->palette().color(QPalette::WindowText), on->palette().color(QPalette::WindowText));
    EXPECT_FALSE(timeOf(*on)->isHidden());
    EXPECT_TRUE(resetOf(*on)->isEnabled() && quitOf(*on)->isEnabled());
    EXPECT_EQ(icons.askedPaths.front(), "/usr/share/applications/on.desktop");
    EXPECT_EQ(on->findChild<QLabel*>("icon")->size(), QSize(28, 28));

    EXPECT_FALSE(switchOf(*off)->isChecked());
    EXPECT_FALSE(nameOf(*off)->font().bold());
    EXPECT_EQ(nameOf(*off)->palette().color(QPalette::WindowText), QColor(Qt::gray));
    EXPECT_TRUE(timeOf(*off)->isHidden());
    EXPECT_FALSE(resetOf(*off)->isEnabled() || quitOf(*off)->isEnabled());
    EXPECT_TRUE(icons.askedPaths.contains("")) << "asked for the row without a bundle location";
}

TEST_F(AppRowTest, SwitchWritesTheNameKeyAndStoresTheMapForRowsOfTheSameName) {
    const auto first = rowFor(launch("Firefox"));
    const auto second = rowFor(launch("Firefox"));
    showAndWait(*first);
    QTest::mouseClick(switchOf(*first), Qt::LeftButton);
    settle();
    EXPECT_FALSE(switchOf(*second)->isChecked());
    EXPECT_TRUE(timeOf(*second)->isHidden());
    EXPECT_EQ(storedSwitches(), R"({"Firefox":false})");

    QTest::mouseClick(switchOf(*first), Qt::LeftButton);
    settle();
    EXPECT_TRUE(switchOf(*second)->isChecked());
    EXPECT_EQ(storedSwitches(), R"({"Firefox":true})");
}

TEST_F(AppRowTest, AnApplicationWithoutANameShowsUnknownAndUsesTheEmptyKey) {
    const auto row = rowFor(launch(std::nullopt));
    showAndWait(*row);
    EXPECT_EQ(nameOf(*row)->text(), "Unknown");
    EXPECT_EQ(switchOf(*row)->accessibleName(), "Quit Unknown automatically");
    QTest::mouseClick(switchOf(*row), Qt::LeftButton);
    EXPECT_EQ(storedSwitches(), R"({"":false})");
}

TEST_F(AppRowTest, ResetRestartsTheIdleClockOnlyWhileOn) {
    core.defaults.setInteger(DefaultsKeys::hoursUntilClose, 8);
    const auto application = launch("Firefox");
    core.clock.advance(3 * 3600);
    const auto row = rowFor(application);
    showAndWait(*row);
    EXPECT_EQ(timeOf(*row)->text(), "5h left");

    QTest::mouseClick(resetOf(*row), Qt::LeftButton, {}, QPoint(0, 0)); // a corner counts
    settle();
    EXPECT_EQ(manager->runningApps().at(application), core.clock.now());
    EXPECT_EQ(timeOf(*row)->text(), "8h left");
    core.clock.advance(1);
    manager->checkOpenApps();
    settle();
    EXPECT_EQ(timeOf(*row)->text(), "7h left");

    QTest::mouseClick(switchOf(*row), Qt::LeftButton);
    settle();
    const Date stamp = manager->runningApps().at(application);
    core.clock.advance(60);
    QTest::mouseClick(resetOf(*row), Qt::LeftButton);
    EXPECT_EQ(manager->runningApps().at(application), stamp);
}

TEST_F(AppRowTest, QuitAsksTheApplicationAndChangesNothingElse) {
    core.defaults.setBoolean(DefaultsKeys::showCloseButton, true);
    const auto application = launch("Firefox");
    const auto row = rowFor(application);
    showAndWait(*row);
    int changes = 0;
    const auto subscription = manager->objectWillChange().subscribe([&] { ++changes; });
    core.workspace.fake(application).properties.acceptsQuit = false;

    QTest::mouseClick(quitOf(*row), Qt::LeftButton);
    EXPECT_EQ(core.workspace.fake(application).quitRequests, 1);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(manager->runningApps().contains(application));

    QTest::mouseClick(switchOf(*row), Qt::LeftButton);
    settle();
    QTest::mouseClick(quitOf(*row), Qt::LeftButton);
    EXPECT_EQ(core.workspace.fake(application).quitRequests, 1);
}

TEST_F(AppRowTest, QuitButtonAppearsAtOnceWhenTheSettingsViewTicksIt) {
    const auto row = rowFor(launch("Firefox"));
    SettingsView settingsView(settings, std::nullopt);
    showAndWait(settingsView);
    EXPECT_TRUE(quitOf(*row)->isHidden());
    QTest::mouseClick(settingsView.findChild<QCheckBox*>("closeButton"), Qt::LeftButton, {}, QPoint(4, 4));
    settle();
    EXPECT_FALSE(quitOf(*row)->isHidden());
    EXPECT_EQ(quitOf(*row)->accessibleName(), "Quit Firefox now");
    EXPECT_EQ(resetOf(*row)->accessibleName(), "Reset idle time of Firefox");
    EXPECT_EQ(switchOf(*row)->accessibleName(), "Quit Firefox automatically");
}

TEST_F(AppRowTest, ALongNameIsCutAtTheTailButNeverNarrowerThan100) {
    const QString longName = "A Very Long Application Name That Cannot Possibly Fit Into One Row Of The Panel";
    const auto row = rowFor(launch(longName.toStdString()));
    showAndWait(*row);
    EXPECT_TRUE(nameOf(*row)->shownText().endsWith(QChar(0x2026)));
    EXPECT_GE(nameOf(*row)->width(), 100);
    row->resize(10, row->height());
    settle();
    EXPECT_GE(nameOf(*row)->width(), 100);
    EXPECT_EQ(nameOf(*row)->accessibleName(), longName);
}

} // namespace
} // namespace drowsel::testing
