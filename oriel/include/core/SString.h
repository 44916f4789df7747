// The framework's copy-on-write string, TStringT, in its wide (SStringW) and
// narrow (SStringA) forms.
//
// A string is one pointer to the characters of a heap block that starts
// with a header (reference count, length, capacity). Copies share the block
// and only bump the count; anything that writes first makes the block
// private. Every allocation is exactly as large as the text it is made for.
// All empty strings point at one static block whose count is -1, so making
// a string empty never allocates and that block is never freed. Counts are
// changed atomically, so strings can be copied and dropped on any thread;
// the characters of one block belong to one thread at a time.
#pragma once

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/SStringTraits.h"

namespace ORIEL {

// The framework's allocation wrappers; string blocks come from these only.
inline void* SMemMalloc(size_t size) { return malloc(size); }
inline void* SMemCalloc(size_t count, size_t size) { return calloc(count, size); }
inline void* SMemRealloc(void* p, size_t size) { return realloc(p, size); }
inline void SMemFree(void* p) { free(p); }

struct TStringData {
  int32_t nRefs;        // negative: the block must not be shared
  int32_t nDataLength;  // characters in use, terminator not counted
  int32_t nAllocLength; // characters the block holds, terminator not counted
  void* data() { return this + 1; }
};

// The one empty block: wide enough for the terminator of either form.
struct TStringEmptyBlock {
  TStringData header;
  wchar_t terminator;
};
extern TStringEmptyBlock g_stringEmptyBlock;

template <class C, class Traits>
class TStringT {
 public:
  using Char = C;

  TStringT() { Init(); }
  TStringT(const C* text) {  // NOLINT: implicit, as callers pass literals
    Init();
    const size_t n = Traits::Length(text);
    if (n > 0) AllocCopy(text, n);
  }
  // n < 0 copies up to the terminator.
  TStringT(const C* text, int n) {
    Init();
    if (n < 0) n = static_cast<int>(std::min<size_t>(Traits::Length(text), kMaxLength));
    if (n > 0 && text) AllocCopy(text, static_cast<size_t>(n));
  }
  TStringT(C ch, int repeat) {
    Init();
    if (repeat > 0 && AllocBuffer(repeat)) {
      std::fill_n(m_pszData, repeat, ch);
    }
  }
  TStringT(const TStringT& other) {
    TStringData* src = other.GetData();
    if (Refs(src) >= 0) {
      AddRef(src);
      m_pszData = other.m_pszData;
    } else {
      Init();
      if (src->nDataLength > 0) AllocCopy(other.m_pszData, src->nDataLength);
    }
  }
  TStringT(TStringT&& other) noexcept : m_pszData(other.m_pszData) { other.Init(); }
  ~TStringT() { Release(GetData()); }

  TStringT& operator=(const TStringT& other) {
    TStringData* mine = GetData();
    TStringData* src = other.GetData();
    if (mine == src) return *this;
    if ((Refs(mine) < 0 && mine != EmptyData()) || Refs(src) < 0) {
      AssignN(other.m_pszData, src->nDataLength);
    } else {
      AddRef(src);
      Release(mine);
      m_pszData = other.m_pszData;
    }
    return *this;
  }
  TStringT& operator=(TStringT&& other) noexcept {
    if (this != &other) {
      Release(GetData());
      m_pszData = other.m_pszData;
      other.Init();
    }
    return *this;
  }
  // Copies first, so assigning a piece of this string's own text is safe.
  TStringT& operator=(const C* text) {
    TStringT copy(text);
    AssignN(copy.m_pszData, copy.GetLength());
    return *this;
  }

