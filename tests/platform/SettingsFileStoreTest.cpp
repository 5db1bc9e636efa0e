// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/SettingsFileStore.h"
#include "core/DefaultsKeys.h"
#include "fakes/RecordingLogSink.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace drowsel {

class SettingsFileStoreTest : public ::testing::Test {
protected:
    SettingsFileStore open() { return SettingsFileStore(path.c_str(), Logger(log, "com.drowsel.Drowsel", "settings")); }
    // As a hand edit would, dated ahead so that a reader cannot take it for what it saved itself.
    void writeFile(const std::string& contents) const {
        std::filesystem::create_directories(settingsFolder);
        std::ofstream(path, std::ios::binary) << contents;
        std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(2));
    }

    QTemporaryDir folder;
    std::filesystem::path path = folder.filePath("Drowsel/Drowsel.conf").toStdString();
    std::filesystem::path settingsFolder = path.parent_path();
    fakes::RecordingLogSink log;
};

TEST_F(SettingsFileStoreTest, LivesInTheXdgConfigFolderAndValuesSurviveAReopenWithTheirTypes) {
    EXPECT_EQ(SettingsFileStore(Logger(log, "", "")).filePath(), qgetenv("XDG_CONFIG_HOME") + "/Drowsel/Drowsel.conf");
    auto store = open();
    store.setInteger(DefaultsKeys::hoursUntilClose, 12);
    store.setBoolean(DefaultsKeys::showCloseButton, true);
    store.setData(DefaultsKeys::toggleStatus, R"({"Ärger, \"x\"":false})");
    store.setText(DefaultsKeys::pausedUntil, "2026-12-07T14:30:00+01:00");

    const auto reopened = open();
    EXPECT_EQ(reopened.text(DefaultsKeys::pausedUntil), "2026-12-07T14:30:00+01:00");
    EXPECT_EQ(reopened.integer(DefaultsKeys::hoursUntilClose), 12);
    EXPECT_EQ(reopened.boolean(DefaultsKeys::showCloseButton), true);
    EXPECT_EQ(reopened.data(DefaultsKeys::toggleStatus), R"({"Ärger, \"x\"":false})");
}

// A hand edit while Drowsel runs is read at once; values of another type, or
// a file that is not INI at all, read as absent, and the next save still works.
TEST_F(SettingsFileStoreTest, HandEditsAreReadAtOnceAndWhatIsNotOfTheTypeAskedReadsAsAbsent) {
    auto store = open();
    store.setInteger(DefaultsKeys::hoursUntilClose, 5);
    writeFile("[General]\nhoursUntilClose= 7 \nshowCloseButton=yes\ncom.Drowsel.toggleStatus=not bytes\nhalf=8.5\n");
    EXPECT_EQ(store.integer(DefaultsKeys::hoursUntilClose), 7);
    EXPECT_EQ(store.boolean(DefaultsKeys::showCloseButton), std::nullopt);
    EXPECT_EQ(store.data(DefaultsKeys::toggleStatus), std::nullopt);
    EXPECT_EQ(store.integer("half"), std::nullopt);
    EXPECT_EQ(store.text(DefaultsKeys::toggleStatus), "not bytes");

    writeFile(std::string("\xff\xfe\x00garbage [[[ = = \n\n=\x01", 24));
    EXPECT_EQ(store.integer(DefaultsKeys::hoursUntilClose), std::nullopt);
    store.setInteger(DefaultsKeys::hoursUntilClose, 3);
    EXPECT_EQ(open().integer(DefaultsKeys::hoursUntilClose), 3);
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(SettingsFileStoreTest, FailedSaveIsLoggedAndTheValueIsKeptAndSavedLater) {
    std::ofstream{settingsFolder}; // a file where the folder should be: no save can succeed, even as root
    auto store = open();

    store.setData(DefaultsKeys::toggleStatus, R"({"Mail":false})");

    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].level, LogSink::Level::error);
    EXPECT_EQ(log.lines[0].message, "Failed to save com.Drowsel.toggleStatus to " + path.string() + ": access denied");
    EXPECT_EQ(store.data(DefaultsKeys::toggleStatus), R"({"Mail":false})");

    std::filesystem::remove(settingsFolder);
    store.setInteger(DefaultsKeys::hoursUntilClose, 6);
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(open().data(DefaultsKeys::toggleStatus), R"({"Mail":false})");
}

} // namespace drowsel
