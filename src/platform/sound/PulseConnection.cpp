// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sound/PulseConnection.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

#include <cstring>

namespace drowsel {

namespace {

using Kind = PulseConnection::Entry::Kind;

// Streams of peak-detecting recorders are resampled this way, and only they.
constexpr auto levelMeterResampling = "peaks";

class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : loop(loop) { pa_threaded_mainloop_lock(loop); }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* loop;
};

void release(pa_operation* operation) {
    if (operation != nullptr) {
        pa_operation_unref(operation);
    }
}

std::optional<std::string> processIdIn(const pa_proplist* properties) {
    const char* value = pa_proplist_gets(properties, PA_PROP_APPLICATION_PROCESS_ID);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::optional<std::uint32_t> known(std::uint32_t index) {
    return index == PA_INVALID_INDEX ? std::nullopt : std::optional(index);
}

PulseConnection::Entry entryOf(const pa_client_info& info) {
    return {.kind = Kind::client, .index = info.index, .processId = processIdIn(info.proplist)};
}

PulseConnection::Entry entryOf(const pa_source_info& info) {
    return {.kind = Kind::source, .index = info.index, .monitor = info.monitor_of_sink != PA_INVALID_INDEX};
}

PulseConnection::Entry entryOf(const pa_sink_input_info& info) {
    return {.kind = Kind::playback,
            .index = info.index,
            .client = known(info.client),
            .processId = processIdIn(info.proplist),
            .corked = info.corked != 0};
}

PulseConnection::Entry entryOf(const pa_source_output_info& info) {
    return {.kind = Kind::capture,
            .index = info.index,
            .client = known(info.client),
            .source = info.source,
            .processId = processIdIn(info.proplist),
            .corked = info.corked != 0,
            .levelMeter =
                info.resample_method != nullptr && std::strcmp(info.resample_method, levelMeterResampling) == 0};
}

template <typename Info> void onInfo(pa_context*, const Info* info, int endOfList, void* receive) {
    if (endOfList == 0 && info != nullptr) {
        (*static_cast<std::function<void(PulseConnection::Entry)>*>(receive))(entryOf(*info));
    }
}

std::optional<Kind> kindOf(int facility) {
    switch (facility) {
    case PA_SUBSCRIPTION_EVENT_CLIENT:
        return Kind::client;
    case PA_SUBSCRIPTION_EVENT_SOURCE:
        return Kind::source;
    case PA_SUBSCRIPTION_EVENT_SINK_INPUT:
        return Kind::playback;
    case PA_SUBSCRIPTION_EVENT_SOURCE_OUTPUT:
        return Kind::capture;
    default:
        return std::nullopt;
    }
}

} // namespace

PulseConnection::PulseConnection(Receiver receiver)
    : receiver(std::move(receiver)), changed([this](Entry entry) { deliver(Update::What::changed, std::move(entry)); }),
      loop(pa_threaded_mainloop_new()) {
    pa_threaded_mainloop_start(loop);
}

PulseConnection::~PulseConnection() {
    {
        const LoopLock lock(loop);
        drop();
    }
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

void PulseConnection::connect() {
    const LoopLock lock(loop);
    drop();
    {
        const std::lock_guard guard(settling);
        outcomeKnown = false;
    }
    context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Drowsel");
    pa_context_set_state_callback(context, &PulseConnection::onState, this);
    // A server is not started for us: one that is not there is waited for.
    pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
}

void PulseConnection::settle(std::chrono::milliseconds patience) {
    std::unique_lock lock(settling);
    settled.wait_for(lock, patience, [this] { return outcomeKnown; });
}

void PulseConnection::onState(pa_context* context, void* self) {
    auto& connection = *static_cast<PulseConnection*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        connection.connected = true;
        connection.follow(context);
        connection.deliver(Update::What::connected, {});
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        connection.connected = false;
        connection.deliver(Update::What::lost, {});
        break;
    default:
        return;
    }
    const std::lock_guard guard(connection.settling);
    connection.outcomeKnown = true;
    connection.settled.notify_all();
}

// Subscribed before listing: an event that crosses the lists only asks again.
void PulseConnection::follow(pa_context* context) {
    pa_context_set_subscribe_callback(
        context,
        [](pa_context* c, pa_subscription_event_type_t event, std::uint32_t index, void* self) {
            onEvent(c, event, index, self);
        },
        this);
    const auto mask = PA_SUBSCRIPTION_MASK_CLIENT | PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SINK_INPUT |
                      PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT;
    release(pa_context_subscribe(context, pa_subscription_mask_t(mask), nullptr, nullptr));
    // Clients and sources first: the streams that name them come after.
    release(pa_context_get_client_info_list(context, onInfo<pa_client_info>, &changed));
    release(pa_context_get_source_info_list(context, onInfo<pa_source_info>, &changed));
    release(pa_context_get_sink_input_info_list(context, onInfo<pa_sink_input_info>, &changed));
    release(pa_context_get_source_output_info_list(context, onInfo<pa_source_output_info>, &changed));
}

void PulseConnection::onEvent(pa_context* context, int event, std::uint32_t index, void* self) {
    auto& connection = *static_cast<PulseConnection*>(self);
    const auto kind = kindOf(event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK);
    if (!kind) {
        return;
    }
    if ((event & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE) {
        connection.deliver(Update::What::removed, {.kind = *kind, .index = index});
    } else {
        connection.query(context, *kind, index);
    }
}

void PulseConnection::query(pa_context* context, Entry::Kind kind, std::uint32_t index) {
    switch (kind) {
    case Kind::client:
        return release(pa_context_get_client_info(context, index, onInfo<pa_client_info>, &changed));
    case Kind::source:
        return release(pa_context_get_source_info_by_index(context, index, onInfo<pa_source_info>, &changed));
    case Kind::playback:
        return release(pa_context_get_sink_input_info(context, index, onInfo<pa_sink_input_info>, &changed));
    case Kind::capture:
        return release(pa_context_get_source_output_info(context, index, onInfo<pa_source_output_info>, &changed));
    }
}

void PulseConnection::deliver(Update::What what, Entry entry) { receiver({.what = what, .entry = std::move(entry)}); }

// Callbacks are cleared first: a context being let go reports nothing more.
void PulseConnection::drop() {
    if (context == nullptr) {
        return;
    }
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    context = nullptr;
    connected = false;
}

} // namespace drowsel
