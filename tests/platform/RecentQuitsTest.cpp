// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/record/RecentQuits.h"
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
    // The launcher starts only entries in the applications folder.
    RecentQuits open() {
        return RecentQuits(QString::fromStdString(path), Logger(log, "", ""), [this](const auto& entry, auto& problem) {
            launched.push_back(entry);
            problem = "refused";
            return entry.starts_with("/usr/share/applications/");
        });
    }
    static ApplicationHandle application(std::optional<std::string> name, std::string location) {
        return ApplicationHandle(std::make_shared<fakes::FakeApplication>(
            fakes::FakeApplication::Properties{std::move(name), {}, std::move(location)}));
    }

    QTemporaryDir folder;
    const std::string path = folder.filePath("Drowsel/recent.json").toStdString();
    fakes::RecordingLogSink log;
    std::vector<std::string> launched;
};

TEST_F(RecentQuitsTest, KeepsTheTenNewestAcrossARestartAndReopensOnlyThoseWithAnEntry) {
    auto record = open();
    for (int quit = 0; quit < 11; ++quit) {
        record.add(application("App " + std::to_string(quit), "/usr/share/applications/app.desktop"), quit);
    }
    record.add(application(std::nullopt, "/usr/bin/xcalc"), 11);
    record.add(application("Gone", "/tmp/gone.desktop"), 12);

    const auto reloaded = open();
    ASSERT_EQ(reloaded.entries().size(), 10u);
    EXPECT_EQ(reloaded.entries(), record.entries());
    EXPECT_EQ(reloaded.entries()[1], (RecentQuits::Entry{"Unknown", "", 11}));
    EXPECT_EQ(reloaded.entries()[9], (RecentQuits::Entry{"App 3", "/usr/share/applications/app.desktop", 3}));
    EXPECT_FALSE(reloaded.reopen(1));
    EXPECT_FALSE(reloaded.reopen(0));
    EXPECT_TRUE(reloaded.reopen(9));
    EXPECT_EQ(launched, (std::vector<std::string>{"/tmp/gone.desktop", "/usr/share/applications/app.desktop"}));
    ASSERT_EQ(log.messages(), std::vector<std::string>{"Could not reopen /tmp/gone.desktop: refused"});
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
