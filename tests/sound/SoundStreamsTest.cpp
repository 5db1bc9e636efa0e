// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound/SoundStreams.h"
#include "QtEventPump.h"
#include "SoundSession.h"
#include "fakes/RecordingLogSink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

namespace drowsel {

namespace {

using namespace std::chrono_literals;
using Kind = Work::Kind;
using Server = processes::SoundSession::Server;

bool eventually(const std::function<bool()>& condition) {
    return processes::ChildProcesses::waitUntil(condition, 30s, pumpQtEvents);
}

template <Server server> class SoundTest : public ::testing::Test {
protected:
    std::optional<Kind> soundOf(pid_t process) const { return streams.soundOf({process}); }
    bool reports(pid_t process, std::optional<Kind> kind) const {
        return eventually([&] { return soundOf(process) == kind; });
    }
    long linesWith(const std::string& text) const {
        return std::ranges::count_if(log.messages(),
                                     [&](const std::string& line) { return line.find(text) != std::string::npos; });
    }
    std::string observed(pid_t process) const {
        auto text = "sound of " + std::to_string(process) + ": " +
                    (soundOf(process) ? Work{*soundOf(process), ""}.description() : "none") + "; log:";
        for (const auto& line : log.messages()) {
            text += "\n  " + line;
        }
        return text;
    }

    processes::SoundSession session{server};
    fakes::RecordingLogSink log;
    SoundStreams streams{Logger(log, "com.drowsel.Drowsel", "Sound"), 100ms};
    int changes = 0;
    QMetaObject::Connection counter = QObject::connect(&streams, &SoundStreams::streamsChanged, [this] { ++changes; });
};

using PulseAudioTest = SoundTest<Server::pulseAudio>;
using PipeWireTest = SoundTest<Server::pipeWire>;

// One daemon, streams of every kind at once: only a process's own uncorked
// playback or recording of a real source counts; a stream naming no process
// of ours logs one line, however often it changes.
TEST_F(PulseAudioTest, StreamsCountForTheirOwnProcessesOnly) {
    const auto othersProcess = std::to_string(geteuid() == 0 ? session.serverPid() : 1);
    const std::vector<std::string> play{"paplay", "--raw", "/dev/zero"};
    const struct {
        std::vector<std::string> command;
        std::string property;
        std::optional<Kind> sound;
        std::string logged;
    } cases[] = {
        {play, "", Kind::playingSound, ""},
        {{"parecord", "--raw", "--device=mic", "/dev/null"}, "", Kind::recording, ""},
        {{"parecord", "--raw", "--device=null.monitor", "/dev/null"}, "", std::nullopt, ""},
        {{DROWSEL_STREAM_FIXTURE, "corked"}, "", std::nullopt, ""},
        {{DROWSEL_STREAM_FIXTURE, "meter", "mic"}, "", std::nullopt, ""},
        {play, "1abc", std::nullopt, "names no process: \"1abc\""},
        {play, "4294967297", std::nullopt, "names no process: \"4294967297\""},
        {play, othersProcess, std::nullopt, "names process " + othersProcess + " of another user"},
        {play, std::to_string(getpid()), std::nullopt, ""}, // counts for us, who stay when it stops
    };
    ASSERT_TRUE(streams.isConnected());
    const auto spawned = std::chrono::steady_clock::now();
    const auto first = session.start(play);
    ASSERT_TRUE(reports(first, Kind::playingSound)) << observed(first);
    EXPECT_EQ(changes, 1) << "news of its client and its changes do not count; " << observed(first);
    std::cout << "A stream is seen " << (std::chrono::steady_clock::now() - spawned) / 1ms << " ms after its start\n";
    std::vector<pid_t> started;
    for (const auto& row : cases) {
        const auto property = "PULSE_PROP=application.process.id=" + row.property;
        started.push_back(
            session.start(row.command, row.property.empty() ? std::vector<std::string>{} : std::vector{property}));
    }
    // All are there and change; once a later stream is seen, so is all news of them.
    const auto streamCount = [&] {
        return std::ranges::count(
            session.run({"sh", "-c", "pactl list short sink-inputs; pactl list short source-outputs"}).output, '\n');
    };
    ASSERT_TRUE(eventually([&] { return streamCount() == std::ssize(cases) + 1; })) << streamCount();
    session.run(
        {"sh", "-c", "pactl list short sink-inputs | cut -f1 | xargs -I{} pactl set-sink-input-mute {} toggle"});
    const auto last = session.start(play);
    ASSERT_TRUE(reports(last, Kind::playingSound)) << observed(last);
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        EXPECT_EQ(soundOf(started[row]), cases[row].sound) << "row " << row << ", " << observed(started[row]);
        if (!cases[row].logged.empty()) {
            EXPECT_EQ(linesWith(cases[row].logged), 1) << "row " << row << ", " << observed(started[row]);
        }
    }
    const auto ours = std::size(cases) - 1;
    EXPECT_EQ(streams.soundOf({started[ours], getpid()}), Kind::playingSound) << observed(getpid());
    for (const auto row : {0UL, 1UL, ours}) {
        session.stop(started[row]);
        const auto named = row == ours ? getpid() : started[row];
        EXPECT_TRUE(reports(named, std::nullopt)) << "row " << row << ", " << observed(named);
    }
}

// A server that goes is logged once, however many tries it takes to find it
// back (a socket that takes connections and drops them makes them fail);
// streams of the new one are seen.
TEST_F(PulseAudioTest, ServerThatGoesIsFollowedAgainWhenBack) {
    // Its stream names us: we stay when it ends with the server.
    session.start({"paplay", "--raw", "/dev/zero"}, {"PULSE_PROP=application.process.id=" + std::to_string(getpid())});
    ASSERT_TRUE(reports(getpid(), Kind::playingSound)) << observed(getpid());
    session.stopServer();
    ASSERT_TRUE(eventually([&] { return !streams.isConnected() && !soundOf(getpid()) && linesWith("went away") == 1; }))
        << observed(getpid());
    const auto tally = session.folder() + "/tries";
    const auto refusing = session.startRefusingServer(tally);
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(tally) && std::filesystem::file_size(tally) >= 4; }));
    session.stop(refusing);
    session.startPulseAudio();
    ASSERT_TRUE(eventually([&] { return streams.isConnected(); })) << observed(getpid());
    const auto after = session.start({"paplay", "--raw", "/dev/zero"});
    EXPECT_TRUE(reports(after, Kind::playingSound)) << observed(after);
    EXPECT_EQ(linesWith("went away"), 1) << observed(after);
    EXPECT_EQ(linesWith("Connected to the sound server again"), 1) << observed(after);
}

// A PipeWire client names its process on its client, not on its stream.
TEST_F(PipeWireTest, NativeClientCountsForItsProcess) {
    const auto tone = session.folder() + "/tone.wav";
    session.run({"python3", "-c",
                 "import sys, wave; w = wave.open(sys.argv[1], 'wb'); w.setnchannels(1); w.setsampwidth(2); "
                 "w.setframerate(8000); w.writeframes(bytes(16000 * 60))",
                 tone});
    ASSERT_TRUE(streams.isConnected());
    const auto player = session.start({"pw-play", tone});
    EXPECT_TRUE(reports(player, Kind::playingSound)) << observed(player);
}

} // namespace

} // namespace drowsel
