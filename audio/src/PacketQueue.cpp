#include "audio/PacketQueue.h"

void CPacketQueue::SetCapacity(int capacity) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_capacity = capacity > 0 ? capacity : 1;
}

void CPacketQueue::Push(CAudioPacket&& packet) {
    std::lock_guard<std::mutex> guard(m_mutex);
    while (static_cast<int>(m_packets.size()) >= m_capacity) {
        m_packets.pop_front();
        ++m_dropped;
    }
    m_packets.push_back(std::move(packet));
}

std::deque<CAudioPacket> CPacketQueue::TakeAll(long* dropped) {
    std::deque<CAudioPacket> out;
    std::lock_guard<std::mutex> guard(m_mutex);
    out.swap(m_packets);
    if (dropped) *dropped = m_dropped;
    m_dropped = 0;
    return out;
}

void CPacketQueue::Clear() {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_packets.clear();
    m_dropped = 0;
}
