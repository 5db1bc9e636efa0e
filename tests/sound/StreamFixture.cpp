// SPDX-License-Identifier: GPL-3.0-or-later
// A stream the sound tools do not make: "corked" plays, held still from its
// start; "meter SOURCE" only measures the levels of a source, as mixers do.
#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <string>

int main(int argc, char** argv) {
    const std::string kind = argc > 1 ? argv[1] : "";
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "StreamFixture");
    pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
    while (pa_context_get_state(context) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) || pa_mainloop_iterate(loop, 1, nullptr) < 0) {
            return 1;
        }
    }
    // As mixers measure: the server resamples to peaks, which tells such a stream.
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, 25, 1};
    pa_stream* stream = pa_stream_new(context, kind.c_str(), &format, nullptr);
    if (kind == "corked") {
        pa_stream_connect_playback(stream, nullptr, nullptr, PA_STREAM_START_CORKED, nullptr, nullptr);
    } else if (kind == "meter" && argc > 2) {
        pa_stream_connect_record(stream, argv[2], nullptr, PA_STREAM_PEAK_DETECT);
    } else {
        return 2;
    }
    return pa_mainloop_run(loop, nullptr);
}
