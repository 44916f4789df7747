// The framework's growable array. Storage grows by a step (the grow-by
// when one is set, otherwise 4 while the array holds fewer than 32
// elements, count / 8 up to 8199 and 1024 beyond), except the first
// allocation, which is exactly what is asked for (or the grow-by, if
// larger). Every slot of the storage holds a value-initialised element, so
// slots obtained by growth read as zero. An allocation failure keeps the
// old storage and reports false (or -1 from Add).
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "core/SString.h"

namespace ORIEL {

template <class T>
class SArray {
 public:
  explicit SArray(int growBy = 0) : m_nGrowBy(growBy > 0 ? growBy : 0) {}
  SArray(const SArray& other) { Copy(other); }
  SArray& operator=(const SArray& other) {
    if (this != &other) Copy(other);
    return *this;
  }
  ~SArray() { FreeData(); }

  int GetCount() const { return m_nCount; }
  int GetSize() const { return m_nCount; }
  bool IsEmpty() const { return m_nCount == 0; }
  int GetCapacity() const { return m_nCapacity; }
  T* GetData() { return m_pData; }
  const T* GetData() const { return m_pData; }

  T& operator[](int i) {
    assert(i >= 0 && i < m_nCount);
    return m_pData[i];
  }
  const T& operator[](int i) const {
    assert(i >= 0 && i < m_nCount);
    return m_pData[i];
  }
  T& GetAt(int i) { return (*this)[i]; }
  const T& GetAt(int i) const { return (*this)[i]; }
  void SetAt(int i, const T& value) { (*this)[i] = value; }

  // Room for at least n elements.
  bool EnsureCapacity(int n) {
    if (n <= m_nCapacity) return true;
    int newCapacity;
    if (m_pData) {
      int step = m_nGrowBy;
      if (step == 0) step = m_nCount < 32 ? 4 : (m_nCount > 8199 ? 1024 : m_nCount / 8);
      newCapacity = std::max(n, m_nCapacity + step);
    } else {
      newCapacity = std::max(n, m_nGrowBy);
    }
    return Reallocate(newCapacity);
  }

  // Appends a value; its index, or -1 when the array cannot grow.
  int Add(const T& value) {
    if (m_nCount == m_nCapacity) {
      T copy(value);  // the value may live in this array's storage
      if (!EnsureCapacity(m_nCount + 1)) return -1;
      m_pData[m_nCount] = std::move(copy);
    } else {
      m_pData[m_nCount] = value;
    }
    return m_nCount++;
  }

  // A grow-by other than -1 replaces the stored one. n = 0 frees the
  // storage; otherwise the count becomes n (slots below the capacity keep
  // what they held).
  bool SetSize(int n, int growBy = -1) {
    if (growBy != -1) m_nGrowBy = growBy > 0 ? growBy : 0;
    if (n <= 0) {
      FreeData();
      return true;
    }
    if (!EnsureCapacity(n)) return false;
    m_nCount = n;
    return true;
  }
  void RemoveAll() { SetSize(0); }
  void FreeData() {
    DestroyStorage(m_pData, m_nCapacity);
    m_pData = nullptr;
    m_nCount = 0;
    m_nCapacity = 0;
  }

  // Inserts n copies of value at index, moving later elements up; an index
  // beyond the end first grows the array to it.
  bool InsertAt(int index, const T& value, int n = 1) {
    if (index < 0 || n <= 0) return false;
    T copy(value);
    if (index >= m_nCount) {
      if (!SetSize(index + n)) return false;
    } else {
      if (!EnsureCapacity(m_nCount + n)) return false;
      std::move_backward(m_pData + index, m_pData + m_nCount, m_pData + m_nCount + n);
      m_nCount += n;
    }
    std::fill(m_pData + index, m_pData + index + n, copy);
    return true;
  }
  // Removes n elements at index, moving later elements down.
  bool RemoveAt(int index, int n = 1) {
    if (index < 0 || n < 0 || index > m_nCount - n) return false;
    std::move(m_pData + index + n, m_pData + m_nCount, m_pData + index);
    std::fill(m_pData + m_nCount - n, m_pData + m_nCount, T());
    m_nCount -= n;
    return true;
  }
  int Find(const T& value) const {
    for (int i = 0; i < m_nCount; ++i) {
      if (m_pData[i] == value) return i;
    }
    return -1;
  }

 private:
  bool Reallocate(int newCapacity) {
    if (newCapacity <= 0 || static_cast<size_t>(newCapacity) > SIZE_MAX / sizeof(T)) return false;
    T* fresh = static_cast<T*>(SMemCalloc(static_cast<size_t>(newCapacity), sizeof(T)));
    if (!fresh) return false;
    if constexpr (std::is_trivially_copyable_v<T>) {
      if (m_nCount > 0) std::copy_n(m_pData, m_nCount, fresh);
      // calloc's zeros are the value-initialised elements
    } else {
      for (int i = 0; i < m_nCount; ++i) new (fresh + i) T(std::move(m_pData[i]));
      for (int i = m_nCount; i < newCapacity; ++i) new (fresh + i) T();
    }
    DestroyStorage(m_pData, m_nCapacity);
    m_pData = fresh;
    m_nCapacity = newCapacity;
    return true;
  }
  static void DestroyStorage(T* data, int capacity) {
    if (!data) return;
    if constexpr (!std::is_trivially_destructible_v<T>) {
      for (int i = 0; i < capacity; ++i) data[i].~T();
    }
    SMemFree(data);
  }
  void Copy(const SArray& other) {
    FreeData();
    m_nGrowBy = other.m_nGrowBy;
    if (other.m_nCount > 0 && EnsureCapacity(other.m_nCount)) {
      std::copy_n(other.m_pData, other.m_nCount, m_pData);
      m_nCount = other.m_nCount;
    }
  }

  T* m_pData = nullptr;
  int m_nCount = 0;
  int m_nCapacity = 0;
  int m_nGrowBy = 0;
};

// An array of strings; destroying it releases every string.
using SStringWArray = SArray<SStringW>;
using SStringAArray = SArray<SStringA>;

}  // namespace ORIEL

using ORIEL::SArray;
using ORIEL::SStringWArray;
using ORIEL::SStringAArray;
