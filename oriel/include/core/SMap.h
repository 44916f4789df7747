// The framework's chained hash map, and SCmnMap, the owning wrapper the
// framework's registries and pools derive from.
//
// A key's bucket is its 32-bit hash modulo the bucket count. The bucket
// array is made on the first insertion. When an insertion takes the count
// above bucket count × high threshold (truncated), and rehashing is not
// suspended, the map moves to the bucket count picked for the new count:
// count / optimal load, raised to the next entry of a table of primes
// (17 below 18, the value itself beyond the table). A removal that takes
// the count below bucket count × low threshold (0 when that is under 17)
// shrinks the same way, and removing the last element frees every node
// block. Nodes come from blocks like the list's; a node block or bucket
// array that cannot be allocated throws std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

#include "core/SPlex.h"
#include "core/SString.h"

namespace ORIEL {

// Hash and equality of map keys. Integers and enumerations hash to their
// value, pointers to their address folded to 32 bits, strings by
// h = h * 33 + c; any other key type supplies `uint32_t Hash() const` and
// operator==, or the map is given traits of its own.
template <class T>
struct SElementTraits {
  static uint32_t Hash(const T& v) {
    if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
      const auto u = static_cast<uint64_t>(v);
      return static_cast<uint32_t>(u) ^ static_cast<uint32_t>(u >> 32);
    } else if constexpr (std::is_pointer_v<T>) {
      const auto u = reinterpret_cast<uintptr_t>(v);
      return static_cast<uint32_t>(u) ^ static_cast<uint32_t>(static_cast<uint64_t>(u) >> 32);
    } else {
      return v.Hash();
    }
  }
  static bool CompareElements(const T& a, const T& b) { return a == b; }
};

namespace detail {
// count / optimal load raised to the next prime of the table.
unsigned PickMapBucketCount(size_t elements, float optimalLoad);
}  // namespace detail

template <class K, class V, class KTraits = SElementTraits<K>>
class SMap {
 public:
  class CPair {
   public:
    const K m_key;
    V m_value;

   protected:
    CPair(const K& key) : m_key(key), m_value() {}
  };

 private:
  class Node : public CPair {
   public:
    Node(const K& key, uint32_t hash) : CPair(key), m_nHash(hash), m_pNext(nullptr) {}
    uint32_t m_nHash;
    Node* m_pNext;
  };

 public:
  explicit SMap(unsigned bins = 17, float optimalLoad = 0.75f, float loThreshold = 0.25f,
                float hiThreshold = 2.25f, unsigned blockSize = 10)
      : m_nBins(bins > 0 ? bins : 17),
        m_fOptimalLoad(optimalLoad),
        m_fLoThreshold(loThreshold),
        m_fHiThreshold(hiThreshold),
        m_nBlockSize(blockSize > 0 ? blockSize : 10) {
    UpdateRehashThresholds();
  }
  SMap(const SMap&) = delete;
  SMap& operator=(const SMap&) = delete;
  ~SMap() { RemoveAll(); }

  size_t GetCount() const { return m_nElements; }
  bool IsEmpty() const { return m_nElements == 0; }
  unsigned GetHashTableSize() const { return m_nBins; }
  bool HasNodeBlocks() const { return m_pBlocks != nullptr; }

  // Rehashing is suspended while the lock count is above 0.
  void DisableAutoRehash() { ++m_nLockCount; }
  void EnableAutoRehash() {
    if (m_nLockCount > 0) --m_nLockCount;
  }
  bool IsLocked() const { return m_nLockCount != 0; }

  CPair* Lookup(const K& key) {
    uint32_t hash;
    unsigned bin;
    Node* prev;
    return Find(key, hash, bin, prev);
  }
  const CPair* Lookup(const K& key) const { return const_cast<SMap*>(this)->Lookup(key); }
  bool Lookup(const K& key, V& value) const {
    const CPair* pair = Lookup(key);
    if (pair) value = pair->m_value;
    return pair != nullptr;
  }

  // The value slot of key, creating the entry when it is missing.
  V& operator[](const K& key) { return SetAtKey(key)->m_value; }
  SPOSITION SetAt(const K& key, const V& value) {
    Node* node = SetAtKey(key);
    node->m_value = value;
    return Pos(node);
  }

  bool RemoveKey(const K& key) {
    uint32_t hash;
    unsigned bin;
    Node* prev;
    Node* node = Find(key, hash, bin, prev);
    if (!node) return false;
    (prev ? prev->m_pNext : m_ppBins[bin]) = node->m_pNext;
    FreeNode(node);
    return true;
  }
  void RemoveAtPos(SPOSITION pos) {
    Node* node = NodeOf(pos);
    const unsigned bin = node->m_nHash % m_nBins;
    Node* prev = nullptr;
    for (Node* n = m_ppBins[bin]; n != node; n = n->m_pNext) prev = n;
    (prev ? prev->m_pNext : m_ppBins[bin]) = node->m_pNext;
    FreeNode(node);
  }

