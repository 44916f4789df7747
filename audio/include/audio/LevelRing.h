// The level history of one source: reduced peaks in a ring, the entries of
// all channels interleaved, so n consecutive entries (channel 0 first) form
// one picture column of an n-channel source.
#pragma once

#include <cstdint>
#include <memory>

struct LevelEntry {
    int32_t min = 0;  // most negative sample seen, 0 when none was negative
    int32_t max = 0;  // most positive sample seen, 0 when none was positive
};

class CLevelRing {
public:
    int Capacity() const { return m_capacity; }
    int WritePosition() const { return m_write; }

    // Frees the entries and allocates n zero entries (none for 0).
    void Reset(int n);
    // The entries oldest first: from the write position to the end, then
    // from the start up to the write position. Owned by the caller; null for
    // an empty ring.
    std::unique_ptr<LevelEntry[]> Linearize() const;
    // Copies the entries in from the write position on, wrapping, and moves
    // the write position on by count. Nothing for an empty ring.
    void Write(const LevelEntry* entries, int count);
    // A ring of n entries that keeps the newest n of the old content.
    void Resize(int n);
    // A ring of `columns` columns of `newChannels` entries, keeping the
    // newest columns of a ring laid out for `oldChannels`: each column keeps
    // its first channels (new ones start at zero), so a channel change never
    // reads one channel's levels as another's column.
    void Relayout(int oldChannels, int newChannels, int columns);
    // Every entry back to zero; the capacity stays.
    void Clear();

private:
    int32_t m_capacity = 0;
    int32_t m_write = 0;
    std::unique_ptr<LevelEntry[]> m_entries;
};
