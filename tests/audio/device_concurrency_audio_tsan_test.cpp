// Capture devices opened and closed from several threads at once, with
// listings and default-device changes in between: no deadlock, every call
// into the capture host alone (the device server's one task thread makes
// them all), and no data race under ThreadSanitizer.
//
// The capture host's calls are counted at the link seam: the audio engine's
// references to them are wrapped (-Wl,--wrap, see CMakeLists.txt), so every
// call passes the wrappers below before it reaches the host.
#include "audio/AudioDev.h"
#include "audio/AudioRecoder.h"
#include "audio/CaptureDeviceMatch.h"
#include "audio/ServerAudioDev.h"
#include "capture-host/CaptureHost.h"
#include "collecting_sink_helper.h"
#include "pulse_tools_helper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

using namespace audio_test;
using namespace std::chrono_literals;
using capture_host::DeviceInfo;
using capture_host::DeviceList;
using capture_host::Stream;
using capture_host::StreamCallback;

// libpulse is not instrumented and synchronises its threads with atomics
// of its own, which ThreadSanitizer cannot see: only calls made from our
// code are checked. The device server lives until the process ends, so the
// last task thread it started is never joined. The environment's
// TSAN_OPTIONS (halt_on_error) still apply on top of these.
extern "C" const char* __tsan_default_options() {
    return "ignore_noninstrumented_modules=1:report_thread_leaks=0";
}

namespace {

std::atomic<int> g_inside{0};
std::atomic<int> g_mostInside{0};
std::atomic<long> g_calls{0};
std::atomic<long> g_overlaps{0};

// Marks one host call in flight for its scope.
class HostCall {
public:
    HostCall() {
        int now = ++g_inside;
        ++g_calls;
        if (now > 1) ++g_overlaps;
        int most = g_mostInside;
        while (now > most && !g_mostInside.compare_exchange_weak(most, now)) {
        }
    }
    ~HostCall() { --g_inside; }
};

}  // namespace

extern "C" {
int __real__ZN12capture_host10InitializeEv();
int __real__ZN12capture_host9TerminateEv();
int __real__ZN12capture_host11ListDevicesERNS_10DeviceListE(DeviceList&);
int __real__ZN12capture_host15OpenInputStreamEPPNS_6StreamERKNS_10DeviceInfoEidmPFiPKsmPvES8_(
    Stream**, const DeviceInfo&, int, double, unsigned long, StreamCallback, void*);
int __real__ZN12capture_host11StartStreamEPNS_6StreamE(Stream*);
int __real__ZN12capture_host10StopStreamEPNS_6StreamE(Stream*);
int __real__ZN12capture_host11CloseStreamEPNS_6StreamE(Stream*);
int __real__ZN12capture_host14IsStreamActiveEPNS_6StreamE(Stream*);

int __wrap__ZN12capture_host10InitializeEv() {
    HostCall c;
    return __real__ZN12capture_host10InitializeEv();
}
int __wrap__ZN12capture_host9TerminateEv() {
    HostCall c;
    return __real__ZN12capture_host9TerminateEv();
}
int __wrap__ZN12capture_host11ListDevicesERNS_10DeviceListE(DeviceList& out) {
    HostCall c;
    return __real__ZN12capture_host11ListDevicesERNS_10DeviceListE(out);
}
int __wrap__ZN12capture_host15OpenInputStreamEPPNS_6StreamERKNS_10DeviceInfoEidmPFiPKsmPvES8_(
    Stream** stream, const DeviceInfo& device, int channels, double rate, unsigned long frames,
    StreamCallback callback, void* user) {
    HostCall c;
    return __real__ZN12capture_host15OpenInputStreamEPPNS_6StreamERKNS_10DeviceInfoEidmPFiPKsmPvES8_(
        stream, device, channels, rate, frames, callback, user);
}
int __wrap__ZN12capture_host11StartStreamEPNS_6StreamE(Stream* s) {
    HostCall c;
    return __real__ZN12capture_host11StartStreamEPNS_6StreamE(s);
}
int __wrap__ZN12capture_host10StopStreamEPNS_6StreamE(Stream* s) {
    HostCall c;
    return __real__ZN12capture_host10StopStreamEPNS_6StreamE(s);
}
int __wrap__ZN12capture_host11CloseStreamEPNS_6StreamE(Stream* s) {
    HostCall c;
    return __real__ZN12capture_host11CloseStreamEPNS_6StreamE(s);
}
int __wrap__ZN12capture_host14IsStreamActiveEPNS_6StreamE(Stream* s) {
    HostCall c;
    return __real__ZN12capture_host14IsStreamActiveEPNS_6StreamE(s);
}
}  // extern "C"