  int GetLength() const { return GetData()->nDataLength; }
  bool IsEmpty() const { return GetData()->nDataLength == 0; }
  const C* c_str() const { return m_pszData; }
  operator const C*() const { return m_pszData; }  // NOLINT: as the framework passes it
  C GetAt(int i) const { return (i >= 0 && i < GetLength()) ? m_pszData[i] : C(0); }
  C operator[](int i) const { return GetAt(i); }
  void SetAt(int i, C ch) {
    if (i < 0 || i >= GetLength()) return;
    CopyBeforeWrite();
    m_pszData[i] = ch;
  }
  // Sharing state, for callers that must know whether a write would copy.
  int GetRefCount() const { return Refs(GetData()); }
  int GetAllocLength() const { return GetData()->nAllocLength; }

  void Empty() {
    TStringData* d = GetData();
    if (d == EmptyData()) return;
    if (Refs(d) < 0) {
      d->nDataLength = 0;
      m_pszData[0] = 0;
      return;
    }
    Release(d);
    Init();
  }

  // Writable characters for at least n characters, private to this string;
  // null when the block cannot be allocated.
  C* GetBuffer(int n) {
    if (n < 0) n = 0;
    TStringData* d = GetData();
    if (Refs(d) > 1 || d->nAllocLength < n) {
      return PrepareWrite(std::max(n, d->nDataLength));
    }
    return m_pszData;
  }
  // Ends a GetBuffer: the length becomes n, or the length of the
  // terminated text when n is -1 (never beyond the block's capacity).
  void ReleaseBuffer(int n = -1) {
    CopyBeforeWrite();
    TStringData* d = GetData();
    if (d == EmptyData()) return;
    const int cap = d->nAllocLength;
    if (n < 0) {
      n = 0;
      while (n < cap && m_pszData[n] != 0) ++n;
    }
    n = std::min(n, cap);
    d->nDataLength = n;
    m_pszData[n] = 0;
  }
  // GetBuffer (n), then the length is n.
  C* ResizeBuffer(int n) {
    if (n <= 0) {
      Empty();
      return m_pszData;
    }
    C* p = GetBuffer(n);
    if (!p) return nullptr;
    GetData()->nDataLength = n;
    p[n] = 0;
    return p;
  }

  TStringT Left(int n) const { return Mid(0, n); }
  TStringT Right(int n) const {
    const int len = GetLength();
    if (n < 0) n = 0;
    if (n >= len) return *this;
    return TStringT(m_pszData + len - n, n);
  }
  TStringT Mid(int start) const { return Mid(start, GetLength()); }
  TStringT Mid(int start, int n) const {
    const int len = GetLength();
    if (start < 0) start = 0;
    if (n < 0) n = 0;
    if (start >= len || n == 0) return TStringT();
    if (n > len - start) n = len - start;
    if (start == 0 && n == len) return *this;
    return TStringT(m_pszData + start, n);
  }

  // Removes line feeds, carriage returns, blanks and tabs at both ends.
  TStringT& Trim() { return TrimRight().TrimLeft(); }
  TStringT& TrimLeft() {
    const int len = GetLength();
    int i = 0;
    while (i < len && IsTrimmed(m_pszData[i])) ++i;
    if (i > 0) AssignFromOwn(i, len - i);
    return *this;
  }
  TStringT& TrimRight() {
    int len = GetLength();
    while (len > 0 && IsTrimmed(m_pszData[len - 1])) --len;
    if (len < GetLength()) AssignFromOwn(0, len);
    return *this;
  }

  TStringT& MakeLower() {
    CopyBeforeWrite();
    if (!IsEmpty()) Traits::Lower(m_pszData);
    return *this;
  }
  TStringT& MakeUpper() {
    CopyBeforeWrite();
    if (!IsEmpty()) Traits::Upper(m_pszData);
    return *this;
  }

