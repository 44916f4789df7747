// The push/pop rules the style and template pool managers share: a pool
// is held with one reference per entry; null pops the newest, a given pool
// is searched oldest first and its first entry removed.
#pragma once

#include "core/SList.h"

namespace ORIEL {

template <class Pool>
void PoolStackPush(SList<Pool*>& pools, Pool* pool) {
  if (!pool) return;
  pools.AddTail(pool);
  pool->AddRef();
}

template <class Pool>
void PoolStackPop(SList<Pool*>& pools, Pool* pool) {
  if (pools.IsEmpty()) return;
  if (!pool) {
    pools.RemoveTail()->Release();
    return;
  }
  for (SPOSITION pos = pools.GetHeadPosition(); pos;) {
    SPOSITION here = pos;
    if (pools.GetNext(pos) == pool) {
      pools.RemoveAt(here);
      pool->Release();
      return;
    }
  }
}

template <class Pool>
void PoolStackClear(SList<Pool*>& pools) {
  for (SPOSITION pos = pools.GetHeadPosition(); pos;) pools.GetNext(pos)->Release();
  pools.RemoveAll();
}

}  // namespace ORIEL
