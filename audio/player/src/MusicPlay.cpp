// The player's life cycle and its PortAudio output.
#include "audio/MusicPlay.h"

#include <string>

#include "SinkChannels.h"

#include "AudioLog.h"

extern "C" {
#include <libavutil/audio_fifo.h>
}
#include <portaudio.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kFifoSamples = 0x100000;

// Drains the FIFO. While decoding runs, a buffer the FIFO cannot fill is
// played as silence; once decoding finished, the rest goes out, the buffer
// is padded with silence, and the end is told once, after the lock is
// released, so a handler that stops the player does not wait on us.
int OutputCallback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags, void* user) {
    auto* shared = static_cast<MusicPlay::SharedState*>(user);
    auto* out = static_cast<int16_t*>(output);
    const int frameBytes = shared->channels * static_cast<int>(sizeof(int16_t));
    const bool finished = shared->state.load() == 3;
    int read = 0;
    HWND host = nullptr;
    EnterCriticalSection(&shared->lock);
    const int queued = shared->fifo ? av_audio_fifo_size(shared->fifo) : 0;
    const bool last = finished && queued < static_cast<int>(frames);
    if (queued >= static_cast<int>(frames) || finished) {
        const int take = std::min<int>(queued, static_cast<int>(frames));
        void* planes[1] = {out};
        if (take > 0) read = std::max(av_audio_fifo_read(shared->fifo, planes, take), 0);
    }
    // The window is looked up under the lock that SetNotifyWindow takes.
    if (last && shared->notifyHost) host = shared->notifyHost();
    LeaveCriticalSection(&shared->lock);
    if (read < static_cast<int>(frames))
        std::memset(reinterpret_cast<char*>(out) + static_cast<size_t>(read) * frameBytes, 0,
                    (frames - read) * static_cast<size_t>(frameBytes));
    if (!last) return paContinue;
    // paComplete ends the callbacks: this runs once per played file.
    if (host) PostMessageW(host, kMusicPlayEndMessage, 0, 0);
    return paComplete;
}

}  // namespace

MusicPlay::SharedState::SharedState() { InitializeCriticalSection(&lock); }

MusicPlay::SharedState::~SharedState() {
    if (fifo) av_audio_fifo_free(fifo);
    DeleteCriticalSection(&lock);
}

MusicPlay::MusicPlay() : m_shared(std::make_unique<SharedState>()) {}

MusicPlay::~MusicPlay() { Stop(); }

bool MusicPlay::Open(const SStringW& path) {
    Close();
    if (!OpenDecoder(path)) return false;
    if (!FindDefaultOutput()) AudioLog("player: no default output device; the file cannot be played");
    else FitChannelsToDevice();
    return InitFifo();
}

void MusicPlay::SetNotifyWindow(NotifyHostResolver resolve) {
    EnterCriticalSection(&m_shared->lock);
    m_shared->notifyHost = std::move(resolve);
    LeaveCriticalSection(&m_shared->lock);
}

bool MusicPlay::InitFifo() {
    EnterCriticalSection(&m_shared->lock);
    if (m_shared->fifo) av_audio_fifo_free(m_shared->fifo);
    m_shared->fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_S16, m_shared->channels, kFifoSamples);
    const bool made = m_shared->fifo != nullptr;
    LeaveCriticalSection(&m_shared->lock);
    if (!made) AudioLog("player: no FIFO of %d samples for %d channels", kFifoSamples, m_shared->channels);
    return made;
}

bool MusicPlay::InitializePortAudio() {
    if (m_portAudioUp) return true;
    PaError error = Pa_Initialize();
    if (error != paNoError) {
        AudioLog("player: PortAudio did not start: %s", Pa_GetErrorText(error));
        return false;
    }
    m_portAudioUp = true;
    return true;
}

void MusicPlay::TerminatePortAudio() {
    if (!m_portAudioUp) return;
    Pa_Terminate();
    m_portAudioUp = false;
    m_outputDevice = -1;
}

int MusicPlay::DeviceChannels() const {
    const PaDeviceInfo* device = m_outputDevice >= 0 ? Pa_GetDeviceInfo(m_outputDevice) : nullptr;
    if (!device) return 0;
    int channels = device->maxOutputChannels;
    // ALSA's default device routes to the sound server, whatever channel
    // count it is given: the server's sink says what is really there.
    const std::string name = device->name ? device->name : "";
    if (name == "default" || name == "pulse") {
        const int sink = DefaultSinkChannels();
        if (sink > 0 && (channels <= 0 || sink < channels)) channels = sink;
    }
    return channels;
}

