// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound/SoundStreams.h"

#include <algorithm>
#include <charconv>
#include <sys/stat.h>
#include <unistd.h>

namespace drowsel {

namespace {

using namespace std::chrono_literals;

constexpr auto defaultFirstRetryDelay = 1s;
constexpr auto longestRetryDelay = std::chrono::milliseconds(5min);
// A local server answers at once; one that does not is not waited for longer.
constexpr auto connectionPatience = 2s;
// The kernel's limit for process ids.
constexpr std::int64_t largestProcessId = 4'194'304;

bool isStream(const PulseConnection::Entry& entry) {
    return entry.kind == PulseConnection::Entry::Kind::playback || entry.kind == PulseConnection::Entry::Kind::capture;
}

std::string describe(const PulseConnection::Entry& stream) {
    const auto kind = stream.kind == PulseConnection::Entry::Kind::playback ? "playback" : "recording";
    return std::string("The ") + kind + " stream " + std::to_string(stream.index);
}

std::optional<std::int64_t> numberIn(const std::string& text) {
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number <= 0 || number > largestProcessId) {
        return std::nullopt;
    }
    return number;
}

bool anyOf(const std::unordered_set<std::int64_t>& processes, const std::unordered_set<std::int64_t>& active) {
    return std::ranges::any_of(processes, [&](std::int64_t process) { return active.contains(process); });
}

} // namespace

SoundStreams::SoundStreams(Logger log, QObject* parent)
    : SoundStreams(std::move(log), defaultFirstRetryDelay, parent) {}

SoundStreams::SoundStreams(Logger log, std::chrono::milliseconds firstRetryDelay, QObject* parent)
    : QObject(parent), log(std::move(log)), firstRetryDelay(firstRetryDelay), retryDelay(firstRetryDelay),
      pulse(std::make_unique<PulseConnection>([this](PulseConnection::Update update) {
          QMetaObject::invokeMethod(
              this, [this, update = std::move(update)] { receive(update); }, Qt::QueuedConnection);
      })) {
    retryTimer.setSingleShot(true);
    connect(&retryTimer, &QTimer::timeout, this, [this] { pulse->connect(); });
    pulse->connect();
    pulse->settle(connectionPatience);
}

SoundStreams::~SoundStreams() = default;

bool SoundStreams::isConnected() const { return pulse->isConnected(); }

std::optional<Work::Kind> SoundStreams::soundOf(const std::unordered_set<std::int64_t>& processes) const {
    if (anyOf(processes, playing)) {
        return Work::Kind::playingSound;
    }
    if (anyOf(processes, recording)) {
        return Work::Kind::recording;
    }
    return std::nullopt;
}

void SoundStreams::receive(const PulseConnection::Update& update) {
    switch (update.what) {
    case PulseConnection::Update::What::changed:
        entries[update.entry.key()] = update.entry;
        break;
    case PulseConnection::Update::What::removed:
        entries.erase(update.entry.key());
        reported.erase(update.entry.key());
        break;
    case PulseConnection::Update::What::connected:
        return onConnected();
    case PulseConnection::Update::What::lost:
        return onLost();
    }
    recount();
}

void SoundStreams::onConnected() {
    if (outageLogged) {
        log.info(everConnected ? "Connected to the sound server again" : "Connected to the sound server");
    }
    everConnected = true;
    outageLogged = false;
    retryDelay = firstRetryDelay;
}

void SoundStreams::onLost() {
    if (!outageLogged) {
        outageLogged = true;
        if (everConnected) {
            log.info("The sound server went away: no application is seen playing or recording until it is back");
        } else {
            log.debug("No sound server: no application is seen playing or recording");
        }
    }
    entries.clear();
    reported.clear();
    recount();
    retryTimer.start(retryDelay);
    retryDelay = std::min(retryDelay * 2, longestRetryDelay);
}

void SoundStreams::recount() {
    std::unordered_set<std::int64_t> nowPlaying;
    std::unordered_set<std::int64_t> nowRecording;
    for (const auto& [key, entry] : entries) {
        if (!isStream(entry)) {
            continue;
        }
        const auto process = processOf(entry);
        if (process && isAtWork(entry)) {
            (entry.kind == Entry::Kind::playback ? nowPlaying : nowRecording).insert(*process);
        }
    }
    if (nowPlaying == playing && nowRecording == recording) {
        return;
    }
    logChanges(playing, nowPlaying, "playing sound");
    logChanges(recording, nowRecording, "recording");
    playing = std::move(nowPlaying);
    recording = std::move(nowRecording);
    Q_EMIT streamsChanged();
}

bool SoundStreams::isAtWork(const Entry& stream) const {
    if (stream.corked) {
        return false;
    }
    if (stream.kind == Entry::Kind::playback) {
        return true;
    }
    const auto source = entries.find({Entry::Kind::source, stream.source});
    const bool hearsASink = source != entries.end() && source->second.monitor;
    return !hearsASink && !stream.levelMeter;
}

// The server's own streams (loopbacks and the like) have no client and name no process.
std::optional<std::int64_t> SoundStreams::processOf(const Entry& stream) {
    auto processId = stream.processId;
    if (!processId && stream.client) {
        const auto client = entries.find({Entry::Kind::client, *stream.client});
        processId = client != entries.end() ? client->second.processId : std::nullopt;
    }
    if (!processId) {
        if (stream.client) {
            reportOnce(stream, "names no process");
        }
        return std::nullopt;
    }
    return ownProcess(*processId, stream);
}

// Checked as the stream's news arrives: a process id is only one of ours
// while its process runs as our user.
std::optional<std::int64_t> SoundStreams::ownProcess(const std::string& processId, const Entry& stream) {
    const auto process = numberIn(processId);
    if (!process) {
        reportOnce(stream, "names no process: \"" + processId + "\"");
        return std::nullopt;
    }
    // One that has just ended is not counted, and not worth a line either.
    struct stat status {};
    if (stat(("/proc/" + std::to_string(*process)).c_str(), &status) != 0) {
        return std::nullopt;
    }
    if (status.st_uid != geteuid()) {
        reportOnce(stream, "names process " + processId + " of another user");
        return std::nullopt;
    }
    return process;
}

void SoundStreams::reportOnce(const Entry& stream, const std::string& problem) {
    if (reported.insert(stream.key()).second) {
        log.info(describe(stream) + " " + problem + ": it is not counted");
    }
}

void SoundStreams::logChanges(const std::unordered_set<std::int64_t>& before,
                              const std::unordered_set<std::int64_t>& after, const std::string& activity) const {
    for (const auto process : after) {
        if (!before.contains(process)) {
            log.debug("Process " + std::to_string(process) + " started " + activity);
        }
    }
    for (const auto process : before) {
        if (!after.contains(process)) {
            log.debug("Process " + std::to_string(process) + " stopped " + activity);
        }
    }
}

} // namespace drowsel
