// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

struct pa_context;
struct pa_threaded_mainloop;

namespace drowsel {

// A connection to the sound server (PulseAudio, or PipeWire's server for its
// clients) that reports its clients, sources and streams as they come, change
// and go. It runs libpulse's threaded main loop: Qt's event loop is not always
// GLib's (QT_NO_GLIB, other dispatchers), so the GLib main loop adapter could
// stall unseen. Updates are handed over on the loop's thread; whoever receives
// them moves them to its own.
class PulseConnection {
public:
    struct Entry {
        enum class Kind { client, source, playback, capture };
        Kind kind = Kind::client;
        std::uint32_t index = 0;
        // A stream's client; none for the server's own streams.
        std::optional<std::uint32_t> client = std::nullopt;
        // A capture stream's source.
        std::uint32_t source = 0;
        // As a stream's or client's properties give it: not checked.
        std::optional<std::string> processId = std::nullopt;
        bool corked = false;
        // A source that hears what a sink plays.
        bool monitor = false;
        // A capture stream that only measures levels (a mixer's meters).
        bool levelMeter = false;

        auto key() const { return std::pair(kind, index); }
    };
    struct Update {
        enum class What { changed, removed, connected, lost };
        What what = What::changed;
        Entry entry;
    };
    using Receiver = std::function<void(Update)>;

    explicit PulseConnection(Receiver receiver);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Drops any connection and starts a new attempt. A context that fails
    // reports nothing after it has said so: its updates are never stale.
    void connect();
    // Waits until the latest attempt has connected or failed, at most patience.
    void settle(std::chrono::milliseconds patience);
    bool isConnected() const { return connected; }

private:
    static void onState(pa_context* context, void* self);
    static void onEvent(pa_context* context, int event, std::uint32_t index, void* self);
    void follow(pa_context* context);
    void query(pa_context* context, Entry::Kind kind, std::uint32_t index);
    void deliver(Update::What what, Entry entry);
    void drop();

    Receiver receiver;
    // What the info callbacks are given: an entry read from the server.
    std::function<void(Entry)> changed;
    pa_threaded_mainloop* loop;
    pa_context* context = nullptr;
    std::atomic<bool> connected = false;
    std::mutex settling;
    std::condition_variable settled;
    bool outcomeKnown = false;
};

} // namespace drowsel