namespace {

// Ends the process when the work does not finish in time: a deadlocked
// thread cannot be made to fail a test any other way.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
                  std::fprintf(stderr, "deadlock: the device threads did not finish within %lld s\n",
                               static_cast<long long>(limit.count()));
                  std::fflush(stderr);
                  std::_Exit(1);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        done_cv_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_cv_;
    bool done_ = false;
    std::thread thread_;
};

struct Wanted {
    const wchar_t* name;
    const wchar_t* id;
    int loopback;
    const char* what;
};

// Explicit devices and the two placeholders: every one of them exists
// whichever default is set while it opens.
const Wanted kDevices[] = {
    {L"speakers (loopback)", L"speakers", 1, "speakers twin"},
    {L"microphone", L"microphone", 0, "microphone"},
    {L"__device_out_default", L"", 1, "default output"},
    {L"__device_in_default", L"", 0, "default input"},
};

std::atomic<long> g_failedOpens{0};
std::atomic<long> g_opens{0};

void OpenAndClose(const Wanted& w, int32_t tag) {
    CountingTarget target;
    CAudioDev dev;
    dev.SetName(w.name);
    dev.SetId(w.id);
    dev.SetLoopback(w.loopback);
    dev.SetTarget(&target, tag);
    int result = GetServerAudioDev()->OpenDevice(&dev);
    ++g_opens;
    if (result != 0 || !dev.IsOpened()) {
        ++g_failedOpens;
        std::fprintf(stderr, "the %s did not open: %d\n", w.what, result);
    }
    GetServerAudioDev()->CloseDevice(&dev);
}

// A listed device opened and then dropped while its stream still runs.
void DropWhileOpen() {
    auto devices = GetServerAudioDev()->GetDevices();
    auto mic = std::find_if(devices.begin(), devices.end(),
                            [](const std::shared_ptr<CAudioDev>& d) { return d->GetId() == L"microphone"; });
    if (mic == devices.end()) {
        ++g_failedOpens;
        return;
    }
    CountingTarget target;
    (*mic)->SetTarget(&target, 0);
    if (GetServerAudioDev()->OpenDevice(mic->get()) != 0) ++g_failedOpens;
    ++g_opens;
    devices.clear();  // the last reference: the device goes while open
}

void RecordBriefly(const Wanted& w) {
    CollectingSink sink;
    CAudioRecoder rec;
    rec.Device().SetName(w.name);
    rec.Device().SetId(w.id);
    rec.Device().SetLoopback(w.loopback);
    rec.SetOutput(&sink, w.loopback);
    if (rec.Start() != 0) ++g_failedOpens;
    ++g_opens;
    std::this_thread::sleep_for(30ms);
    rec.Stop();
}

bool ListsBothDevices(const std::vector<std::shared_ptr<CAudioDev>>& devices) {
    auto has = [&](const wchar_t* id, int loopback) {
        return std::any_of(devices.begin(), devices.end(), [&](const std::shared_ptr<CAudioDev>& d) {
            return d->GetId() == id && d->GetLoopback() == loopback;
        });
    };
    return has(L"speakers", 1) && has(L"microphone", 0);
}

