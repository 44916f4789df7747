#include "audio/AudioWaveRender.h"

#include "AudioLog.h"
#include "WakeSignal.h"
#include "capture-host/DeliveryBatch.h"

#include <algorithm>

namespace {

// Brush slots: one orange whose alpha falls by 0x20 a slot to 0x1F, then
// 0x0F for the last four.
Gdiplus::ARGB InitialBrushColour(int slot) {
    const Gdiplus::ARGB alpha = slot < 8 ? 0xFF - 0x20 * slot : 0x0F;
    return (alpha << 24) | 0x00FF9623;
}

// Pending redraw requests: each asks for the same picture, so a handful is
// plenty.
constexpr int kImageCommandCapacity = 8;

}  // namespace

CAudioWaveRender::CAudioWaveRender()
    : m_dataWake(std::make_unique<CWakeSignal>()), m_imageWake(std::make_unique<CWakeSignal>()) {
    for (int i = 0; i < kBrushCount; ++i)
        m_brushes[i] = std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(InitialBrushColour(i)));
    m_imageCommands.SetCapacity(kImageCommandCapacity);
}

CAudioWaveRender::~CAudioWaveRender() { StopThreads(); }

void CAudioWaveRender::PushCapture(const CAudioPacket& packet) {
    auto copy = std::make_unique<CAudioPacket>(packet);
    bool batchReady = false;
    {
        std::lock_guard<std::mutex> lock(m_packetMutex);
        if (m_packets.size() >= static_cast<size_t>(kPacketCapacity)) m_packets.clear();
        m_packets.push_back(std::move(copy));
        batchReady = m_packets.size() > static_cast<size_t>(kBatchSize);
    }
    // The data thread takes nothing until a batch waits, and a capture hands
    // on a fragment's blocks in one run: it is woken once, after the run,
    // rather than for every block (each wake-up of a thread costs far more
    // than reducing the blocks).
    if (batchReady) capture_host::AfterDelivery(&CAudioWaveRender::WakeData, m_dataWake.get());
}

void CAudioWaveRender::WakeData(void* wake) { static_cast<CWakeSignal*>(wake)->Signal(); }

void CAudioWaveRender::ResizeBitmap(int width, int height, int channels, int bufferFrames) {
    m_channels.store(channels);
    m_bufferFrames.store(bufferFrames);
    {
        std::lock_guard<std::mutex> lock(m_bitmapMutex);
        m_graphics.reset();
        m_working.reset();
        if (width > 0 && height > 0) {
            m_working = std::make_shared<Gdiplus::Bitmap>(width, height, Gdiplus::PixelFormat32bppARGB);
            if (m_working->GetLastStatus() != Gdiplus::Ok) {
                AudioLog("waveform: no %dx%d bitmap could be made", width, height);
                m_working.reset();
            } else {
                m_graphics = std::make_shared<Gdiplus::Graphics>(m_working.get());
            }
        }
    }
    {
        // Until the first redraw the picture is an empty one of the new size.
        std::shared_ptr<Gdiplus::Bitmap> blank;
        if (width > 0 && height > 0) blank = std::make_shared<Gdiplus::Bitmap>(width, height, Gdiplus::PixelFormat32bppARGB);
        std::lock_guard<std::mutex> lock(m_imageMutex);
        m_published = std::move(blank);
    }
    {
        std::lock_guard<std::mutex> lock(m_ringMutex);
        m_ring.Relayout(m_ringChannels, std::max(channels, 0), std::max(width, 0));
        m_ringChannels = std::max(channels, 0);
    }
    if (channels == 0 || bufferFrames == 0 || width == 0 || height == 0) return;
    RedrawAndPublish();
}

void CAudioWaveRender::StartThreads() {
    m_stop.store(false);
    if (!m_dataThread) m_dataThread = std::make_unique<std::thread>(&CAudioWaveRender::DataLoop, this);
    if (!m_imageThread) m_imageThread = std::make_unique<std::thread>(&CAudioWaveRender::ImageLoop, this);
}

void CAudioWaveRender::StopThreads() {
    m_stop.store(true);
    if (m_dataThread) {
        m_dataWake->Signal();
        m_dataThread->join();
        m_dataThread.reset();
    }
    if (m_imageThread) {
        m_imageWake->Signal();
        m_imageThread->join();
        m_imageThread.reset();
    }
}

std::shared_ptr<Gdiplus::Bitmap> CAudioWaveRender::GetImage() {
    std::lock_guard<std::mutex> lock(m_imageMutex);
    return m_published;
}

void CAudioWaveRender::RedrawImage(int offset) {
    std::lock_guard<std::mutex> lock(m_bitmapMutex);
    RedrawLocked(offset);
}

