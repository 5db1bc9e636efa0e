// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrayModel.h"
#include "core/DefaultsKeys.h"
#include "fakes/CoreFakes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace drowsel {

// The program's pieces over one settings file; a second one on the same
// folder is the program started again.
struct Program {
    explicit Program(const QTemporaryDir& folder)
        : store(folder.filePath("Drowsel.conf"), Logger(core.log, "", "settings")), settings(store),
          recent(folder.filePath("recent.json"), Logger(core.log, "", "record"),
                 [](const std::string&, std::string&) { return false; }),
          manager(RunningAppsManager::create(core.services())),
          model({*manager, store, settings, recent, tray, [] {}}, Logger(core.log, "", "tray")) {
        model.readStoredPause();
    }

    std::string storedPause() const { return store.text(DefaultsKeys::pausedUntil).toStdString(); }

    fakes::CoreFakes core;
    SettingsFileStore store;
    StoredSettings settings;
    RecentQuits recent;
    std::shared_ptr<RunningAppsManager> manager;
    TrayItem tray{std::make_unique<QWidget>()};
    TrayModel model;
};

TEST(TrayModelTest, APauseOutlivesARestartEndsEverywhereAndUnreadableTextIsLoggedOnce) {
    QTemporaryDir folder;
    const QDateTime until = QDateTime::currentDateTime().addSecs(3600);
    const QDateTime wholeSecond = until.addMSecs(-until.time().msec());
    {
        Program first(folder);
        first.model.pauseUntil(until);
        EXPECT_EQ(QDateTime::fromString(QString::fromStdString(first.storedPause()), Qt::ISODate), wholeSecond);
    }
    Program restarted(folder);
    EXPECT_EQ(restarted.model.pausedUntil(), wholeSecond);
    EXPECT_NE(restarted.tray.icon().toolTip(), "Drowsel");

    restarted.model.resume();
    EXPECT_EQ(restarted.manager->pausedUntil(), std::nullopt);
    EXPECT_EQ(restarted.storedPause(), "");
    EXPECT_EQ(restarted.tray.icon().toolTip(), "Drowsel");

    restarted.store.setText(DefaultsKeys::pausedUntil, "soon");
    restarted.model.readStoredPause();
    restarted.model.readStoredPause();
    EXPECT_EQ(restarted.model.pausedUntil(), std::nullopt);
    EXPECT_EQ(
        std::ranges::count(restarted.core.log.lines, LogSink::Level::error, &fakes::RecordingLogSink::Line::level), 1)
        << "one line for the text that is no time";
}

} // namespace drowsel
