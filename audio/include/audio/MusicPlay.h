// Plays one audio file on the default output device: a decode thread turns
// the file into 16-bit samples in a FIFO, a PortAudio output stream drains
// it, and the end of the file is told to a window by WM_USER + 7.
#pragma once

#include "core/SString.h"
#include "win32/windows.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

struct AVAudioFifo;
struct AVCodecContext;
struct AVFormatContext;
struct SwrContext;

// Sent, parameters 0, once the last samples of the file went to the device.
constexpr UINT kMusicPlayEndMessage = WM_USER + 7;

class MusicPlay {
public:
    // Gives the window handle that receives the end notice. It runs on the
    // audio thread at the end of the file; null means no notice.
    using NotifyHostResolver = std::function<HWND()>;

    // What the output callback shares with the caller and the decode thread.
    struct SharedState {
        int channels = 2;
        int rate = 44100;
        CRITICAL_SECTION lock;  // guards the FIFO's reads and writes
        AVAudioFifo* fifo = nullptr;
        // 0 decoding, 1 start requested, 2 stop requested, 3 decoding finished.
        std::atomic<int> state{3};
        NotifyHostResolver notifyHost;
        SharedState();
        ~SharedState();
    };

    MusicPlay();
    ~MusicPlay();
    MusicPlay(const MusicPlay&) = delete;
    MusicPlay& operator=(const MusicPlay&) = delete;

    // Opens the file's decoder, PortAudio and the FIFO. False, with
    // FFmpeg's reason in the audio log, for a file that does not decode.
    bool Open(const SStringW& path);
    // Where the end notice goes: the host window of the notify window. The
    // framework resolves its window to the host's handle in `resolve`.
    void SetNotifyWindow(NotifyHostResolver resolve);
    // Starts decoding and the output stream; false when there is no
    // decoder, no output device or the stream does not start.
    bool Play();
    // Stops the output stream, then closes.
    void Stop();
    // Ends decoding, closes the stream, frees the FIFO and the decoder and
    // ends this player's use of PortAudio.
    void Close();
    void ReleaseDecoder();
    // Default output device of the default host API; true when there is one.
    bool FindDefaultOutput();
    bool InitFifo();
    // A fresh shared state (channels 2, rate 44100, state 0, no FIFO, no
    // window); refused while a stream or the decode thread runs.
    void ResetParams();

    int State() const { return m_shared->state.load(); }
    int Channels() const { return m_shared->channels; }
    int Rate() const { return m_shared->rate; }

private:
    bool OpenDecoder(const SStringW& path);
    bool OpenStream();
    void CloseStream();
    void DecodeLoop();
    bool InitializePortAudio();
    void TerminatePortAudio();
    // The output device's channel count (0 unknown); a file with more is
    // mixed down to it.
    int DeviceChannels() const;
    void FitChannelsToDevice();
    bool DownMixTo(int channels);

    std::unique_ptr<std::thread> m_decodeThread;
    SwrContext* m_converter = nullptr;
    AVFormatContext* m_container = nullptr;
    AVCodecContext* m_decoder = nullptr;
    int m_streamIndex = -1;
    void* m_stream = nullptr;  // PaStream
    std::unique_ptr<SharedState> m_shared;
    int m_outputDevice = -1;
    bool m_portAudioUp = false;  // one Pa_Initialize held, ended by one Pa_Terminate
};
