#include "audio/SampleBufferPool.h"

#include <mutex>
#include <utility>

namespace {

// Enough for both sources' blocks in flight between two wakes of the
// recorder (a fragment each) with room to spare; more is freed.
constexpr std::size_t kMaxPooled = 64;
// Buffers larger than a second of 8-channel 48 kHz audio are not kept.
constexpr std::size_t kMaxPooledSamples = 48000 * 8;

struct Pool {
    std::mutex mutex;
    std::vector<std::vector<int16_t>> free;
};

// Never destroyed: packets may still be freed while the process exits.
Pool& ThePool() {
    static Pool* pool = new Pool;
    return *pool;
}

std::vector<int16_t> TakeFree() {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (pool.free.empty()) return {};
    std::vector<int16_t> buffer = std::move(pool.free.back());
    pool.free.pop_back();
    return buffer;
}

}  // namespace

std::vector<int16_t> AcquireSampleBuffer(std::size_t count) {
    std::vector<int16_t> buffer = TakeFree();
    buffer.resize(count);
    return buffer;
}

std::vector<int16_t> AcquireSilentBuffer(std::size_t count) {
    std::vector<int16_t> buffer = TakeFree();
    buffer.assign(count, 0);
    return buffer;
}

void RecycleSampleBuffer(std::vector<int16_t>& buffer) {
    std::vector<int16_t> taken = std::move(buffer);
    buffer.clear();
    if (taken.capacity() == 0 || taken.capacity() > kMaxPooledSamples) return;
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (pool.free.size() < kMaxPooled) pool.free.push_back(std::move(taken));
}

std::size_t PooledSampleBuffers() {
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    return pool.free.size();
}
