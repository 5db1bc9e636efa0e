// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsView.h"

#include "platform/qt/SettingsFileStore.h"
#include "platform/qt/SettingsFileWatcher.h"
#include "toolkit/Stepper.h"
#include "views/ViewsHarness.h"

#include <filesystem>
#include <fstream>

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

// A hand edit shows in the open settings window, whether an editor puts a
// new file in place (here first where there was not even the folder) or writes
// in place; each edit makes one notice.
TEST_F(SettingsViewTest, HandEditsOfTheSettingsFileShowWhileItIsOpen) {
    SettingsFileStore store(Logger(core.log, "", ""));
    const std::string path = store.filePath().toStdString();
    StoredSettings fileSettings(store);
    SettingsFileWatcher watcher(store.filePath(), [&] { fileSettings.announceAll(); });
    int notices = 0;
    const auto counting = fileSettings.willChange(DefaultsKeys::hoursUntilClose).subscribe([&] { ++notices; });
    const SettingsView window(fileSettings, std::nullopt);
    const auto* hours = window.findChild<Stepper*>("stepper");
    auto shows = [&](QString text) { return QTest::qWaitFor([&] { return hours->text() == text; }, 20000); };

    // The first save makes the folder.
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path + ".new") << "hoursUntilClose=0\n";
    std::filesystem::rename(path + ".new", path);
    ASSERT_TRUE(shows("0h")) << hours->text().toStdString();
    // Written in place: only a watch on the new file hears it.
    std::ofstream(path) << "hoursUntilClose=15\n";
    ASSERT_TRUE(shows("15h")) << hours->text().toStdString();
    // Replaced again, which both the file's watch and the folder's hear.
    std::ofstream(path + ".new") << "hoursUntilClose=7\n";
    std::filesystem::rename(path + ".new", path);
    ASSERT_TRUE(shows("7h")) << hours->text().toStdString();
    QTest::qWait(3 * SettingsFileWatcher::burstMilliseconds);
    EXPECT_EQ(notices, 3) << "one for each edit";
}

} // namespace drowsel::testing
