#include "platform/qt/SettingsFileStore.h"
#include "core/DefaultsKeys.h"
#include "fakes/RecordingLogSink.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <filesystem>

namespace drowsel {

class SettingsFileStoreTest : public ::testing::Test {
protected:
    QString path() const { return folder.filePath("Drowsel/Drowsel.conf"); }
    SettingsFileStore open() { return SettingsFileStore(path(), Logger(log, "com.drowsel.Drowsel", "settings")); }
    void writeFile(const QByteArray& contents) const {
        QDir(folder.path()).mkpath("Drowsel");
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
    }
    QByteArray fileContents() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    fakes::RecordingLogSink log;
};

TEST_F(SettingsFileStoreTest, LivesInTheXdgConfigFolder) {
    qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    SettingsFileStore store(Logger(log, "com.drowsel.Drowsel", "settings"));
    qunsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(store.filePath(), path());
    store.setInteger(DefaultsKeys::hoursUntilClose, 3);
    EXPECT_TRUE(fileContents().contains("hoursUntilClose=3"));
}

TEST_F(SettingsFileStoreTest, ValuesSurviveAReopenWithTheirTypes) {
    {
        auto store = open();
        store.setInteger(DefaultsKeys::hoursUntilClose, 12);
        store.setBoolean(DefaultsKeys::showCloseButton, true);
        store.setData(DefaultsKeys::toggleStatus, R"({"Ärger, \"x\"":false})");
    }
    const auto store = open();

    EXPECT_EQ(store.integer(DefaultsKeys::hoursUntilClose), 12);
    EXPECT_EQ(store.boolean(DefaultsKeys::showCloseButton), true);
    EXPECT_EQ(store.data(DefaultsKeys::toggleStatus), R"({"Ärger, \"x\"":false})");
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(SettingsFileStoreTest, HandEditedValuesOfAnotherTypeReadAsAbsent) {
    writeFile("[General]\nhoursUntilClose=8.5\nshowCloseButton=yes\ncom.Drowsel.toggleStatus=not bytes\n"
              "a=abc\nb= 7 \nc=true\nd=@ByteArray({})\n");
    const auto store = open();

    EXPECT_EQ(store.integer(DefaultsKeys::hoursUntilClose), std::nullopt);
    EXPECT_EQ(store.boolean(DefaultsKeys::showCloseButton), std::nullopt);
    EXPECT_EQ(store.data(DefaultsKeys::toggleStatus), std::nullopt);
    EXPECT_EQ(store.integer("a"), std::nullopt);
    EXPECT_EQ(store.integer("b"), 7);
    EXPECT_EQ(store.integer("c"), std::nullopt);
    EXPECT_EQ(store.boolean("c"), true);
    EXPECT_EQ(store.data("d"), "{}");
    EXPECT_EQ(store.integer("missing"), std::nullopt);
}

TEST_F(SettingsFileStoreTest, GarbageFileReadsAsEmptyAndIsNotTheEndOfIt) {
    writeFile(QByteArray("\xff\xfe\x00garbage [[[ = = \n\n=\x01", 24));
    auto store = open();

    EXPECT_EQ(store.integer(DefaultsKeys::hoursUntilClose), std::nullopt);
    store.setInteger(DefaultsKeys::hoursUntilClose, 3);
    EXPECT_EQ(store.integer(DefaultsKeys::hoursUntilClose), 3);
    EXPECT_TRUE(fileContents().contains("\nhoursUntilClose=3\n"));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(SettingsFileStoreTest, AChangeMadeToTheFileFromOutsideIsReadNextTime) {
    auto store = open();
    store.setInteger(DefaultsKeys::hoursUntilClose, 5);

    writeFile("[General]\nhoursUntilClose=0\nshowCloseButton=true\n");
    std::filesystem::last_write_time(path().toStdString(),
                                     std::filesystem::file_time_type::clock::now() + std::chrono::seconds(2));

    EXPECT_EQ(store.integer(DefaultsKeys::hoursUntilClose), 0);
    EXPECT_EQ(store.boolean(DefaultsKeys::showCloseButton), true);
}

TEST_F(SettingsFileStoreTest, FailedSaveIsLoggedAndTheValueIsKeptAndSavedLater) {
    // A file where the settings folder should be: no save can succeed, even as root.
    const auto settingsFolder = std::filesystem::path(path().toStdString()).parent_path();
    QFile(QString::fromStdString(settingsFolder.string())).open(QIODevice::WriteOnly);
    auto store = open();

    store.setData(DefaultsKeys::toggleStatus, R"({"Mail":false})");

    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].level, LogSink::Level::error);
    EXPECT_EQ(log.lines[0].message,
              "Failed to save com.Drowsel.toggleStatus to " + path().toStdString() + ": access denied");
    EXPECT_EQ(store.data(DefaultsKeys::toggleStatus), R"({"Mail":false})");

    std::filesystem::remove(settingsFolder);
    std::filesystem::create_directory(settingsFolder);
    store.setInteger(DefaultsKeys::hoursUntilClose, 6);
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(open().data(DefaultsKeys::toggleStatus), R"({"Mail":false})");
}

} // namespace drowsel