  // Drops every entry, the bucket array and every node block.
  void RemoveAll() {
    if (m_ppBins) {
      for (unsigned i = 0; i < m_nBins; ++i) {
        for (Node* n = m_ppBins[i]; n;) {
          Node* next = n->m_pNext;
          n->~Node();
          n = next;
        }
      }
      SMemFree(m_ppBins);
      m_ppBins = nullptr;
    }
    if (m_pBlocks) m_pBlocks->FreeDataChain();
    m_pBlocks = nullptr;
    m_pFree = nullptr;
    m_nElements = 0;
    if (!IsLocked()) {
      m_nBins = detail::PickMapBucketCount(0, m_fOptimalLoad);
      UpdateRehashThresholds();
    }
  }

  // Moves the entries to bins buckets (0: the count picked for the
  // current number of entries).
  void Rehash(unsigned bins = 0) {
    if (bins == 0) bins = detail::PickMapBucketCount(m_nElements, m_fOptimalLoad);
    if (bins == m_nBins) return;
    if (!m_ppBins) {
      m_nBins = bins;
      UpdateRehashThresholds();
      return;
    }
    Node** fresh = static_cast<Node**>(SMemCalloc(bins, sizeof(Node*)));
    if (!fresh) return;  // keep the old buckets: lookups stay right
    for (unsigned i = 0; i < m_nBins; ++i) {
      for (Node* n = m_ppBins[i]; n;) {
        Node* next = n->m_pNext;
        const unsigned to = n->m_nHash % bins;
        n->m_pNext = fresh[to];
        fresh[to] = n;
        n = next;
      }
    }
    SMemFree(m_ppBins);
    m_ppBins = fresh;
    m_nBins = bins;
    UpdateRehashThresholds();
  }

  // Iteration in bucket order.
  SPOSITION GetStartPosition() const { return Pos(FirstFrom(0)); }
  CPair* GetNext(SPOSITION& pos) {
    Node* node = NodeOf(pos);
    pos = Pos(Following(node));
    return node;
  }
  const CPair* GetNext(SPOSITION& pos) const {
    Node* node = NodeOf(pos);
    pos = Pos(Following(node));
    return node;
  }
  void GetNextAssoc(SPOSITION& pos, K& key, V& value) const {
    const CPair* pair = GetNext(pos);
    key = pair->m_key;
    value = pair->m_value;
  }
  const K& GetKeyAt(SPOSITION pos) const { return NodeOf(pos)->m_key; }
  V& GetValueAt(SPOSITION pos) { return NodeOf(pos)->m_value; }

 private:
  static SPOSITION Pos(Node* node) { return reinterpret_cast<SPOSITION>(node); }
  static Node* NodeOf(SPOSITION pos) { return reinterpret_cast<Node*>(pos); }

  void UpdateRehashThresholds() {
    m_nHiRehashThreshold = static_cast<size_t>(m_fHiThreshold * m_nBins);
    size_t lo = static_cast<size_t>(m_fLoThreshold * m_nBins);
    m_nLoRehashThreshold = lo < 17 ? 0 : lo;
  }

  Node* Find(const K& key, uint32_t& hash, unsigned& bin, Node*& prev) const {
    hash = KTraits::Hash(key);
    bin = hash % m_nBins;
    prev = nullptr;
    if (!m_ppBins) return nullptr;
    for (Node* n = m_ppBins[bin]; n; prev = n, n = n->m_pNext) {
      if (n->m_nHash == hash && KTraits::CompareElements(n->m_key, key)) return n;
    }
    return nullptr;
  }

  Node* SetAtKey(const K& key) {
    uint32_t hash;
    unsigned bin;
    Node* prev;
    if (Node* found = Find(key, hash, bin, prev)) return found;
    if (!m_ppBins) {
      m_ppBins = static_cast<Node**>(SMemCalloc(m_nBins, sizeof(Node*)));
      if (!m_ppBins) throw std::bad_alloc();
    }
    Node* node = NewNode(key, hash);
    node->m_pNext = m_ppBins[bin];
    m_ppBins[bin] = node;
    ++m_nElements;
    if (m_nElements > m_nHiRehashThreshold && !IsLocked()) Rehash(detail::PickMapBucketCount(m_nElements, m_fOptimalLoad));
    return node;
  }

