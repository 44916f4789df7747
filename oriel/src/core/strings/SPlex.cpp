#include "core/SPlex.h"

#include "core/SString.h"

namespace ORIEL {

SPlex* SPlex::Create(SPlex*& head, size_t count, size_t elementSize) {
  const uint64_t bytes = static_cast<uint64_t>(count) * elementSize;
  if (count == 0 || elementSize == 0 || bytes / elementSize != count || bytes >= 0xFFFFFFF8u) return nullptr;
  auto* block = static_cast<SPlex*>(SMemMalloc(sizeof(SPlex) + static_cast<size_t>(bytes)));
  if (!block) return nullptr;
  block->pNext = head;
  head = block;
  return block;
}

void SPlex::FreeDataChain() {
  SPlex* block = this;
  while (block) {
    SPlex* next = block->pNext;
    SMemFree(block);
    block = next;
  }
}

}  // namespace ORIEL