  // Index of the first occurrence at or after start; -1 when absent or
  // when start lies beyond the text.
  int Find(const C* sub, int start = 0) const {
    const int len = GetLength();
    if (start < 0) start = 0;
    if (start > len || !sub) return -1;
    const C* hit = Traits::FindString(m_pszData + start, sub);
    return hit ? static_cast<int>(hit - m_pszData) : -1;
  }
  int Find(C ch, int start = 0) const {
    const int len = GetLength();
    if (start < 0) start = 0;
    for (int i = start; i < len; ++i) {
      if (m_pszData[i] == ch) return i;
    }
    return -1;
  }
  int ReverseFind(C ch) const {
    for (int i = GetLength() - 1; i >= 0; --i) {
      if (m_pszData[i] == ch) return i;
    }
    return -1;
  }
  // Replaces every occurrence; returns how many were replaced.
  int Replace(C from, C to) {
    int count = 0;
    for (int i = 0; i < GetLength(); ++i) {
      if (m_pszData[i] == from) {
        if (count++ == 0) CopyBeforeWrite();
        m_pszData[i] = to;
      }
    }
    return count;
  }
  int Replace(const C* from, const C* to) {
    const int fromLen = static_cast<int>(Traits::Length(from));
    if (fromLen == 0) return 0;
    const int toLen = static_cast<int>(Traits::Length(to));
    TStringT result;
    int count = 0;
    int pos = 0;
    for (int hit = Find(from, 0); hit >= 0; hit = Find(from, pos)) {
      result.AppendN(m_pszData + pos, hit - pos);
      result.AppendN(to, toLen);
      pos = hit + fromLen;
      ++count;
    }
    if (count > 0) {
      result.AppendN(m_pszData + pos, GetLength() - pos);
      *this = result;
    }
    return count;
  }

  int Compare(const C* other) const { return Traits::Compare(m_pszData, other ? other : EmptyChars()); }
  int CompareNoCase(const C* other) const {
    return Traits::CompareNoCase(m_pszData, other ? other : EmptyChars());
  }

  TStringT& Append(const C* text) { return AppendN(text, static_cast<int>(Traits::Length(text))); }
  TStringT& Append(const TStringT& text) { return AppendN(text.m_pszData, text.GetLength()); }
  // Grows to exactly the new length (no reserve), as every write does.
  TStringT& AppendN(const C* text, int n) {
    if (!text || n <= 0) return *this;
    if (IsEmpty()) {
      TStringT copy(text, n);
      *this = copy;
      return *this;
    }
    const int len = GetLength();
    if (n > kMaxLength - len) return *this;
    TStringT copy(text, n);  // the text may lie inside this string's block
    if (!PrepareWrite(len + n)) return *this;
    std::copy_n(copy.m_pszData, n, m_pszData + len);
    return *this;
  }
  TStringT& operator+=(const C* text) { return Append(text); }
  TStringT& operator+=(const TStringT& text) { return Append(text); }
  TStringT& operator+=(C ch) { return AppendN(&ch, 1); }

  // Builds the value from a format in the Windows runtime's dialect and
  // returns a copy. A null or empty format, a refused format or a text of
  // no characters leaves the string empty.
  TStringT Format(const C* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
    return *this;
  }
  TStringT& FormatV(const C* format, va_list args) {
    if (!format || !*format) {
      Empty();
      return *this;
    }
    C* buffer = nullptr;
    const int count = FormatAlloc(&buffer, format, args);
    if (count <= 0) {
      SMemFree(buffer);
      Empty();
      return *this;
    }
    AssignN(buffer, count);
    SMemFree(buffer);
    return *this;
  }
  TStringT& AppendFormat(const C* format, ...) {
    va_list args;
    va_start(args, format);
    TStringT piece;
    piece.FormatV(format, args);
    va_end(args);
    return Append(piece);
  }
  // Counts, allocates count + 1 characters and formats into them. Returns
  // the count (negative when refused); the caller frees *out with SMemFree.
  static int FormatAlloc(C** out, const C* format, va_list args) {
    *out = nullptr;
    va_list counting;
    va_copy(counting, args);
    const int count = Traits::CountFormat(format, counting);
    va_end(counting);
    if (count < 0) return -1;
    C* buffer = static_cast<C*>(SMemMalloc((static_cast<size_t>(count) + 1) * sizeof(C)));
    if (!buffer) return -1;
    va_list writing;
    va_copy(writing, args);
    const int written = Traits::FormatInto(buffer, static_cast<size_t>(count) + 1, format, writing);
    va_end(writing);
    *out = buffer;
    return written == count ? count : -1;
  }

