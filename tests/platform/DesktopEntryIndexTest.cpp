// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop/DesktopEntryIndex.h"
#include "platform/desktop/DesktopEntryLauncher.h"
#include "platform/desktop/DesktopEntryLookup.h"
#include "support/QtEventPump.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace drowsel {

namespace {

// Folders of the test's own for $XDG_DATA_HOME and $XDG_DATA_DIRS (the second
// of them missing), and the messages in Canadian French, else German.
class EntryFolders {
public:
    EntryFolders() : saved{qgetenv("XDG_DATA_HOME"), qgetenv("XDG_DATA_DIRS"), qgetenv("LANGUAGE")} {
        qputenv("XDG_DATA_HOME", path("home").c_str());
        qputenv("XDG_DATA_DIRS", (path("system") + ":" + path("late")).c_str());
        qputenv("LANGUAGE", "fr_CA:de");
    }
    ~EntryFolders() {
        qputenv("XDG_DATA_HOME", saved[0]);
        qputenv("XDG_DATA_DIRS", saved[1]);
        qputenv("LANGUAGE", saved[2]);
    }
    std::string path(const std::string& folder) const {
        return root.filePath(QString::fromStdString(folder)).toStdString();
    }
    void write(const std::string& file, const std::string& lines) const {
        std::filesystem::create_directories(std::filesystem::path(path(file)).parent_path());
        std::ofstream(path(file)) << lines;
    }

private:
    QTemporaryDir root;
    QByteArray saved[3];
};

constexpr auto app = "[Desktop Entry]\nType=Application\nExec=true\n";

} // namespace

// The freedesktop rules as launchers apply them: the user's folder first, a
// Hidden entry hiding the system's, ids of subfolders, names in the user's
// language, entries that are no application's; changes seen when next asked.
TEST(DesktopEntryIndexTest, ReadsEntriesByTheFreedesktopRules) {
    const EntryFolders folders;
    folders.write("system/applications/shadow.desktop", std::string(app) + "Name=System\n");
    folders.write("system/applications/masked.desktop", std::string(app) + "Name=Masked\n");
    folders.write("home/applications/masked.desktop", std::string(app) + "Hidden=true\n");
    folders.write("home/applications/shadow.desktop", std::string(app) + "Name=User\nIcon=/icons/x.png\n");
    folders.write("home/applications/kde/sub.desktop", std::string(app) + "Name=Two\\sWords\nIcon=tool.svg\n");
    folders.write("home/applications/local.desktop",
                  std::string(app) + "Name=Plain\nName[es]=Espanol\nName[de]=Deutsch\n[Desktop Action x]\nName=No\n");
    folders.write("home/applications/link.desktop", "[Desktop Entry]\nType=Link\nName=Link\n");
    folders.write("home/applications/gone.desktop", std::string(app) + "Name=Gone\nTryExec=/no/such/program\n");
    folders.write("home/applications/broken.desktop", std::string(app) + "Name=Broken\na line of no key\n");
    DesktopEntryIndex index;
    const auto name = [&](const std::string& id) {
        return index.byId(id).value_or(DesktopEntryIndex::Entry{"", "none", ""}).name;
    };
    const std::pair<std::string, std::string> expected[] = {
        {"shadow", "User"}, {"masked", "none"}, {"kde-sub", "Two Words"}, {"local", "Deutsch"},
        {"link", "none"},   {"gone", "none"},   {"broken", "none"},       {"sub", "none"}};
    for (const auto& [id, expectedName] : expected) {
        EXPECT_EQ(name(id), expectedName) << id;
    }
    const auto icon = [&](const std::string& id) {
        return DesktopEntryLookup::iconOfEntryAt(index.byId(id)->path).value();
    };
    EXPECT_EQ(icon("shadow").file.value_or("none"), "/icons/x.png");
    EXPECT_EQ(icon("kde-sub").themeNames, std::vector<std::string>{"tool"});

    folders.write("home/applications/shadow.desktop", std::string(app) + "Name=Rewritten\n");
    EXPECT_EQ(name("shadow"), "Rewritten");
    std::filesystem::create_directories(folders.path("late"));
    EXPECT_EQ(name("new"), "none");
    folders.write("late/applications/new.desktop", std::string(app) + "Name=New\n");
    EXPECT_EQ(name("new"), "New");
}

// Applications installed while Drowsel runs get their names; the index is
// read again only after the entries changed, every time they do.
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

// An entry's program starts, through GIO loaded for it; an entry that is not
// there is said to be missing.
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
