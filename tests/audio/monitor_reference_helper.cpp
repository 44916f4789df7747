#include "monitor_reference_helper.h"

#include <pthread.h>
#include <sched.h>

#include <cmath>

#include <pulse/error.h>
#include <pulse/simple.h>
#include <pulse/timeval.h>

namespace audio_test {

MonitorReference::MonitorReference(const std::string& source, int rate)
    : rate_(rate), thread_(&MonitorReference::Run, this, source) {
    while (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

MonitorReference::~MonitorReference() { Stop(); }

void MonitorReference::Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void MonitorReference::Run(std::string source) {
    // Real-time priority where the process may have it: the reference must
    // not falter where the recorder does not.
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
    const pa_sample_spec spec{PA_SAMPLE_S16LE, static_cast<uint32_t>(rate_), 1};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(pa_usec_to_bytes(10 * PA_USEC_PER_SEC, &spec));
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(20 * PA_USEC_PER_MSEC, &spec));
    int error = 0;
    pa_simple* s = pa_simple_new(nullptr, "test-reference", PA_STREAM_RECORD, source.c_str(), "reference", &spec,
                                 nullptr, &attr, &error);
    if (!s) error_ = pa_strerror(error);
    started_ = s != nullptr;
    ready_ = true;
    if (!s) return;
    std::vector<short> chunk(rate_ / 50);
    bool first = true;
    while (!stop_) {
        if (pa_simple_read(s, chunk.data(), chunk.size() * sizeof(short), &error) < 0) {
            error_ = pa_strerror(error);
            break;
        }
        if (first) {
            const pa_usec_t latency = pa_simple_get_latency(s, &error);
            first_ = Clock::now() - std::chrono::microseconds(latency) -
                     std::chrono::microseconds(1000000LL * static_cast<long long>(chunk.size()) / rate_);
            first = false;
        }
        samples_.insert(samples_.end(), chunk.begin(), chunk.end());
    }
    pa_simple_free(s);
}

std::vector<MonitorReference::Clock::time_point> MonitorReference::QuietBlocks(double rmsLimit,
                                                                               double skipSeconds) const {
    std::vector<Clock::time_point> quiet;
    const size_t block = static_cast<size_t>(rate_ / 100);
    for (size_t at = static_cast<size_t>(skipSeconds * rate_); at + block <= samples_.size(); at += block) {
        double sum = 0;
        for (size_t i = at; i < at + block; ++i) sum += double(samples_[i]) * samples_[i];
        if (std::sqrt(sum / block) < rmsLimit)
            quiet.push_back(first_ + std::chrono::microseconds(1000000LL * static_cast<long long>(at) / rate_));
    }
    return quiet;
}

}  // namespace audio_test
