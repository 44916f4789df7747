// The framework's doubly linked list. Nodes come from blocks of several
// (10 unless the owner says otherwise); a freed node goes back on a free
// list, and when a removal empties the list every block is freed, so an
// empty list holds no memory. A block that cannot be allocated throws
// std::bad_alloc: the list is left as it was.
#pragma once

#include <new>
#include <utility>

#include "core/SPlex.h"

namespace ORIEL {

template <class T>
class SList {
  struct Node {
    Node* pNext;
    Node* pPrev;
    T value;
  };

 public:
  explicit SList(unsigned blockSize = 10) : m_nBlockSize(blockSize > 0 ? blockSize : 10) {}
  SList(const SList&) = delete;
  SList& operator=(const SList&) = delete;
  ~SList() { RemoveAll(); }

  size_t GetCount() const { return m_nElements; }
  bool IsEmpty() const { return m_nElements == 0; }
  // Whether any node block is allocated (an empty list holds none).
  bool HasNodeBlocks() const { return m_pBlocks != nullptr; }

  SPOSITION GetHeadPosition() const { return Pos(m_pHead); }
  SPOSITION GetTailPosition() const { return Pos(m_pTail); }
  T& GetHead() { return m_pHead->value; }
  const T& GetHead() const { return m_pHead->value; }
  T& GetTail() { return m_pTail->value; }
  const T& GetTail() const { return m_pTail->value; }
  T& GetAt(SPOSITION pos) { return NodeOf(pos)->value; }
  const T& GetAt(SPOSITION pos) const { return NodeOf(pos)->value; }
  void SetAt(SPOSITION pos, const T& value) { NodeOf(pos)->value = value; }
  // The value at pos; pos moves to the next (or previous) node, null at the end.
  T& GetNext(SPOSITION& pos) {
    Node* node = NodeOf(pos);
    pos = Pos(node->pNext);
    return node->value;
  }
  const T& GetNext(SPOSITION& pos) const {
    Node* node = NodeOf(pos);
    pos = Pos(node->pNext);
    return node->value;
  }
  T& GetPrev(SPOSITION& pos) {
    Node* node = NodeOf(pos);
    pos = Pos(node->pPrev);
    return node->value;
  }

  SPOSITION AddTail(const T& value) { return Pos(InsertNode(m_pTail, nullptr, value)); }
  SPOSITION AddHead(const T& value) { return Pos(InsertNode(nullptr, m_pHead, value)); }
  SPOSITION InsertBefore(SPOSITION pos, const T& value) {
    if (!pos) return AddHead(value);
    Node* at = NodeOf(pos);
    return Pos(InsertNode(at->pPrev, at, value));
  }
  SPOSITION InsertAfter(SPOSITION pos, const T& value) {
    if (!pos) return AddTail(value);
    Node* at = NodeOf(pos);
    return Pos(InsertNode(at, at->pNext, value));
  }

  // Removes and returns the first (last) value; the list must not be empty.
  T RemoveHead() {
    Node* node = m_pHead;
    T value(std::move(node->value));
    RemoveNode(node);
    return value;
  }
  T RemoveTail() {
    Node* node = m_pTail;
    T value(std::move(node->value));
    RemoveNode(node);
    return value;
  }
  void RemoveAt(SPOSITION pos) { RemoveNode(NodeOf(pos)); }

  // Drops every node and frees every block.
  void RemoveAll() {
    for (Node* node = m_pHead; node; node = node->pNext) node->value.~T();
    if (m_pBlocks) m_pBlocks->FreeDataChain();
    m_pBlocks = nullptr;
    m_pHead = m_pTail = m_pFree = nullptr;
    m_nElements = 0;
  }

  // The first node after startAfter (from the head when null) holding value.
  SPOSITION Find(const T& value, SPOSITION startAfter = nullptr) const {
    Node* node = startAfter ? NodeOf(startAfter)->pNext : m_pHead;
    for (; node; node = node->pNext) {
      if (node->value == value) return Pos(node);
    }
    return nullptr;
  }
  SPOSITION FindIndex(size_t index) const {
    if (index >= m_nElements) return nullptr;
    Node* node = m_pHead;
    while (index--) node = node->pNext;
    return Pos(node);
  }

 private:
  static SPOSITION Pos(Node* node) { return reinterpret_cast<SPOSITION>(node); }
  static Node* NodeOf(SPOSITION pos) { return reinterpret_cast<Node*>(pos); }

  Node* InsertNode(Node* prev, Node* next, const T& value) {
    if (!m_pFree) {
      SPlex* block = SPlex::Create(m_pBlocks, m_nBlockSize, sizeof(Node));
      if (!block) throw std::bad_alloc();
      // Pushed last to first, so the block's first node is used first.
      Node* nodes = static_cast<Node*>(block->data());
      for (unsigned i = m_nBlockSize; i-- > 0;) {
        nodes[i].pNext = m_pFree;
        m_pFree = &nodes[i];
      }
    }
    Node* node = m_pFree;
    Node* nextFree = node->pNext;
    new (&node->value) T(value);  // may throw: the node stays on the free list
    m_pFree = nextFree;
    node->pPrev = prev;
    node->pNext = next;
    (prev ? prev->pNext : m_pHead) = node;
    (next ? next->pPrev : m_pTail) = node;
    ++m_nElements;
    return node;
  }

  void RemoveNode(Node* node) {
    (node->pPrev ? node->pPrev->pNext : m_pHead) = node->pNext;
    (node->pNext ? node->pNext->pPrev : m_pTail) = node->pPrev;
    node->value.~T();
    node->pNext = m_pFree;
    m_pFree = node;
    if (--m_nElements == 0) RemoveAll();
  }

  Node* m_pHead = nullptr;
  Node* m_pTail = nullptr;
  size_t m_nElements = 0;
  Node* m_pFree = nullptr;
  SPlex* m_pBlocks = nullptr;
  unsigned m_nBlockSize;
};

}  // namespace ORIEL

using ORIEL::SList;
using ORIEL::SPOSITION;
