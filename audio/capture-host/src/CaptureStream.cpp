#include "capture-host/CaptureHost.h"
#include "capture-host/DeliveryBatch.h"
#include "capture-host/FrameReblocker.h"

#include "HostLog.h"
#include "HostState.h"
#include "ServerQueries.h"

namespace capture_host {

struct Stream {
    Stream(int channelCount, unsigned long framesPerBlock)
        : frames(framesPerBlock), blocks(channelCount, framesPerBlock) {}

    PulseConnection* connection = nullptr;
    pa_stream* pa = nullptr;
    std::string deviceName;
    std::string source;
    unsigned long frames;
    size_t batchBytes = 0;  // a fragment: blocks go out once this much is waiting
    StreamCallback callback = nullptr;
    void* userData = nullptr;
    FrameReblocker blocks;
    // The fields below change only with the main loop locked.
    bool running = false;   // between StartStream and StopStream
    bool finished = false;  // the callback asked for no more blocks
};

namespace {

thread_local bool tl_inCallback = false;

// 100 ms fragments, asked for with PA_STREAM_ADJUST_LATENCY and kept to on
// our side (OnReadable): blocks go on ten at a time, ten times a second.
// With 20 ms fragments the wake-ups along the path cost about as much
// processor time again as all the rest of a recording (measured with
// recorder_bench at 20, 50 and 100 ms). The capture worker waits 2.5 s
// before it stands in with silence.
constexpr pa_usec_t kFragment = kFragmentMs * PA_USEC_PER_MSEC;
// At most three seconds wait on the server for us, as much as the capture
// worker's queue holds and more than it waits before standing in with
// silence: a client held up for less loses nothing on the server.
constexpr pa_usec_t kMaxBacklog = 3000 * PA_USEC_PER_MSEC;

void OnStreamState(pa_stream* s, void* user) {
    auto* st = static_cast<Stream*>(user);
    pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_FAILED && st->running)
        HostLog("the stream on \"%s\" (%s) ended: %s", st->deviceName.c_str(), st->source.c_str(),
                pa_strerror(pa_context_errno(pa_stream_get_context(s))));
    st->connection->Loop()->Signal();
}

// The server sends audio as its source produces it (a monitor every few
// milliseconds, whatever the fragment size asked for): what it sent waits in
// the stream until a whole fragment is there, and then every chunk is cut
// into blocks that go out as one delivery batch, so the threads downstream
// wake once per fragment, not per chunk. Peek answers an empty stream with
// no bytes, so no size query is made per chunk (each libpulse call costs a
// system call of its own).
void OnReadable(pa_stream* s, size_t readable, void* user) {
    auto* st = static_cast<Stream*>(user);
    const bool keep = st->running && !st->finished;
    if (keep && readable < st->batchBytes) return;
    DeliveryBatch batch;
    tl_inCallback = true;
    for (;;) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(s, &data, &bytes) < 0 || bytes == 0) break;
        if (keep && !st->finished) {
            auto deliver = [st](const short* block) {
                if (st->callback(block, st->frames, st->userData) == Continue) return true;
                st->finished = true;
                return false;
            };
            if (data) st->blocks.Feed(data, bytes, deliver);
            else st->blocks.FeedSilence(bytes, deliver);  // a hole in the server's buffer
        }
        pa_stream_drop(s);
    }
    tl_inCallback = false;
    if (st->finished) st->blocks.Clear();
}

int Refuse(int result, const DeviceInfo& device, const char* why) {
    HostLog("cannot open \"%s\" (%s): %s", device.name.c_str(), device.id.c_str(), why);
    return result;
}

Stream* FindLocked(HostState& host, Stream* stream) {
    return host.streams.count(stream) ? stream : nullptr;
}

}  // namespace

bool InStreamCallback() { return tl_inCallback; }

void DestroyStreamLocked(HostState& host, Stream* stream) {
    {
        PulseConnection::Lock lock(*stream->connection);
        stream->running = false;
        if (stream->pa) {
            pa_stream_set_read_callback(stream->pa, nullptr, nullptr);
            pa_stream_set_state_callback(stream->pa, nullptr, nullptr);
            if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream->pa))) pa_stream_disconnect(stream->pa);
            pa_stream_unref(stream->pa);
        }
    }
    host.streams.erase(stream);
    delete stream;
}

