// The scrolling level picture of one source. Captured packets are reduced
// in batches to one column of peaks each (data thread); a second thread
// redraws the envelope of the history into a private bitmap and publishes a
// copy, so painting only ever copies a finished picture.
#pragma once

#include "audio/AudioPacket.h"
#include "audio/CmdQueue.h"
#include "audio/LevelRing.h"
#include "gdiplus/gdiplus.h"

#include <array>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class CWakeSignal;

class CAudioWaveRender {
public:
    static constexpr int kPacketCapacity = 100;  // one second at 10 ms a packet
    static constexpr int kBatchSize = 5;         // packets per column
    static constexpr int kBrushCount = 12;
    static constexpr Gdiplus::ARGB kChannelColour = 0xFF22F2B4;

    CAudioWaveRender();
    ~CAudioWaveRender();
    CAudioWaveRender(const CAudioWaveRender&) = delete;
    CAudioWaveRender& operator=(const CAudioWaveRender&) = delete;

    // Queues a copy; a full queue (a second behind) is dropped first.
    void PushCapture(const CAudioPacket& packet);
    // New bitmaps of width x height and a ring of one column per pixel for
    // `channels`; draws and publishes the picture when every size is set.
    void ResizeBitmap(int width, int height, int channels, int bufferFrames);
    void StartThreads();
    void StopThreads();
    // The last published picture (empty before the first).
    std::shared_ptr<Gdiplus::Bitmap> GetImage();
    // Clears the working bitmap to the background and draws the envelope,
    // `offset` pixels to the left.
    void RedrawImage(int offset);
    void ClearLevels();
    // Brush `slot` becomes 0xFF22F2B4. Only slot 0 is drawn with.
    void SetChannelBrush(int slot);
    void SetBackground(Gdiplus::ARGB colour) { m_background.store(colour); }

    // The envelope of `count` entries (oldest first, `channels` per column)
    // on `graphics` of width x height, filled with `brush`.
    static void DrawEnvelope(Gdiplus::Graphics& graphics, const Gdiplus::Brush* brush, const LevelEntry* entries,
                             int count, int channels, int offset, int width, int height);
    // Peaks of a batch, one entry per channel of the widest packet.
    static std::vector<LevelEntry> ReduceBatch(const std::deque<std::unique_ptr<CAudioPacket>>& batch);

private:
    static void WakeData(void* wake);
    void DataLoop();
    void ImageLoop();
    // Takes batches of five while more than five packets wait; true when a
    // column was written.
    bool ReducePending();
    void WriteColumn(const std::vector<LevelEntry>& levels, int channels);
    void RedrawLocked(int offset);
    void RedrawAndPublish();

    std::atomic<int> m_bufferFrames{0};
    std::atomic<int> m_channels{0};
    std::atomic<Gdiplus::ARGB> m_background{0};

    // Held while the bitmaps, the graphics or the brushes are replaced or
    // drawn with: a resize or a brush change while the threads run waits
    // for the redraw in progress instead of pulling the bitmap from under it.
    std::mutex m_bitmapMutex;
    std::shared_ptr<Gdiplus::Graphics> m_graphics;
    std::shared_ptr<Gdiplus::Bitmap> m_working;
    std::array<std::unique_ptr<Gdiplus::SolidBrush>, kBrushCount> m_brushes;

    std::mutex m_packetMutex;
    std::deque<std::unique_ptr<CAudioPacket>> m_packets;

    std::unique_ptr<CWakeSignal> m_dataWake;
    std::unique_ptr<CWakeSignal> m_imageWake;
    std::unique_ptr<std::thread> m_imageThread;
    std::unique_ptr<std::thread> m_dataThread;
    std::atomic<bool> m_stop{false};

    std::mutex m_imageMutex;
    std::shared_ptr<Gdiplus::Bitmap> m_published;

    std::mutex m_ringMutex;
    CLevelRing m_ring;
    int m_ringChannels = 0;

    CCmdQueue m_imageCommands;
};
