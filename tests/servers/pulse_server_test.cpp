// The PulseAudio daemon of the test command is reachable and carries the
// devices the audio tests rely on.
#include <gtest/gtest.h>
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Listing {
    std::vector<std::string> sinks;
    std::vector<std::string> sources;
    int pending = 0;
    bool failed = false;
};

void onSink(pa_context*, const pa_sink_info* info, int eol, void* user) {
    auto* l = static_cast<Listing*>(user);
    if (eol) { --l->pending; return; }
    l->sinks.emplace_back(info->name);
}

void onSource(pa_context*, const pa_source_info* info, int eol, void* user) {
    auto* l = static_cast<Listing*>(user);
    if (eol) { --l->pending; return; }
    l->sources.emplace_back(info->name);
}

Listing listDevices() {
    Listing l;
    pa_mainloop* loop = pa_mainloop_new();
    pa_context* ctx = pa_context_new(pa_mainloop_get_api(loop), "server-test");
    if (pa_context_connect(ctx, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        l.failed = true;
    }
    bool requested = false;
    for (int i = 0; !l.failed && i < 2000; ++i) {
        pa_mainloop_iterate(loop, 1, nullptr);
        pa_context_state_t st = pa_context_get_state(ctx);
        if (st == PA_CONTEXT_FAILED || st == PA_CONTEXT_TERMINATED) { l.failed = true; break; }
        if (st == PA_CONTEXT_READY && !requested) {
            requested = true;
            l.pending = 2;
            pa_operation_unref(pa_context_get_sink_info_list(ctx, onSink, &l));
            pa_operation_unref(pa_context_get_source_info_list(ctx, onSource, &l));
        }
        if (requested && l.pending == 0) break;
    }
    pa_context_disconnect(ctx);
    pa_context_unref(ctx);
    pa_mainloop_free(loop);
    return l;
}

TEST(PulseServer, ListsTheTestSinkAndSources) {
    Listing l = listDevices();
    ASSERT_FALSE(l.failed) << "no PulseAudio server reachable (PULSE_SERVER unset?)";
    EXPECT_NE(std::find(l.sinks.begin(), l.sinks.end(), "speakers"), l.sinks.end());
    EXPECT_NE(std::find(l.sources.begin(), l.sources.end(), "microphone"), l.sources.end());
    EXPECT_NE(std::find(l.sources.begin(), l.sources.end(), "speakers.monitor"), l.sources.end());
}

}  // namespace
