#include "audio/AudioMixer.h"

#include <cstdio>

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
}

CAudioMixer::~CAudioMixer() { Release(); }

CAudioFifo* CAudioMixer::GetInput(int key) {
    auto it = inputs_.find(key);
    return it == inputs_.end() ? nullptr : it->second.get();
}

void CAudioMixer::AddInput(int key, CAudioFifo* fifo) { inputs_[key].reset(fifo); }

void CAudioMixer::SetVolume(int key, int volume) {
    if (CAudioFifo* fifo = GetInput(key)) fifo->SetVolume(volume);
}

bool CAudioMixer::HasEnoughAll(int n) {
    for (auto& [key, fifo] : inputs_)
        if (!fifo->HasEnough(n)) return false;
    return true;
}

int CAudioMixer::Fail(int code, const char* operation) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, text, sizeof text);
    lastError_ = std::string("CAudioMixer::") + operation + ": " + text;
    return code;
}

AVFrame* CAudioMixer::ReadMixedFrame(int n, int64_t pts, int* error) {
    if (error) *error = 0;
    const int mode = mode_.load();
    if (mode == kMicrophone || mode == kSystemSound) {
        CAudioFifo* fifo = GetInput(mode == kMicrophone ? 0 : 1);
        AVFrame* frame = fifo ? fifo->Read(n) : nullptr;
        if (frame) frame->pts = pts;
        return frame;
    }
    if (mode != kBoth) return nullptr;

    CAudioFifo* mic = GetInput(0);
    CAudioFifo* system = GetInput(1);
    if (!mic || !system) return nullptr;
    if (!graph_) {
        const int rc = BuildAmixGraph(mic->TargetFormat(), mic->TargetRate(), mic->TargetChannels());
        if (rc < 0) {
            if (error) *error = rc;
            return nullptr;
        }
    }

    AVFrame* out = av_frame_alloc();
    if (!out) return nullptr;
    for (;;) {
        // amix hands out pieces of its own size: the sink cuts them into
        // frames of exactly n samples, and whatever is left waits there.
        int rc = av_buffersink_get_samples(sink_, out, n);
        if (rc >= 0) {
            out->pts = pts;
            return out;
        }
        if (rc != AVERROR(EAGAIN)) {
            Fail(rc, "ReadMixedFrame");
            if (error) *error = rc;
            break;
        }
        if (!system->HasEnough(n) || !mic->HasEnough(n)) break;
        AVFrame* fromSystem = system->Read(n);
        AVFrame* fromMic = mic->Read(n);
        if (!fromSystem || !fromMic) {
            av_frame_free(&fromSystem);
            av_frame_free(&fromMic);
            break;
        }
        fromSystem->pts = fromMic->pts = inputPts_;
        inputPts_ += n;
        rc = av_buffersrc_add_frame(input0_, fromMic);
        if (rc >= 0) rc = av_buffersrc_add_frame(input1_, fromSystem);
        av_frame_free(&fromSystem);
        av_frame_free(&fromMic);
        if (rc < 0) {
            Fail(rc, "ReadMixedFrame");
            if (error) *error = rc;
            break;
        }
    }
    av_frame_free(&out);
    return nullptr;
}

int CAudioMixer::BuildAmixGraph(int format, int rate, int channels) {
    FreeGraph();
    const AVFilter* abuffer = avfilter_get_by_name("abuffer");
    const AVFilter* abuffersink = avfilter_get_by_name("abuffersink");
    if (!abuffer || !abuffersink) return Fail(AVERROR_FILTER_NOT_FOUND, "BuildAmixGraph");
    graph_ = avfilter_graph_alloc();
    // amix works on whole frames: a pool of slice threads (one per core by
    // default) would only be started, cost memory and never be used.
    if (graph_) graph_->nb_threads = 1;
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* second = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    int rc = (graph_ && outputs && second && inputs) ? 0 : AVERROR(ENOMEM);

    AVChannelLayout layout{};
    av_channel_layout_default(&layout, channels);
    char layoutName[64] = {0};
    av_channel_layout_describe(&layout, layoutName, sizeof layoutName);
    av_channel_layout_uninit(&layout);
    const char* formatName = av_get_sample_fmt_name(static_cast<AVSampleFormat>(format));
    char args[512];
    std::snprintf(args, sizeof args, "time_base=1/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                  rate, rate, formatName ? formatName : "", layoutName);

    if (rc >= 0) rc = avfilter_graph_create_filter(&input0_, abuffer, "in0", args, nullptr, graph_);
    if (rc >= 0) rc = avfilter_graph_create_filter(&input1_, abuffer, "in1", args, nullptr, graph_);
    if (rc >= 0) rc = avfilter_graph_create_filter(&sink_, abuffersink, "out", nullptr, nullptr, graph_);
    if (rc >= 0) {
        const int formats[] = {format};
        rc = av_opt_set_bin(sink_, "sample_fmts", reinterpret_cast<const uint8_t*>(formats),
                            sizeof formats, AV_OPT_SEARCH_CHILDREN);
    }
    if (rc >= 0) rc = av_opt_set(sink_, "ch_layouts", layoutName, AV_OPT_SEARCH_CHILDREN);
    if (rc >= 0) {
        const int rates[] = {rate};
        rc = av_opt_set_bin(sink_, "sample_rates", reinterpret_cast<const uint8_t*>(rates),
                            sizeof rates, AV_OPT_SEARCH_CHILDREN);
    }
    if (rc >= 0) {
        outputs->name = av_strdup("in0");
        outputs->filter_ctx = input0_;
        outputs->pad_idx = 0;
        outputs->next = second;
        second->name = av_strdup("in1");
        second->filter_ctx = input1_;
        second->pad_idx = 0;
        second->next = nullptr;
        second = nullptr;  // now part of the outputs list
        inputs->name = av_strdup("out");
        inputs->filter_ctx = sink_;
        inputs->pad_idx = 0;
        inputs->next = nullptr;
        rc = avfilter_graph_parse_ptr(graph_, "[in0][in1]amix=inputs=2[out]", &inputs, &outputs,
                                      nullptr);
    }
    if (rc >= 0) rc = avfilter_graph_config(graph_, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    avfilter_inout_free(&second);
    if (rc < 0) {
        FreeGraph();
        return Fail(rc, "BuildAmixGraph");
    }
    inputPts_ = 0;
    return 0;
}

void CAudioMixer::FreeGraph() {
    // The graph owns its filter contexts.
    avfilter_graph_free(&graph_);
    sink_ = input0_ = input1_ = nullptr;
}

void CAudioMixer::Release() {
    FreeGraph();
    inputs_.clear();
}
