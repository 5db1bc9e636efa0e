// The settings file and its folder in states the program never leaves them
// in: unwritable, full, garbage, wrong types, limits far outside 1 to 72 hours.
// In each, a sweep runs every second (the panel is open) over an idle client
// and the one in use.
#include "FaultSession.h"

#include <gtest/gtest.h>

#include <QFile>

namespace drowsel::xtest {

namespace {

QByteArray contentsOf(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

class SettingsFaultTest : public ::testing::Test {
protected:
    // Settings written, tray up, both clients shown, the one in use frontmost.
    void prepare(const QByteArray& settings) {
        session.desktop().writeSettings(settings);
        session.startTray();
        idle = session.startClient("Idle");
        user = session.startClient("User");
        session.activate("User");
    }

    // False when Drowsel ended before it was up (its setup failed).
    bool startDrowsel(const std::string& setup = {}, const std::vector<std::string>& wrapper = {}) {
        drowsel = session.startDrowsel(setup, wrapper);
        XSession::waitUntil([&] { return session.countInLog("Init") > 0 || !session.x().isRunning(drowsel); });
        if (!session.x().isRunning(drowsel)) {
            return false;
        }
        panel = session.openPanel(drowsel);
        return true;
    }

    bool sweptAtLeast(std::size_t sweeps) { return session.waitForLog("checkOpenApps", sweeps); }
    bool idleWasAsked() const { return session.countInLog("Idle delete request") > 0; }
    bool idleClosed() {
        return XSession::waitUntil([&] { return !session.x().isRunning(idle); }) && session.x().exitStatus(idle) == 0;
    }

    FaultSession session;
    FaultSession::Geometry panel{};
    pid_t idle = -1;
    pid_t user = -1;
    pid_t drowsel = -1;
};

// A folder in which no file can be created, by root either.
struct Unwritable {
    std::string name;
    bool immutable;
    // Run in the shell that becomes Drowsel, inside the wrapper.
    std::string setup;
    std::vector<std::string> wrapper;

    friend void PrintTo(const Unwritable& fault, std::ostream* out) { *out << fault.name; }
};

// chattr +i: not even root creates a file in an immutable folder.
const Unwritable immutableFolder{"ImmutableFolder", true, {}, {}};
// A tmpfs of a few pages over the folder, filled up, in a mount namespace of
// Drowsel's own (root may mount there): the folder is full for Drowsel alone.
const Unwritable fullFolder{"FullFolder",
                            false,
                            R"(conf=$(cat "$1/Drowsel/Drowsel.conf") &&
mount -t tmpfs -o size=16k drowsel-full "$1/Drowsel" &&
printf '%s\n' "$conf" >"$1/Drowsel/Drowsel.conf" || exit 99
cat /dev/zero >"$1/Drowsel/filler" 2>/dev/null)",
                            {"unshare", "-m"}};

// A settings file as a hand edit, a crash of another program or a newer
// version may leave it, and whether the idle client is past its limit then.
struct OddSettings {
    std::string name;
    QByteArray generalSection;
    bool idleIsAsked;

    friend void PrintTo(const OddSettings& settings, std::ostream* out) { *out << settings.name; }
};

constexpr char garbage[] = "\xff\xfe\x00=\x01\n[General\nhoursUntilClose\n=0\n\x80\xc3(=\xe9\n[[[]]\n";

const OddSettings oddSettings[] = {
    // Unreadable lines and bytes: every key falls back, so 8 hours.
    {"Garbage", QByteArray(garbage, sizeof garbage - 1), false},
    {"WrongTypes",
     "hoursUntilClose=@ByteArray(0)\nshowCloseButton=@Rect(1 2 3 "
     "4)\ncom.Drowsel.toggleStatus=\"{\\\"Idle\\\":false}\"\n",
     false},
    // A switch map that is no JSON object of booleans reads as no switches.
    {"BrokenSwitches", "hoursUntilClose=0\ncom.Drowsel.toggleStatus=@ByteArray({\\\"Idle\\\":0})\n", true},
    {"FarBelowTheLimits", "hoursUntilClose=-100000\n", true},
    {"FarAboveTheLimits", "hoursUntilClose=9223372036854775807\n", false},
    {"BeyondSixtyFourBits", "hoursUntilClose=123456789012345678901234567890\n", false},
};

class OddSettingsTest : public SettingsFaultTest, public ::testing::WithParamInterface<OddSettings> {};

class UnwritableSettingsTest : public SettingsFaultTest, public ::testing::WithParamInterface<Unwritable> {
protected:
    void TearDown() override {
        if (GetParam().immutable) {
            session.x().run({"chattr", "-i", session.settingsFolder()});
        }
    }
};

} // namespace

// The user turns the idle client's switch on; it cannot be saved. The failure
// is logged, the file stays as it was, Drowsel runs on and the switch holds in
// memory: a following sweep asks the client to close.
TEST_P(UnwritableSettingsTest, SwitchThatCannotBeSavedStillHoldsInMemory) {
    const auto& fault = GetParam();
    prepare("hoursUntilClose=0\ncom.Drowsel.toggleStatus=@ByteArray({\\\"Idle\\\":false})\n");
    const QByteArray settings = session.desktop().settingsFile();
    if (fault.immutable && session.x().run({"chattr", "+i", session.settingsFolder()}).exitCode != 0) {
        GTEST_SKIP() << "chattr +i does not work on this file system";
    }
    if (!startDrowsel(fault.setup, fault.wrapper)) {
        GTEST_SKIP() << "no private mount namespace here: " << session.log();
    }
    ASSERT_TRUE(sweptAtLeast(2));
    EXPECT_FALSE(idleWasAsked()) << "its switch is off";

    session.clickFirstSwitch(panel);
    EXPECT_TRUE(session.waitForLog("error: Failed to save com.Drowsel.toggleStatus")) << session.log();
    EXPECT_TRUE(idleClosed()) << session.log();

    EXPECT_TRUE(session.x().isRunning(drowsel) && session.x().isRunning(user));
    const auto seenFile = "/proc/" + std::to_string(drowsel) + "/root" + session.settingsFolder() + "/Drowsel.conf";
    EXPECT_EQ(contentsOf(seenFile), settings);
}

INSTANTIATE_TEST_SUITE_P(Folders, UnwritableSettingsTest, ::testing::Values(immutableFolder, fullFolder),
                         [](const auto& info) { return info.param.name; });

// Drowsel reads the file, shows its rows and sweeps without rewriting it; the
// idle client is asked to close exactly when the readable part of the file
// says it is past its limit, and the client in use never is.
TEST_P(OddSettingsTest, SweepsSoundlyAndLeavesTheFileAlone) {
    prepare(GetParam().generalSection);
    const QByteArray settings = session.desktop().settingsFile();
    ASSERT_TRUE(startDrowsel());
    ASSERT_TRUE(sweptAtLeast(3));

    if (GetParam().idleIsAsked) {
        EXPECT_TRUE(idleClosed()) << session.log();
    } else {
        EXPECT_FALSE(idleWasAsked()) << session.log();
    }
    EXPECT_EQ(session.countInLog("User delete request"), 0u);
    EXPECT_TRUE(session.x().isRunning(drowsel));
    EXPECT_EQ(session.desktop().settingsFile(), settings);
}

INSTANTIATE_TEST_SUITE_P(Files, OddSettingsTest, ::testing::ValuesIn(oddSettings),
                         [](const auto& info) { return info.param.name; });

} // namespace drowsel::xtest
