// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/SettingsFileWatcher.h"

#include "platform/qt/SettingsFileStore.h"
#include "settings/SettingsView.h"
#include "toolkit/Stepper.h"
#include "views/ViewsHarness.h"

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace drowsel::testing {

namespace fs = std::filesystem;

// A hand edit while the settings window is open shows in it, whether the
// editor writes the file in place or replaces it; a burst of writes makes one notice.
TEST(SettingsFileWatcherTest, HandEditsShowInTheOpenSettingsWindow) {
    QTemporaryDir folder;
    const fs::path path = folder.filePath("Drowsel/Drowsel.conf").toStdString();
    fs::create_directories(path.parent_path());
    fakes::RecordingLogSink log;
    SettingsFileStore store(QString::fromStdString(path), Logger(log, "", ""));
    StoredSettings settings(store);
    int notices = 0;
    SettingsFileWatcher watcher(QString::fromStdString(path), [&] {
        ++notices;
        settings.announceAll();
    });
    SettingsView view(settings, std::nullopt);
    showAndWait(view);
    auto* stepper = view.findChild<Stepper*>("stepper");

    // Dated apart, as edits seconds apart are; an undated one only writes the file's contents.
    int edits = 0;
    const auto edit = [&](const fs::path& file, int hours, bool dated = true) {
        std::ofstream(file) << "[General]\nhoursUntilClose=" << hours << "\n";
        if (dated) {
            fs::last_write_time(file, fs::file_time_type::clock::now() + std::chrono::seconds(++edits));
        }
    };
    const auto shows = [&](const QString& text) {
        return QTest::qWaitFor([&] { return stepper->text() == text; }, 20000);
    };
    edit(path, 38);
    ASSERT_TRUE(shows("38h")) << stepper->text().toStdString();
    edit(path.string() + ".new", 0);
    fs::rename(path.string() + ".new", path);
    ASSERT_TRUE(shows("0h")) << stepper->text().toStdString();
    const int noticesBefore = notices;
    for (const int hours : {3, 4, 5}) {
        edit(path, hours);
    }
    ASSERT_TRUE(shows("5h")) << stepper->text().toStdString();
    QTest::qWait(3 * SettingsFileWatcher::burstMilliseconds);
    EXPECT_EQ(notices, noticesBefore + 1);
    edit(path, 15, false);
    ASSERT_TRUE(shows("15h")) << stepper->text().toStdString() << ": the replaced file is watched again";

    QTest::keyClick(stepper, Qt::Key_Up);
    EXPECT_EQ(store.integer(DefaultsKeys::hoursUntilClose), 16) << "a step starts from the edited value";
}

} // namespace drowsel::testing
