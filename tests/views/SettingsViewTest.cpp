#include "settings/SettingsView.h"

#include "core/DefaultsKeys.h"
#include "settings/MainBundle.h"
#include "settings/SettingsWindowController.h"
#include "toolkit/Stepper.h"
#include "views/ViewsHarness.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QStyleOptionSpinBox>
#include <gtest/gtest.h>

namespace drowsel::testing {
namespace {

class SettingsViewTest : public ::testing::Test, public ViewsHarness {
protected:
    SettingsView view{settings, QVariantMap{{"CFBundleShortVersionString", "1.4"}, {"CFBundleVersion", "27"}}};
    Stepper* stepper = view.findChild<Stepper*>("stepper");

    void SetUp() override { showAndWait(view); }

    // Clicks the stepper's arrow the way the user does.
    void clickArrow(QStyle::SubControl arrow) {
        QStyleOptionSpinBox option;
        option.initFrom(stepper);
        option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
        const QRect rect = stepper->style()->subControlRect(QStyle::CC_SpinBox, &option, arrow, stepper);
        QTest::mouseClick(stepper, Qt::LeftButton, {}, rect.center());
        settle();
    }
    void store(std::int64_t hours) {
        StoredValue<std::int64_t>(settings, DefaultsKeys::hoursUntilClose, 0).set(hours);
        settle();
    }
    std::optional<std::int64_t> storedHours() const { return core.defaults.integer(DefaultsKeys::hoursUntilClose); }
};

TEST_F(SettingsViewTest, ShowsTwentyFourWhileAbsentAndOneClickDownStores23) {
    EXPECT_EQ(stepper->text(), "24h");
    clickArrow(QStyle::SC_SpinBoxDown);
    EXPECT_EQ(storedHours(), 23);
    EXPECT_EQ(stepper->text(), "23h");
    clickArrow(QStyle::SC_SpinBoxUp);
    EXPECT_EQ(storedHours(), 24);
}

TEST_F(SettingsViewTest, ClicksKeepTheLimitWithinOneTo72) {
    const std::vector<std::tuple<std::int64_t, QStyle::SubControl, QString, std::int64_t>> cases{
        {72, QStyle::SC_SpinBoxUp, "72h", 72},
        {1, QStyle::SC_SpinBoxDown, "1h", 1},
        {100, QStyle::SC_SpinBoxDown, "100h", 72},
        {100, QStyle::SC_SpinBoxUp, "100h", 100},
        {-5, QStyle::SC_SpinBoxUp, "-5h", 1}};
    for (const auto& [stored, arrow, shown, after] : cases) {
        store(stored);
        EXPECT_EQ(stepper->text(), shown);
        clickArrow(arrow);
        EXPECT_EQ(storedHours(), after) << shown.toStdString();
    }
}

TEST_F(SettingsViewTest, QuitButtonCheckboxWritesTheSetting) {
    auto* box = view.findChild<QCheckBox*>("closeButton");
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(box->text(), "Shows button to quit apps manually");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(core.defaults.boolean(DefaultsKeys::showCloseButton), true);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(core.defaults.boolean(DefaultsKeys::showCloseButton), false);
}

TEST_F(SettingsViewTest, VersionLineShowsMissingValuesAsEmpty) {
    EXPECT_EQ(view.findChild<QLabel*>("version")->text(), "1.4 (27)");
    const std::vector<std::pair<std::optional<QVariantMap>, QString>> cases{
        {QVariantMap{{"CFBundleShortVersionString", "1.4"}}, "1.4 ()"},
        {QVariantMap{{"CFBundleShortVersionString", "1.4"}, {"CFBundleVersion", 27}}, "1.4 ()"},
        {std::nullopt, " ()"},
        {MainBundle::infoDictionary(), DROWSEL_PROJECT_VERSION " (" DROWSEL_BUILD_NUMBER ")"}};
    for (const auto& [dictionary, line] : cases) {
        EXPECT_EQ(SettingsView(settings, dictionary).findChild<QLabel*>("version")->text(), line);
    }
}

TEST_F(SettingsViewTest, CaptionsEndAndControlsBeginInOneColumn) {
    const auto captions = view.findChildren<QLabel*>("caption");
    ASSERT_EQ(captions.size(), 3);
    EXPECT_EQ(captions[0]->text(), "Startup:");
    EXPECT_EQ(captions[1]->text(), "Idle time:");
    EXPECT_EQ(captions[2]->text(), "Quit button:");
    const auto textEnd = [&](const QLabel* caption) {
        return caption->mapTo(&view, QPoint(caption->contentsRect().right() + 1, 0)).x();
    };
    for (const QLabel* caption : captions) {
        EXPECT_TRUE(caption->alignment() & Qt::AlignRight);
        EXPECT_EQ(caption->contentsRect().width(), SettingsView::captionWidth);
        EXPECT_EQ(textEnd(caption), textEnd(captions[0]));
        EXPECT_EQ(caption->buddy()->mapTo(&view, QPoint()).x(), stepper->mapTo(&view, QPoint()).x());
    }
    EXPECT_EQ(view.findChild<QLabel*>("picture")->size(), QSize(100, 100));
}

TEST(SettingsWindowControllerTest, BuildsOneHiddenWindowOfExactly600By400) {
    ViewsHarness harness;
    std::weak_ptr<SettingsWindowController> first;
    {
        const auto controller =
            SettingsWindowController::create(std::make_unique<SettingsView>(harness.settings, std::nullopt));
        first = controller;
        EXPECT_EQ(SettingsWindowController::shared, controller);
        EXPECT_EQ(controller->window()->windowTitle(), "Settings");
        EXPECT_FALSE(controller->window()->isVisible());
        controller->showWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
        EXPECT_EQ(controller->window()->size(), QSize(600, 400));
        EXPECT_EQ(controller->window()->rootView()->findChild<QLabel*>("picture")->size(), QSize(100, 100));
    }
    EXPECT_FALSE(first.expired());

    // A later controller replaces the first; the first one going does not
    // take the new one out of shared.
    const auto second =
        SettingsWindowController::create(std::make_unique<SettingsView>(harness.settings, std::nullopt));
    EXPECT_TRUE(first.expired());
    EXPECT_EQ(SettingsWindowController::shared, second);
    const auto windows = QApplication::topLevelWidgets();
    EXPECT_EQ(std::ranges::count_if(windows, [](const QWidget* window) { return window->windowTitle() == "Settings"; }),
              1);
    SettingsWindowController::shared.reset();
}

} // namespace
} // namespace drowsel::testing