TEST(DeviceConcurrency, ManyThreadsOpenCloseListAndFollowDefaultsWithoutOverlapOrDeadlock) {
    const size_t outputsBefore = SourceOutputs().size();
    ScopedModule otherSink("module-null-sink sink_name=conc_out sink_properties=device.description=conc_out");
    ScopedModule otherSource("module-null-source source_name=conc_in description=conc_in");
    ASSERT_TRUE(otherSink.Loaded());
    ASSERT_TRUE(otherSource.Loaded());
    // The other default output delivers nothing: a worker that follows the
    // default makes silence from its format while restarts reopen it.
    Pactl("suspend-sink conc_out 1");

    // One of each on this thread first: the platform layer's one-time
    // set-ups are not instrumented, so ThreadSanitizer would not see them
    // being made safely when several threads raced to them.
    OpenAndClose(kDevices[0], 0);
    RecordBriefly(kDevices[1]);
    DropWhileOpen();

    CollectingSink followerSink;
    CAudioRecoder follower;  // "__device_out_default" for the whole run
    follower.SetOutput(&followerSink, 1);
    ASSERT_EQ(follower.Start(), 0);

    constexpr int kThreads = 4;
    constexpr int kRounds = 60;
    std::atomic<int> running{kThreads};
    std::atomic<long> listings{0}, badListings{0}, defaultChanges{0};
    {
        Watchdog watchdog(90s);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([t, &running] {
                for (int r = 0; r < kRounds; ++r) {
                    const Wanted& w = kDevices[(t + r) % 4];
                    switch ((t * kRounds + r) % 5) {
                    case 0: RecordBriefly(w); break;
                    case 1: DropWhileOpen(); break;
                    default: OpenAndClose(w, t); break;
                    }
                }
                --running;
            });
        }
        threads.emplace_back([&] {
            while (running > 0) {
                auto devices = GetServerAudioDev()->GetDevices();
                ++listings;
                if (!ListsBothDevices(devices)) ++badListings;
                if (!GetServerAudioDev()->IsDeviceAvailable(L"microphone", L"microphone")) ++badListings;
            }
        });
        threads.emplace_back([&] {
            bool other = false;
            while (running > 0) {
                other = !other;
                Pactl(std::string("set-default-sink ") + (other ? "conc_out" : "speakers"));
                Pactl(std::string("set-default-source ") + (other ? "conc_in" : "microphone"));
                ++defaultChanges;
                std::this_thread::sleep_for(250ms);
            }
            Pactl("set-default-sink speakers");
            Pactl("set-default-source microphone");
        });
        for (std::thread& th : threads) th.join();
        // Restarts queued by the last changes run before this waited listing.
        std::this_thread::sleep_for(300ms);
        GetServerAudioDev()->GetDevices();
        // The defaults are back on devices that deliver: the follower must
        // hand on blocks again, however slowly a loaded machine reopened it.
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (followerSink.Count() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        follower.Stop();
    }
    EXPECT_GT(followerSink.Count(), 0u) << "the worker following the default delivered nothing";

    std::printf("%ld host calls, %ld opens, %ld listings, %ld default changes\n", g_calls.load(),
                g_opens.load(), listings.load(), defaultChanges.load());
    EXPECT_EQ(g_overlaps.load(), 0) << "host calls ran at the same time (at most " << g_mostInside.load()
                                    << " at once)";
    EXPECT_EQ(g_mostInside.load(), 1);
    EXPECT_GT(g_calls.load(), 100) << "the host calls were not counted: is the link seam in place?";
    EXPECT_EQ(g_failedOpens.load(), 0) << "of " << g_opens.load() << " opens";
    EXPECT_GT(listings.load(), 0);
    EXPECT_EQ(badListings.load(), 0) << "of " << listings.load() << " listings";
    EXPECT_GE(defaultChanges.load(), 2) << "the defaults did not change while devices opened";

    // Every initialisation was given back and no stream was left behind.
    DeviceList list;
    EXPECT_EQ(capture_host::ListDevices(list), capture_host::NotInitialized);
    EXPECT_TRUE(Eventually([&] { return SourceOutputs().size() == outputsBefore; }))
        << SourceOutputs().size() << " capture streams left, " << outputsBefore << " before";
}

}  // namespace