int OpenInputStream(Stream** stream, const DeviceInfo& device, int channelCount,
                    double sampleRate, unsigned long framesPerBuffer,
                    StreamCallback callback, void* userData) {
    if (InStreamCallback()) return CalledFromCallback;
    if (!stream) return BadStreamPtr;
    *stream = nullptr;
    HostState& host = Host();
    std::lock_guard<std::mutex> guard(host.mutex);
    if (host.initCount == 0) return NotInitialized;
    if (!callback) return NullCallback;
    if (device.id.empty()) return Refuse(InvalidDevice, device, "no endpoint id");
    if (channelCount < 1 || channelCount > device.maxInputChannels || channelCount > static_cast<int>(PA_CHANNELS_MAX))
        return Refuse(InvalidChannelCount, device, "the device has no such channel count");
    if (!(sampleRate >= 1.0 && sampleRate <= PA_RATE_MAX))
        return Refuse(InvalidSampleRate, device, "invalid sample rate");

    PulseConnection& connection = *host.connection;
    std::string source = device.id;
    if (device.loopback && !QueryMonitorSource(connection, device.id, source))
        return Refuse(DeviceUnavailable, device, "the render endpoint is gone");

    pa_sample_spec spec{PA_SAMPLE_S16LE, static_cast<uint32_t>(sampleRate),
                        static_cast<uint8_t>(channelCount)};
    pa_channel_map map;
    pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT);
    unsigned long frames = framesPerBuffer ? framesPerBuffer : spec.rate / 100;
    if (frames == 0) frames = 1;

    auto* st = new Stream(channelCount, frames);
    st->connection = &connection;
    st->deviceName = device.name;
    st->source = source;
    st->callback = callback;
    st->userData = userData;
    st->batchBytes = pa_usec_to_bytes(kFragment, &spec);

    PulseConnection::Lock lock(connection);
    st->pa = pa_stream_new(connection.Context(), "capture", &spec, &map);
    if (!st->pa) {
        delete st;
        return Refuse(DeviceUnavailable, device, connection.LastError().c_str());
    }
    pa_stream_set_state_callback(st->pa, OnStreamState, st);
    pa_stream_set_read_callback(st->pa, OnReadable, st);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(pa_usec_to_bytes(kMaxBacklog, &spec));
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kFragment, &spec));
    // DONT_MOVE: a stream records the device it was opened on, or nothing.
    auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_DONT_MOVE | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_record(st->pa, source.c_str(), &attr, flags) == 0) {
        while (pa_stream_get_state(st->pa) == PA_STREAM_CREATING)
            connection.Loop()->Wait();
    }
    if (pa_stream_get_state(st->pa) != PA_STREAM_READY) {
        std::string why = connection.LastError();
        pa_stream_set_state_callback(st->pa, nullptr, nullptr);
        pa_stream_set_read_callback(st->pa, nullptr, nullptr);
        pa_stream_unref(st->pa);
        delete st;
        return Refuse(DeviceUnavailable, device, why.c_str());
    }
    host.streams.insert(st);
    *stream = st;
    return NoError;
}

// Calls on an open stream: refused from inside a stream callback (its main
// loop lock is held there), and for a stream this host does not know; `use`
// runs with the host's lock held.
template <typename Use>
int WithStream(Stream* stream, Use&& use) {
    if (InStreamCallback()) return CalledFromCallback;
    HostState& host = Host();
    std::lock_guard<std::mutex> guard(host.mutex);
    Stream* st = FindLocked(host, stream);
    if (!st) return BadStreamPtr;
    return use(host, st);
}

int StartStream(Stream* stream) {
    return WithStream(stream, [](HostState&, Stream* st) -> int {
        PulseConnection::Lock lock(*st->connection);
        if (st->running) return StreamNotStopped;
        if (pa_stream_get_state(st->pa) != PA_STREAM_READY) {
            HostLog("cannot start the stream on \"%s\" (%s): the device is gone", st->deviceName.c_str(),
                    st->source.c_str());
            return DeviceUnavailable;
        }
        st->blocks.Clear();
        st->finished = false;
        st->running = true;
        st->connection->Wait(pa_stream_cork(st->pa, 0, nullptr, nullptr));
        return NoError;
    });
}

int StopStream(Stream* stream) {
    return WithStream(stream, [](HostState&, Stream* st) -> int {
        // Callbacks run with the main loop locked: once this lock is held, none
        // is running, and with `running` cleared none delivers again.
        PulseConnection::Lock lock(*st->connection);
        if (!st->running) return NoError;
        st->running = false;
        if (pa_stream_get_state(st->pa) == PA_STREAM_READY) {
            st->connection->Wait(pa_stream_cork(st->pa, 1, nullptr, nullptr));
            st->connection->Wait(pa_stream_flush(st->pa, nullptr, nullptr));
        }
        st->blocks.Clear();
        return NoError;
    });
}

int CloseStream(Stream* stream) {
    return WithStream(stream, [](HostState& host, Stream* st) -> int {
        DestroyStreamLocked(host, st);
        return NoError;
    });
}

int IsStreamActive(Stream* stream) {
    return WithStream(stream, [](HostState&, Stream* st) -> int {
        PulseConnection::Lock lock(*st->connection);
        return st->running && !st->finished && pa_stream_get_state(st->pa) == PA_STREAM_READY ? 1 : 0;
    });
}

}  // namespace capture_host