  friend TStringT operator+(const TStringT& a, const TStringT& b) {
    return Concat(a.m_pszData, a.GetLength(), b.m_pszData, b.GetLength());
  }
  friend TStringT operator+(const TStringT& a, const C* b) {
    return Concat(a.m_pszData, a.GetLength(), b, static_cast<int>(Traits::Length(b)));
  }
  friend TStringT operator+(const C* a, const TStringT& b) {
    return Concat(a, static_cast<int>(Traits::Length(a)), b.m_pszData, b.GetLength());
  }
  friend TStringT operator+(const TStringT& a, C b) { return Concat(a.m_pszData, a.GetLength(), &b, 1); }

  friend bool operator==(const TStringT& a, const TStringT& b) {
    return a.GetLength() == b.GetLength() && a.Compare(b.m_pszData) == 0;
  }
  friend bool operator==(const TStringT& a, const C* b) { return a.Compare(b) == 0; }
  friend bool operator==(const C* a, const TStringT& b) { return b.Compare(a) == 0; }
  friend bool operator!=(const TStringT& a, const TStringT& b) { return !(a == b); }
  friend bool operator!=(const TStringT& a, const C* b) { return !(a == b); }
  friend bool operator!=(const C* a, const TStringT& b) { return !(a == b); }
  friend bool operator<(const TStringT& a, const TStringT& b) { return a.Compare(b.m_pszData) < 0; }
  friend bool operator>(const TStringT& a, const TStringT& b) { return a.Compare(b.m_pszData) > 0; }
  friend bool operator<=(const TStringT& a, const TStringT& b) { return a.Compare(b.m_pszData) <= 0; }
  friend bool operator>=(const TStringT& a, const TStringT& b) { return a.Compare(b.m_pszData) >= 0; }

  // h = h * 33 + c over the characters, from 0: the key hash of the maps.
  uint32_t Hash() const {
    uint32_t h = 0;
    for (int i = 0; i < GetLength(); ++i) h = h * 33 + static_cast<uint32_t>(m_pszData[i]);
    return h;
  }

 private:
  static constexpr int kMaxLength =
      static_cast<int>((INT32_MAX - sizeof(TStringData)) / sizeof(C)) - 1;

  static TStringData* EmptyData() { return &g_stringEmptyBlock.header; }
  static C* EmptyChars() { return static_cast<C*>(EmptyData()->data()); }
  // Counts are read and changed atomically: other strings sharing the block
  // may copy or drop it at the same time.
  static int32_t Refs(TStringData* d) {
    return std::atomic_ref<int32_t>(d->nRefs).load(std::memory_order_acquire);
  }
  static void AddRef(TStringData* d) { std::atomic_ref<int32_t>(d->nRefs).fetch_add(1, std::memory_order_relaxed); }
  static bool IsTrimmed(C ch) { return ch == 10 || ch == 13 || ch == 32 || ch == 9; }
  TStringData* GetData() const { return reinterpret_cast<TStringData*>(m_pszData) - 1; }
  void Init() { m_pszData = EmptyChars(); }

  static void Release(TStringData* d) {
    if (d == EmptyData()) return;
    if (std::atomic_ref<int32_t>(d->nRefs).fetch_sub(1, std::memory_order_acq_rel) <= 1) SMemFree(d);
  }

