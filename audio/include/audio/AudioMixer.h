// Per-source sample FIFOs in the encoder's format, and the mixer that cuts
// encoder frames from one source or mixes two, each at half (the sum of
// both halves, as FFmpeg's two-input mix filter makes it). Used
// by the recorder's worker thread only; each FIFO still guards its samples
// and its resampler with mutexes of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

constexpr int kUnityVolume = 256;
constexpr int kFifoCapacity = 0x100000;  // samples per channel

// Gain in 1/256 steps: (v * x + 128) >> 8, saturated; 256 leaves the
// samples untouched.
void ScaleVolumeS16(int16_t* samples, size_t count, int volume);
int16_t Saturate16(int x);
// 0/5 for 8 bits, 1/6 for 16, 3/8 for 32 (packed/planar); -1 otherwise.
int SampleFormatFromBits(int bits, bool planar);

// One source: 16-bit interleaved packets in the source's rate and channels
// go through the gain and the resampler as they arrive, and wait in a FIFO
// already in the encoder's format, so frames are cut from it exactly: no
// frame is ever short, and nothing piles up inside the resampler.
class CAudioFifo {
public:
    CAudioFifo() = default;
    ~CAudioFifo();
    CAudioFifo(const CAudioFifo&) = delete;
    CAudioFifo& operator=(const CAudioFifo&) = delete;

    // 0, or a negative FFmpeg error when the FIFO or the resampler cannot be
    // made (the FIFO is then unusable and Write refuses).
    int Init(int sourceRate, int sourceChannels, int targetFormat, int targetRate,
             int targetChannels);
    // Takes count frames of interleaved samples. The count taken, or a
    // negative FFmpeg error from the resampler or the FIFO.
    int Write(const int16_t* data, int count);
    // At least n samples (per channel) are ready in the encoder's format.
    bool HasEnough(int n);
    // A new frame of exactly n samples, or null when fewer are ready.
    AVFrame* Read(int n);
    void SetVolume(int volume);
    void CopyVolume(const CAudioFifo& other);
    int GetVolume() const { return volume_.load(); }
    void Reset();
    void Release();

    int Size();  // samples ready, per channel
    int SourceRate() const { return sourceRate_; }
    int SourceChannels() const { return sourceChannels_; }
    int TargetFormat() const { return targetFormat_; }
    int TargetRate() const { return targetRate_; }
    int TargetChannels() const { return targetChannels_; }

private:
    std::mutex fifoMutex_;
    AVAudioFifo* fifo_ = nullptr;
    int targetFormat_ = AV_SAMPLE_FMT_S16;
    int sourceFormat_ = AV_SAMPLE_FMT_S16;
    std::atomic<int> volume_{kUnityVolume};
    int targetChannels_ = 0;
    int sourceChannels_ = 0;
    int targetRate_ = 0;
    int sourceRate_ = 0;
    std::mutex converterMutex_;
    SwrContext* resampler_ = nullptr;
    std::vector<int16_t> scaled_;     // gain pass, so the packet stays as captured
    uint8_t** converted_ = nullptr;   // resampler output in the target format
    int convertedCapacity_ = 0;
    int64_t dropped_ = 0;             // samples dropped at the FIFO's capacity
};

class CAudioMixer {
public:
    enum Mode { kMicrophone = 0, kSystemSound = 1, kBoth = 2 };

    CAudioMixer() = default;
    ~CAudioMixer();
    CAudioMixer(const CAudioMixer&) = delete;
    CAudioMixer& operator=(const CAudioMixer&) = delete;

    CAudioFifo* GetInput(int key);
    // The mixer owns the FIFO; one already under the key is destroyed.
    void AddInput(int key, CAudioFifo* fifo);
    void SetVolume(int key, int volume);
    bool HasEnoughAll(int n);
    // Samples a frame can be cut from now: the smallest FIFO the mode reads.
    int ReadySamples();
    void SetMode(int mode) { mode_ = mode; }
    int GetMode() const { return mode_; }

    // One frame of exactly n samples in the encoder's format, stamped with
    // pts; null when the sources do not hold enough yet. A sample format the
    // mix cannot add also gives null, with the FFmpeg error in *error (0
    // otherwise) and its text in LastError().
    AVFrame* ReadMixedFrame(int n, int64_t pts, int* error = nullptr);
    // Adds `from` into `into` sample by sample, each at half: in floating
    // point as the sum of both halves, in integers as half the sum rounded
    // to the nearest, halves to even (which is what the floating-point sum
    // gives once converted back). Both frames have one format and length.
    int MixInto(AVFrame* into, const AVFrame* from);
    void Release();
    std::string LastError() const { return lastError_; }

private:
    int Fail(int code, const char* operation);

    std::atomic<int> mode_{kMicrophone};
    std::map<int, std::unique_ptr<CAudioFifo>> inputs_;
    std::string lastError_;
};