  Node* NewNode(const K& key, uint32_t hash) {
    if (!m_pFree) {
      SPlex* block = SPlex::Create(m_pBlocks, m_nBlockSize, sizeof(Node));
      if (!block) throw std::bad_alloc();
      auto* raw = static_cast<unsigned char*>(block->data());
      for (unsigned i = m_nBlockSize; i-- > 0;) {
        auto* slot = reinterpret_cast<FreeSlot*>(raw + i * sizeof(Node));
        slot->next = m_pFree;
        m_pFree = slot;
      }
    }
    FreeSlot* slot = m_pFree;
    FreeSlot* nextFree = slot->next;
    Node* node = new (slot) Node(key, hash);  // may throw: the slot stays free
    m_pFree = nextFree;
    return node;
  }

  void FreeNode(Node* node) {
    node->~Node();
    auto* slot = reinterpret_cast<FreeSlot*>(node);
    slot->next = m_pFree;
    m_pFree = slot;
    --m_nElements;
    if (m_nElements == 0) {
      // The buckets stay; every node block goes.
      if (m_pBlocks) m_pBlocks->FreeDataChain();
      m_pBlocks = nullptr;
      m_pFree = nullptr;
    }
    if (m_nElements < m_nLoRehashThreshold && !IsLocked()) Rehash(detail::PickMapBucketCount(m_nElements, m_fOptimalLoad));
  }

  Node* FirstFrom(unsigned bin) const {
    if (!m_ppBins) return nullptr;
    for (; bin < m_nBins; ++bin) {
      if (m_ppBins[bin]) return m_ppBins[bin];
    }
    return nullptr;
  }
  Node* Following(Node* node) const { return node->m_pNext ? node->m_pNext : FirstFrom(node->m_nHash % m_nBins + 1); }

  struct FreeSlot {
    FreeSlot* next;
  };
  static_assert(sizeof(Node) >= sizeof(FreeSlot));

  Node** m_ppBins = nullptr;
  size_t m_nElements = 0;
  unsigned m_nBins;
  float m_fOptimalLoad;
  float m_fLoThreshold;
  float m_fHiThreshold;
  size_t m_nHiRehashThreshold = 0;
  size_t m_nLoRehashThreshold = 0;
  unsigned m_nLockCount = 0;
  unsigned m_nBlockSize;
  SPlex* m_pBlocks = nullptr;
  FreeSlot* m_pFree = nullptr;
};

// Owns one heap map from K to V made with the framework's parameters (17
// buckets, loads 0.75 / 0.25 / 2.25, node blocks of 10) and an optional
// release function, which gets each value before it leaves the map:
// on removal, on clearing and when the wrapper is destroyed.
template <class V, class K, class KTraits = SElementTraits<K>>
class SCmnMap {
 public:
  using MapType = SMap<K, V, KTraits>;
  using ReleaseFn = void (*)(const V&);

  explicit SCmnMap(ReleaseFn release = nullptr) : m_pMap(new MapType(17, 0.75f, 0.25f, 2.25f, 10)), m_fnRelease(release) {}
  SCmnMap(const SCmnMap&) = delete;
  SCmnMap& operator=(const SCmnMap&) = delete;
  virtual ~SCmnMap() {
    RemoveAll();
    delete m_pMap;
  }

  bool HasKey(const K& key) const { return m_pMap->Lookup(key) != nullptr; }
  bool GetKeyObject(const K& key, V& value) const { return m_pMap->Lookup(key, value); }
  V* FindKeyObject(const K& key) {
    auto* pair = m_pMap->Lookup(key);
    return pair ? &pair->m_value : nullptr;
  }
  // Stores the value under the key; a value already there is released first.
  void AddKeyObject(const K& key, const V& value) {
    if (auto* pair = m_pMap->Lookup(key)) {
      if (m_fnRelease) m_fnRelease(pair->m_value);
      pair->m_value = value;
      return;
    }
    m_pMap->SetAt(key, value);
  }
  bool RemoveKeyObject(const K& key) {
    auto* pair = m_pMap->Lookup(key);
    if (!pair) return false;
    if (m_fnRelease) m_fnRelease(pair->m_value);
    return m_pMap->RemoveKey(key);
  }
  void RemoveAll() {
    if (m_fnRelease) {
      for (SPOSITION pos = m_pMap->GetStartPosition(); pos;) m_fnRelease(m_pMap->GetNext(pos)->m_value);
    }
    m_pMap->RemoveAll();
  }
  size_t GetCount() const { return m_pMap->GetCount(); }
  MapType* GetMapPtr() { return m_pMap; }
  const MapType* GetMapPtr() const { return m_pMap; }

 protected:
  MapType* m_pMap;
  ReleaseFn m_fnRelease;
};

}  // namespace ORIEL

using ORIEL::SCmnMap;
using ORIEL::SElementTraits;
using ORIEL::SMap;
