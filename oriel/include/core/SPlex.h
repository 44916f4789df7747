// Node blocks shared by the list and the map: nodes are taken from blocks
// of several at a time and never returned to the heap one by one; a
// container frees its whole chain when it becomes empty.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ORIEL {

// An opaque iteration position of the list and the map.
typedef struct __SPOSITION {}* SPOSITION;

struct alignas(alignof(std::max_align_t)) SPlex {
  SPlex* pNext;

  void* data() { return this + 1; }

  // Allocates a block of count elements of elementSize bytes and links it
  // at the front of the chain. Null when count × elementSize overflows 32
  // bits or reaches 0xFFFFFFF8, or the heap refuses.
  static SPlex* Create(SPlex*& head, size_t count, size_t elementSize);
  // Frees this block and every block after it.
  void FreeDataChain();
};

}  // namespace ORIEL