  // A fresh private block of exactly n characters (n > 0), terminated;
  // on failure the string is left empty.
  bool AllocBuffer(int n) {
    if (n <= 0 || n > kMaxLength) {
      Init();
      return false;
    }
    auto* d = static_cast<TStringData*>(
        SMemMalloc(sizeof(TStringData) + (static_cast<size_t>(n) + 1) * sizeof(C)));
    if (!d) {
      Init();
      return false;
    }
    d->nRefs = 1;
    d->nDataLength = n;
    d->nAllocLength = n;
    m_pszData = static_cast<C*>(d->data());
    m_pszData[n] = 0;
    return true;
  }
  void AllocCopy(const C* text, size_t n) {
    if (n > static_cast<size_t>(kMaxLength)) return;
    if (AllocBuffer(static_cast<int>(n))) std::copy_n(text, n, m_pszData);
  }

  // n characters into this string: the own block is kept when unshared and
  // large enough, otherwise an exact block replaces it.
  void AssignN(const C* text, int n) {
    if (n <= 0 || !text) {
      Empty();
      return;
    }
    TStringData* d = GetData();
    if (d != EmptyData() && Refs(d) <= 1 && d->nAllocLength >= n) {
      std::memmove(m_pszData, text, static_cast<size_t>(n) * sizeof(C));
      d->nDataLength = n;
      m_pszData[n] = 0;
      return;
    }
    TStringT fresh(text, n);
    if (fresh.IsEmpty()) {  // allocation failed
      Empty();
      return;
    }
    Release(d);
    m_pszData = fresh.m_pszData;
    fresh.Init();
  }
  void AssignFromOwn(int start, int n) {
    if (n <= 0) {
      Empty();
      return;
    }
    TStringT piece(m_pszData + start, n);
    *this = std::move(piece);
  }

  // Makes the block private with length n; the first min(n, old length)
  // characters are kept, new ones are zero. Null (and the string empty)
  // when no block can be had.
  C* PrepareWrite(int n) {
    TStringData* d = GetData();
    if (n <= 0) {
      Empty();
      return m_pszData;
    }
    if (n > kMaxLength) {
      Empty();
      return nullptr;
    }
    const int oldLength = d->nDataLength;
    const size_t bytes = sizeof(TStringData) + (static_cast<size_t>(n) + 1) * sizeof(C);
    if (d != EmptyData() && Refs(d) <= 1) {
      auto* grown = static_cast<TStringData*>(SMemRealloc(d, bytes));
      if (!grown) {
        SMemFree(d);
        Init();
        return nullptr;
      }
      d = grown;
    } else {
      auto* fresh = static_cast<TStringData*>(SMemMalloc(bytes));
      if (!fresh) {
        Release(d);
        Init();
        return nullptr;
      }
      std::copy_n(static_cast<C*>(d->data()), std::min(n, oldLength), static_cast<C*>(fresh->data()));
      Release(d);
      d = fresh;
      d->nRefs = 1;
    }
    m_pszData = static_cast<C*>(d->data());
    if (n > oldLength) std::fill(m_pszData + oldLength, m_pszData + n, C(0));
    d->nDataLength = n;
    d->nAllocLength = n;
    m_pszData[n] = 0;
    return m_pszData;
  }
  void CopyBeforeWrite() {
    TStringData* d = GetData();
    if (Refs(d) > 1) {
      TStringT copy(m_pszData, d->nDataLength);
      *this = std::move(copy);
    }
  }

  static TStringT Concat(const C* a, int na, const C* b, int nb) {
    TStringT result;
    if (!a) na = 0;
    if (!b) nb = 0;
    if (na < 0 || nb < 0 || na > kMaxLength - nb) return result;
    if (na + nb == 0 || !result.AllocBuffer(na + nb)) return result;
    std::copy_n(a, na, result.m_pszData);
    std::copy_n(b, nb, result.m_pszData + na);
    return result;
  }

  C* m_pszData;
};

extern template class TStringT<wchar_t, wchar_traits>;
extern template class TStringT<char, char_traits>;

using SStringW = TStringT<wchar_t, wchar_traits>;
using SStringA = TStringT<char, char_traits>;
using SStringT = SStringW;

}  // namespace ORIEL

using ORIEL::SStringA;
using ORIEL::SStringW;
using ORIEL::SStringT;
