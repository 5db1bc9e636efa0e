// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/record/RecentQuits.h"
#include "ChildProcesses.h"
#include "QtEventPump.h"
#include "fakes/FakeApplication.h"
#include "fakes/RecordingLogSink.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

namespace drowsel {

namespace {

class RecentQuitsTest : public ::testing::Test {
protected:
    RecentQuits open() { return RecentQuits(QString::fromStdString(path), Logger(log, "", "")); }
    static ApplicationHandle application(std::optional<std::string> name, std::string location) {
        return ApplicationHandle(std::make_shared<fakes::FakeApplication>(
            fakes::FakeApplication::Properties{std::move(name), {}, std::move(location)}));
    }

    QTemporaryDir folder;
    const std::string path = folder.filePath("Drowsel/recent.json").toStdString();
    fakes::RecordingLogSink log;
};

TEST_F(RecentQuitsTest, KeepsTheTenNewestAcrossARestartAndReopensOnlyThoseWithAnEntry) {
    const auto entry = folder.filePath("reopen.desktop");
    std::ofstream(entry.toStdString()) << "[Desktop Entry]\nType=Application\nName=Reopen\nExec=touch "
                                       << folder.filePath("reopened").toStdString() << "\n";
    auto record = open();
    for (int quit = 0; quit < 11; ++quit) {
        record.add(application("App " + std::to_string(quit), "/usr/share/applications/app.desktop"), quit);
    }
    record.add(application(std::nullopt, "/usr/bin/xcalc"), 11);
    record.add(application("Reopen", entry.toStdString()), 12);

    const auto reloaded = open();
    ASSERT_EQ(reloaded.entries().size(), 10u);
    EXPECT_EQ(reloaded.entries(), record.entries());
    EXPECT_EQ(reloaded.entries()[1], (RecentQuits::Entry{"Unknown", "", 11}));
    EXPECT_EQ(reloaded.entries()[9], (RecentQuits::Entry{"App 3", "/usr/share/applications/app.desktop", 3}));
    EXPECT_FALSE(reloaded.reopen(1));
    EXPECT_FALSE(reloaded.reopen(9)); // no such file
    ASSERT_TRUE(reloaded.reopen(0));
    EXPECT_TRUE(processes::ChildProcesses::waitUntil([&] { return QFile::exists(folder.filePath("reopened")); },
                                                     std::chrono::seconds(30), pumpQtEvents));
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST_F(RecentQuitsTest, AnUnreadableFileIsSetAsideLoggedAndReplaced) {
    std::filesystem::create_directories(folder.filePath("Drowsel").toStdString());
    for (const std::string contents : {"not json", R"({"name": "A"})", R"([{"name": "A", "askedAt": 1}])"}) {
        std::ofstream(path) << contents;
        log.lines.clear();
        auto record = open();
        EXPECT_TRUE(record.entries().empty()) << contents;
        EXPECT_EQ(log.messages().size(), 1u) << contents;
        std::ifstream aside(path + ".corrupt");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), contents);
        record.add(application("After", ""), 1);
        EXPECT_EQ(open().entries().size(), 1u) << contents;
    }
}

} // namespace

} // namespace drowsel
