#include "SinkChannels.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <string>

namespace {

struct Query {
    std::string sinkName;
    int channels = 0;
    bool done = false;
};

}  // namespace

int DefaultSinkChannels() {
    pa_mainloop* loop = pa_mainloop_new();
    if (!loop) return 0;
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "quorvale-player");
    Query query;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        bool asked = false;
        pa_operation* operation = nullptr;
        while (!query.done && std::chrono::steady_clock::now() < deadline) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (!PA_CONTEXT_IS_GOOD(state)) break;
            if (state == PA_CONTEXT_READY && !asked) {
                asked = true;
                operation = pa_context_get_server_info(
                    context,
                    [](pa_context* c, const pa_server_info* info, void* user) {
                        auto* q = static_cast<Query*>(user);
                        if (!info || !info->default_sink_name) {
                            q->done = true;
                            return;
                        }
                        q->sinkName = info->default_sink_name;
                        pa_operation* next = pa_context_get_sink_info_by_name(
                            c, q->sinkName.c_str(),
                            [](pa_context*, const pa_sink_info* sink, int eol, void* u) {
                                auto* qq = static_cast<Query*>(u);
                                if (sink) qq->channels = sink->sample_spec.channels;
                                if (eol) qq->done = true;
                            },
                            q);
                        if (next) pa_operation_unref(next);
                        else q->done = true;
                    },
                    &query);
                if (!operation) break;
            }
            // Short waits, so that the deadline holds on a server that
            // never answers.
            pa_mainloop_prepare(loop, 50000);
            pa_mainloop_poll(loop);
            pa_mainloop_dispatch(loop);
        }
        if (operation) pa_operation_unref(operation);
        pa_context_disconnect(context);
    }
    if (context) pa_context_unref(context);
    pa_mainloop_free(loop);
    return query.channels;
}