void CAudioWaveRender::RedrawLocked(int offset) {
    if (!m_graphics || !m_working) return;
    int channels = 0, count = 0;
    std::unique_ptr<LevelEntry[]> entries;
    {
        std::lock_guard<std::mutex> lock(m_ringMutex);
        channels = m_ringChannels;
        count = m_ring.Capacity();
        entries = m_ring.Linearize();
    }
    m_graphics->Clear(Gdiplus::Color(m_background.load()));
    if (count == 0 || channels == 0) return;
    DrawEnvelope(*m_graphics, m_brushes[0].get(), entries.get(), count, channels, offset,
                 static_cast<int>(m_working->GetWidth()), static_cast<int>(m_working->GetHeight()));
}

void CAudioWaveRender::RedrawAndPublish() {
    std::shared_ptr<Gdiplus::Bitmap> picture;
    {
        std::lock_guard<std::mutex> lock(m_bitmapMutex);
        if (!m_working) return;
        RedrawLocked(0);
        picture.reset(m_working->Clone(0, 0, static_cast<int>(m_working->GetWidth()),
                                       static_cast<int>(m_working->GetHeight()), Gdiplus::PixelFormat32bppARGB));
    }
    if (!picture) {
        AudioLog("waveform: the finished picture could not be copied");
        return;
    }
    std::lock_guard<std::mutex> lock(m_imageMutex);
    m_published = std::move(picture);
}

void CAudioWaveRender::ClearLevels() {
    std::lock_guard<std::mutex> lock(m_ringMutex);
    m_ring.Clear();
}

void CAudioWaveRender::SetChannelBrush(int slot) {
    if (slot < 0 || slot >= kBrushCount) {
        AudioLog("waveform: no brush slot %d (0 to %d)", slot, kBrushCount - 1);
        return;
    }
    auto brush = std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(kChannelColour));
    std::lock_guard<std::mutex> lock(m_bitmapMutex);
    m_brushes[slot] = std::move(brush);
}

void CAudioWaveRender::DataLoop() {
    for (;;) {
        m_dataWake->Wait();
        if (m_stop.load()) return;
        if (!ReducePending()) continue;
        m_imageCommands.Push(std::make_shared<CCmdFlushImg>());
        m_imageWake->Signal();
    }
}

bool CAudioWaveRender::ReducePending() {
    bool wrote = false;
    // A backlog (after a stall) drains now rather than one column per new
    // packet, so the picture catches up with the sound.
    while (!m_stop.load()) {
        std::deque<std::unique_ptr<CAudioPacket>> batch;
        {
            std::lock_guard<std::mutex> lock(m_packetMutex);
            if (m_packets.size() <= static_cast<size_t>(kBatchSize)) break;
            for (int i = 0; i < kBatchSize; ++i) {
                batch.push_back(std::move(m_packets.front()));
                m_packets.pop_front();
            }
        }
        std::vector<LevelEntry> levels = ReduceBatch(batch);
        if (levels.empty()) continue;
        WriteColumn(levels, batch.back()->channels);
        wrote = true;
    }
    return wrote;
}

std::vector<LevelEntry> CAudioWaveRender::ReduceBatch(const std::deque<std::unique_ptr<CAudioPacket>>& batch) {
    std::vector<LevelEntry> levels;
    for (const auto& packet : batch) {
        const int channels = packet->channels;
        if (channels <= 0) continue;
        if (levels.size() < static_cast<size_t>(channels)) levels.resize(channels);
        // Never read past the samples the packet really holds.
        const size_t frames = std::min(static_cast<size_t>(std::max(packet->frames, 0)),
                                       packet->samples.size() / static_cast<size_t>(channels));
        const int16_t* s = packet->samples.data();
        // A minimum that starts at 0 only moves for samples <= 0, a maximum
        // only for samples >= 1: plain min and max, without branches.
        for (int c = 0; c < channels; ++c) {
            int16_t low = 0, high = 0;
            for (size_t f = 0; f < frames; ++f) {
                const int16_t v = s[f * channels + c];
                low = std::min(low, v);
                high = std::max(high, v);
            }
            levels[c].min = std::min<int32_t>(levels[c].min, low);
            levels[c].max = std::max<int32_t>(levels[c].max, high);
        }
    }
    return levels;
}

void CAudioWaveRender::WriteColumn(const std::vector<LevelEntry>& levels, int channels) {
    // The column holds the last packet's channels: a batch that mixed
    // formats must not shift the columns after it.
    if (channels <= 0) return;
    std::vector<LevelEntry> column(levels.begin(), levels.begin() + std::min<size_t>(channels, levels.size()));
    column.resize(channels);
    std::lock_guard<std::mutex> lock(m_ringMutex);
    if (channels != m_ringChannels) {
        const int columns = m_ringChannels > 0 ? m_ring.Capacity() / m_ringChannels : 0;
        m_ring.Relayout(m_ringChannels, channels, columns);
        m_ringChannels = channels;
    }
    m_ring.Write(column.data(), channels);
}

void CAudioWaveRender::ImageLoop() {
    for (;;) {
        m_imageWake->Wait();
        if (m_stop.load()) return;
        // Every pending command asks for the same picture: one redraw serves all.
        if (m_imageCommands.TakeAll().empty()) continue;
        RedrawAndPublish();
    }
}
