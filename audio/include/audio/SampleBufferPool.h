// Sample buffers of captured packets, used again instead of allocated anew:
// a recording passes two hundred blocks a second from the capture thread to
// the encoder, each in a buffer of its own that the encoder's side frees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A buffer of `count` samples, recycled when one is free; its contents are
// left as they were (the caller overwrites them).
std::vector<int16_t> AcquireSampleBuffer(std::size_t count);
// A buffer of `count` zero samples.
std::vector<int16_t> AcquireSilentBuffer(std::size_t count);
// Hands a buffer back for reuse; the pool keeps a bounded number and frees
// the rest. The vector is left empty.
void RecycleSampleBuffer(std::vector<int16_t>& buffer);
// How many buffers wait for reuse now (for tests).
std::size_t PooledSampleBuffers();
