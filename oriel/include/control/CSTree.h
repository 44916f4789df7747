// A tree container: nodes hold a copy of their data and link to their
// parent, children and siblings. Node handles are opaque; three reserved
// handle values name the root and the two ends of a child list.
#pragma once

#include "win32/types.h"

namespace ORIEL {

using HSTREEITEM = ULONG_PTR;
constexpr HSTREEITEM STVI_ROOT = static_cast<HSTREEITEM>(-0x10000);
constexpr HSTREEITEM STVI_FIRST = static_cast<HSTREEITEM>(-0xFFFF);
constexpr HSTREEITEM STVI_LAST = static_cast<HSTREEITEM>(-0xFFFE);

template <class T>
class CSTree {
  struct Node {
    Node* parent = nullptr;
    Node* firstChild = nullptr;
    Node* lastChild = nullptr;
    Node* prev = nullptr;
    Node* next = nullptr;
    T data;
  };

 public:
  CSTree() = default;
  CSTree(const CSTree&) = delete;
  CSTree& operator=(const CSTree&) = delete;
  virtual ~CSTree() { DeleteAllItems(); }

  // Frees the node and everything below it and returns its next sibling;
  // the root handle empties the whole tree.
  virtual HSTREEITEM EraseNode(HSTREEITEM item) {
    if (item == STVI_ROOT) {
      for (Node* n = rootFirst_; n;) {
        Node* next = n->next;
        FreeSubtree(n);
        n = next;
      }
      rootFirst_ = rootLast_ = nullptr;
      return 0;
    }
    Node* node = ToNode(item);
    if (!node) return 0;
    Node* next = node->next;
    Node*& first = node->parent ? node->parent->firstChild : rootFirst_;
    Node*& last = node->parent ? node->parent->lastChild : rootLast_;
    if (node->prev) node->prev->next = node->next;
    else first = node->next;
    if (node->next) node->next->prev = node->prev;
    else last = node->prev;
    FreeSubtree(node);
    return ToHandle(next);
  }

  // Null when `after` is neither an end nor a child of `parent`.
  HSTREEITEM InsertItem(const T& data, HSTREEITEM parent = STVI_ROOT, HSTREEITEM after = STVI_LAST) {
    Node* p = parent == STVI_ROOT ? nullptr : ToNode(parent);
    Node*& first = p ? p->firstChild : rootFirst_;
    Node*& last = p ? p->lastChild : rootLast_;
    Node* prev = nullptr;
    if (after == STVI_FIRST) {
      prev = nullptr;
    } else if (after == STVI_LAST) {
      prev = last;
    } else {
      prev = ToNode(after);
      if (!prev || prev->parent != p) return 0;
    }
    Node* node = new Node;
    node->data = data;
    node->parent = p;
    node->prev = prev;
    node->next = prev ? prev->next : first;
    if (node->next) node->next->prev = node;
    else last = node;
    if (prev) prev->next = node;
    else first = node;
    return ToHandle(node);
  }

  void DeleteAllItems() { EraseNode(STVI_ROOT); }

  T& GetItem(HSTREEITEM item) { return ToNode(item)->data; }
  const T& GetItem(HSTREEITEM item) const { return ToNode(item)->data; }
  T* GetItemPt(HSTREEITEM item) { return item ? &ToNode(item)->data : nullptr; }
  HSTREEITEM GetParentItem(HSTREEITEM item) const { return item ? ToHandle(ToNode(item)->parent) : 0; }
  HSTREEITEM GetChildItem(HSTREEITEM item, bool first = true) const {
    if (item == STVI_ROOT) return ToHandle(first ? rootFirst_ : rootLast_);
    Node* n = ToNode(item);
    return n ? ToHandle(first ? n->firstChild : n->lastChild) : 0;
  }
  HSTREEITEM GetNextSiblingItem(HSTREEITEM item) const { return item ? ToHandle(ToNode(item)->next) : 0; }
  HSTREEITEM GetPrevSiblingItem(HSTREEITEM item) const { return item ? ToHandle(ToNode(item)->prev) : 0; }
  HSTREEITEM GetRootItem() const { return ToHandle(rootFirst_); }

  // Links the children of `parent` again in the given order; `order`
  // must hold exactly its current children.
  void RelinkChildren(HSTREEITEM parent, const HSTREEITEM* order, size_t count) {
    Node* p = parent == STVI_ROOT ? nullptr : ToNode(parent);
    Node*& first = p ? p->firstChild : rootFirst_;
    Node*& last = p ? p->lastChild : rootLast_;
    Node* prev = nullptr;
    for (size_t i = 0; i < count; ++i) {
      Node* n = ToNode(order[i]);
      n->prev = prev;
      if (prev) prev->next = n;
      else first = n;
      prev = n;
    }
    if (prev) prev->next = nullptr;
    last = prev;
  }

 protected:
  // Called with each node's data just before the node is freed.
  virtual void OnNodeFree(T&) {}

 private:
  static Node* ToNode(HSTREEITEM h) { return reinterpret_cast<Node*>(h); }
  static HSTREEITEM ToHandle(Node* n) { return reinterpret_cast<HSTREEITEM>(n); }
  void FreeSubtree(Node* node) {
    for (Node* c = node->firstChild; c;) {
      Node* next = c->next;
      FreeSubtree(c);
      c = next;
    }
    OnNodeFree(node->data);
    delete node;
  }

  Node* rootFirst_ = nullptr;
  Node* rootLast_ = nullptr;
};

}  // namespace ORIEL
