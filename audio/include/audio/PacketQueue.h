// The bounded queue between a capture stream's callback and its worker.
// When the worker falls behind, the oldest packets make room for the new
// one; the loss is counted so that the worker can log it.
#pragma once

#include "audio/AudioPacket.h"

#include <deque>
#include <mutex>

class CPacketQueue {
public:
    void SetCapacity(int capacity);
    void Push(CAudioPacket&& packet);
    // Moves everything out, oldest first; `dropped` receives the packets lost
    // to overflow since the last take.
    std::deque<CAudioPacket> TakeAll(long* dropped = nullptr);
    void Clear();

private:
    std::mutex m_mutex;
    int m_capacity = 100;
    long m_dropped = 0;
    std::deque<CAudioPacket> m_packets;
};
