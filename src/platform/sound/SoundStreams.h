// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Logger.h"
#include "core/Work.h"
#include "platform/sound/PulseConnection.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <unordered_set>

namespace drowsel {

// Which processes play or record sound, followed through the sound server's
// events so that asking costs no round trip to it. A stream counts for the
// process its properties name, or else its client's; a process of another
// user or a name that is no process counts for none. Level meters and
// recorders of what a sink plays (a monitor source) are not the user
// recording. A server that is not there, or goes, is tried again after a delay
// that doubles up to five minutes.
class SoundStreams : public QObject {
    Q_OBJECT
public:
    explicit SoundStreams(Logger log, QObject* parent = nullptr);
    SoundStreams(Logger log, std::chrono::milliseconds firstRetryDelay, QObject* parent = nullptr);
    ~SoundStreams() override;

    bool isConnected() const;
    // Playing sound when one of the processes plays, else recording when one
    // records. Main thread.
    std::optional<Work::Kind> soundOf(const std::unordered_set<std::int64_t>& processes) const;

Q_SIGNALS:
    // After the set of processes playing or recording changed.
    void streamsChanged();

private:
    using Entry = PulseConnection::Entry;
    using Key = std::pair<Entry::Kind, std::uint32_t>;

    void receive(const PulseConnection::Update& update);
    void onConnected();
    void onLost();
    void recount();
    bool isAtWork(const Entry& stream) const;
    std::optional<std::int64_t> processOf(const Entry& stream);
    std::optional<std::int64_t> ownProcess(const std::string& processId, const Entry& stream);
    void reportOnce(const Entry& stream, const std::string& problem);
    void logChanges(const std::unordered_set<std::int64_t>& before, const std::unordered_set<std::int64_t>& after,
                    const std::string& activity) const;

    Logger log;
    std::chrono::milliseconds firstRetryDelay;
    std::chrono::milliseconds retryDelay;
    QTimer retryTimer;
    bool everConnected = false;
    bool outageLogged = false;
    std::map<Key, Entry> entries;
    std::set<Key> reported;
    std::unordered_set<std::int64_t> playing;
    std::unordered_set<std::int64_t> recording;
    // Last, so that it goes first: it hands updates over until then.
    std::unique_ptr<PulseConnection> pulse;
};

} // namespace drowsel
