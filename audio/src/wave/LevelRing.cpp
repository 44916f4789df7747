#include "audio/LevelRing.h"

#include <algorithm>

void CLevelRing::Reset(int n) {
    m_entries.reset();
    m_write = 0;
    m_capacity = std::max(n, 0);
    if (m_capacity > 0) m_entries = std::make_unique<LevelEntry[]>(m_capacity);
}

std::unique_ptr<LevelEntry[]> CLevelRing::Linearize() const {
    if (m_capacity == 0) return nullptr;
    auto out = std::make_unique<LevelEntry[]>(m_capacity);
    std::copy(m_entries.get() + m_write, m_entries.get() + m_capacity, out.get());
    std::copy(m_entries.get(), m_entries.get() + m_write, out.get() + (m_capacity - m_write));
    return out;
}

void CLevelRing::Write(const LevelEntry* entries, int count) {
    if (m_capacity == 0 || count <= 0) return;
    // Only the newest `capacity` of a longer run can survive.
    if (count > m_capacity) {
        entries += count - m_capacity;
        m_write = (m_write + (count - m_capacity)) % m_capacity;
        count = m_capacity;
    }
    for (int i = 0; i < count; ++i) m_entries[(m_write + i) % m_capacity] = entries[i];
    m_write = (m_write + count) % m_capacity;
}

void CLevelRing::Resize(int n) {
    const int old = m_capacity;
    std::unique_ptr<LevelEntry[]> content = Linearize();
    Reset(n);
    if (content) Write(content.get(), old);
}

void CLevelRing::Relayout(int oldChannels, int newChannels, int columns) {
    if (oldChannels == newChannels || oldChannels <= 0) {
        Resize(columns * std::max(newChannels, 0));
        return;
    }
    const int oldColumns = m_capacity / oldChannels;
    std::unique_ptr<LevelEntry[]> content = Linearize();
    Reset(columns * std::max(newChannels, 0));
    if (!content || m_capacity == 0) return;
    const int kept = std::min(oldColumns, columns);
    auto laidOut = std::make_unique<LevelEntry[]>(static_cast<size_t>(kept) * newChannels);
    for (int col = 0; col < kept; ++col) {
        const LevelEntry* from = content.get() + static_cast<size_t>(oldColumns - kept + col) * oldChannels;
        for (int ch = 0; ch < std::min(oldChannels, newChannels); ++ch)
            laidOut[static_cast<size_t>(col) * newChannels + ch] = from[ch];
    }
    // Older columns than the kept ones stay zero at the start of the ring.
    const int empty = (columns - kept) * newChannels;
    m_write = empty % m_capacity;
    Write(laidOut.get(), kept * newChannels);
}

void CLevelRing::Clear() {
    std::fill(m_entries.get(), m_entries.get() + m_capacity, LevelEntry{});
}
