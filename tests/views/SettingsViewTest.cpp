// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsView.h"

#include "toolkit/Stepper.h"
#include "toolkit/StoredValue.h"
#include "views/ViewsHarness.h"

#include <QCheckBox>
#include <QStyleOptionSpinBox>

namespace drowsel::testing {
namespace {

class SettingsViewTest : public ::testing::Test, public ViewsHarness {
protected:
    SettingsView view{settings, std::nullopt};
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
};

// What the file holds, what the stepper shows, and what one click stores.
TEST_F(SettingsViewTest, ClicksKeepTheLimitWithinOneTo72AndStoreIt) {
    const std::tuple<std::optional<std::int64_t>, QStyle::SubControl, QString, std::int64_t> cases[]{
        {std::nullopt, QStyle::SC_SpinBoxDown, "24h", 23},
        {23, QStyle::SC_SpinBoxUp, "23h", 24},
        {72, QStyle::SC_SpinBoxUp, "72h", 72},
        {1, QStyle::SC_SpinBoxDown, "1h", 1},
        {100, QStyle::SC_SpinBoxDown, "100h", 72},
        {100, QStyle::SC_SpinBoxUp, "100h", 100},
        {-5, QStyle::SC_SpinBoxUp, "-5h", 1}};
    for (const auto& [stored, arrow, shown, after] : cases) {
        core.defaults.values.erase(DefaultsKeys::hoursUntilClose);
        if (stored) {
            StoredValue<std::int64_t>(settings, DefaultsKeys::hoursUntilClose, 0).set(*stored);
        }
        settle();
        EXPECT_EQ(stepper->text(), shown);
        clickArrow(arrow);
        EXPECT_EQ(core.defaults.integer(DefaultsKeys::hoursUntilClose), after) << shown.toStdString();
        EXPECT_EQ(stepper->text(), QString::number(after) + "h");
    }
}

TEST_F(SettingsViewTest, QuitButtonCheckboxWritesTheSetting) {
    auto* box = view.findChild<QCheckBox*>("closeButton");
    for (const bool expected : {true, false}) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, 4));
        EXPECT_EQ(core.defaults.boolean(DefaultsKeys::showCloseButton), expected);
    }
}

} // namespace
} // namespace drowsel::testing