void MusicPlay::FitChannelsToDevice() {
    const int device = DeviceChannels();
    if (device < 1 || m_shared->channels <= device) return;
    if (!DownMixTo(device)) return;
    AudioLog("player: the file's channels mixed down to the device's %d", device);
}

bool MusicPlay::FindDefaultOutput() {
    m_outputDevice = -1;
    if (!InitializePortAudio()) return false;
    PaHostApiIndex api = Pa_GetDefaultHostApi();
    const PaHostApiInfo* info = api >= 0 ? Pa_GetHostApiInfo(api) : nullptr;
    if (info && info->defaultOutputDevice != paNoDevice) m_outputDevice = info->defaultOutputDevice;
    return m_outputDevice >= 0;
}

bool MusicPlay::Play() {
    if (!m_container || !m_decoder) {
        AudioLog("player: nothing to play: no file is open");
        return false;
    }
    if (!m_shared->fifo) {
        AudioLog("player: nothing to play into: no FIFO");
        return false;
    }
    if (m_stream || m_decodeThread) {
        AudioLog("player: already playing");
        return false;
    }
    m_shared->state.store(1);
    m_decodeThread = std::make_unique<std::thread>(&MusicPlay::DecodeLoop, this);
    if (!OpenStream()) {
        m_shared->state.store(2);
        return false;
    }
    return true;
}

bool MusicPlay::OpenStream() {
    if (!m_portAudioUp || m_outputDevice < 0 || m_shared->channels < 1) {
        AudioLog("player: no output device to play on");
        return false;
    }
    const PaDeviceInfo* device = Pa_GetDeviceInfo(m_outputDevice);
    if (!device) {
        AudioLog("player: output device %d has gone", m_outputDevice);
        return false;
    }
    PaStreamParameters params{};
    params.device = m_outputDevice;
    params.channelCount = m_shared->channels;
    params.sampleFormat = paInt16;
    params.suggestedLatency = device->defaultHighOutputLatency;
    params.hostApiSpecificStreamInfo = nullptr;
    PaStream* stream = nullptr;
    PaError error = Pa_OpenStream(&stream, nullptr, &params, m_shared->rate, paFramesPerBufferUnspecified, paNoFlag,
                                  OutputCallback, m_shared.get());
    if (error != paNoError) {
        AudioLog("player: no output stream of %d channels at %d Hz: %s", m_shared->channels, m_shared->rate,
                 Pa_GetErrorText(error));
        return false;
    }
    m_stream = stream;
    error = Pa_StartStream(stream);
    if (error != paNoError) {
        AudioLog("player: the output stream did not start: %s", Pa_GetErrorText(error));
        CloseStream();
        return false;
    }
    return true;
}

void MusicPlay::CloseStream() {
    if (!m_stream) return;
    PaError error = Pa_CloseStream(static_cast<PaStream*>(m_stream));
    if (error != paNoError) AudioLog("player: closing the output stream: %s", Pa_GetErrorText(error));
    m_stream = nullptr;
}

void MusicPlay::Stop() {
    if (m_stream) {
        // Abort, not drain: a stop is heard at once.
        PaError error = Pa_AbortStream(static_cast<PaStream*>(m_stream));
        if (error != paNoError && error != paStreamIsStopped)
            AudioLog("player: stopping the output stream: %s", Pa_GetErrorText(error));
    }
    Close();
}

void MusicPlay::Close() {
    int state = m_shared->state.load();
    while (state != 3 && !m_shared->state.compare_exchange_weak(state, 2)) {
    }
    if (m_decodeThread) {
        m_decodeThread->join();
        m_decodeThread.reset();
    }
    CloseStream();
    EnterCriticalSection(&m_shared->lock);
    if (m_shared->fifo) av_audio_fifo_free(m_shared->fifo);
    m_shared->fifo = nullptr;
    LeaveCriticalSection(&m_shared->lock);
    ReleaseDecoder();  // a file opened but never played still holds its decoder
    TerminatePortAudio();
}

void MusicPlay::ResetParams() {
    if (m_stream || m_decodeThread) {
        AudioLog("player: parameters kept: the player is still playing");
        return;
    }
    auto fresh = std::make_unique<SharedState>();
    fresh->state.store(0);
    m_shared = std::move(fresh);
}
