// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsView.h"

#include "toolkit/Stepper.h"
#include "views/ViewsHarness.h"

namespace drowsel::testing {

class SettingsViewTest : public ::testing::Test, public ViewsHarness {
protected:
    SettingsView view{settings, std::nullopt};
    Stepper* stepper = view.findChild<Stepper*>("stepper");

    void SetUp() override { showAndWait(view); }
};

// What the file holds, what the stepper shows, and what one step up or down stores.
TEST_F(SettingsViewTest, StepsKeepTheLimitWithinOneTo72AndStoreIt) {
    const std::tuple<std::optional<std::int64_t>, Qt::Key, QString, std::int64_t> cases[]{
        {std::nullopt, Qt::Key_Down, "8h", 7},
        {23, Qt::Key_Up, "23h", 24},
        {72, Qt::Key_Up, "72h", 72},
        {1, Qt::Key_Down, "1h", 1},
        {100, Qt::Key_Down, "100h", 72},
        {100, Qt::Key_Up, "100h", 100},
        {-5, Qt::Key_Up, "-5h", 1}};
    for (const auto& [stored, key, shown, after] : cases) {
        if (stored) {
            StoredValue<std::int64_t>(settings, DefaultsKeys::hoursUntilClose, 0).set(*stored);
            settle();
        }
        EXPECT_EQ(stepper->text(), shown);
        QTest::keyClick(stepper, key);
        settle();
        EXPECT_EQ(core.defaults.integer(DefaultsKeys::hoursUntilClose), after) << shown.toStdString();
        EXPECT_EQ(stepper->text(), QString::number(after) + "h");
    }
}

} // namespace drowsel::testing
