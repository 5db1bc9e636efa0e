// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopEntryIndex.h"
#include "platform/desktop/DesktopEntryLauncher.h"
#include "support/QtEventPump.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace drowsel {

// Applications installed while Drowsel runs get their names; the index is
// read again only when GIO says the entries changed, every time it does.
TEST(DesktopEntryIndexTest, FollowsEntriesInstalledMeanwhile) {
    const auto index = DesktopEntryIndex::shared();
    const auto entriesBefore = index->size();
    for (const std::string round : {"1", "2"}) {
        std::ofstream(std::string(std::getenv("XDG_DATA_HOME")) + "/applications/drowsel-test-late" + round +
                      ".desktop")
            << "[Desktop Entry]\nType=Application\nExec=true\nName=Late\nStartupWMClass=LateClass" << round << "\n";
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!index->byClass("lateclass" + round) && std::chrono::steady_clock::now() < deadline) {
            pumpQtEvents();
        }
        EXPECT_EQ(index->byClass("LATECLASS" + round).value_or(DesktopEntryIndex::Entry{}).id,
                  "drowsel-test-late" + round);
    }
    EXPECT_EQ(index->size(), entriesBefore + 2);
    EXPECT_EQ(index.get(), DesktopEntryIndex::shared().get());
}

// An entry's program starts; an entry that is not there is said to be missing.
TEST(DesktopEntryLauncherTest, StartsTheProgramOfTheEntry) {
    const QTemporaryDir folder;
    const auto started = folder.filePath("started").toStdString();
    const auto entry = folder.filePath("starter.desktop").toStdString();
    std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=Starter\nExec=touch " << started << "\n";
    std::string problem;
    EXPECT_TRUE(DesktopEntryLauncher::launch(entry, problem)) << problem;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(started) && std::chrono::steady_clock::now() < deadline) {
        pumpQtEvents();
    }
    EXPECT_TRUE(std::filesystem::exists(started)) << "no " << started << " after launching " << entry;
    EXPECT_FALSE(DesktopEntryLauncher::launch(folder.filePath("none.desktop").toStdString(), problem));
    EXPECT_EQ(problem, "no such desktop entry");
}

} // namespace drowsel
