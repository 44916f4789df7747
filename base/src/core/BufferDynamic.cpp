#include "base/BufferDynamic.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <utility>

#include "base/FormatWString.h"

namespace {
constexpr uint32_t kInitialCapacity = 260;
}

wchar_t* CBufferDynamic::allocateBlock(uint32_t count, bool zeroFill) {
  // A block always has room for the terminator.
  const size_t chars = count == 0 ? 1 : count;
  void* block = zeroFill ? std::calloc(chars, sizeof(wchar_t)) : std::malloc(chars * sizeof(wchar_t));
  if (block == nullptr) throw std::bad_alloc();
  auto* text = static_cast<wchar_t*>(block);
  text[0] = L'\0';
  return text;
}

CBufferDynamic::CBufferDynamic() {
  buffer_ = allocateBlock(kInitialCapacity, false);
  capacity_ = kInitialCapacity;
}

CBufferDynamic::CBufferDynamic(const CBufferDynamic& other) {
  const size_t chars = other.capacity_ == 0 ? 1 : other.capacity_;
  buffer_ = allocateBlock(other.capacity_, false);
  std::memcpy(buffer_, other.buffer_, chars * sizeof(wchar_t));
  buffer_[chars - 1] = L'\0';
  capacity_ = other.capacity_;
}

CBufferDynamic& CBufferDynamic::operator=(const CBufferDynamic& other) {
  if (this != &other) {
    CBufferDynamic copy(other);
    std::swap(buffer_, copy.buffer_);
    std::swap(capacity_, copy.capacity_);
  }
  return *this;
}

CBufferDynamic::~CBufferDynamic() { release(); }

void CBufferDynamic::release() {
  std::free(buffer_);
  buffer_ = nullptr;
}

wchar_t* CBufferDynamic::allocate(uint32_t count) {
  wchar_t* block = allocateBlock(count, false);
  release();
  buffer_ = block;
  capacity_ = count;
  return buffer_;
}

wchar_t* CBufferDynamic::grow(uint32_t count, bool zeroFill) {
  if (count >= capacity_) {
    uint64_t next = capacity_ == 0 ? 1 : capacity_;
    do {
      next *= 2;
    } while (next <= count);
    if (next > UINT32_MAX) next = UINT32_MAX;
    void* block = std::realloc(buffer_, static_cast<size_t>(next) * sizeof(wchar_t));
    if (block == nullptr) throw std::bad_alloc();
    buffer_ = static_cast<wchar_t*>(block);
    capacity_ = static_cast<uint32_t>(next);
  }
  if (zeroFill) std::memset(buffer_, 0, static_cast<size_t>(capacity_) * sizeof(wchar_t));
  return buffer_;
}

wchar_t* CBufferDynamic::resetSize(uint32_t count) {
  release();
  buffer_ = allocateBlock(count, true);
  capacity_ = count;
  return buffer_;
}

uint32_t CBufferDynamic::ensureSize(uint32_t count) {
  const uint32_t before = capacity_;
  if (count >= capacity_) {
    release();
    buffer_ = allocateBlock(count, true);
  }
  capacity_ = count;
  return before;
}

int CBufferDynamic::format(const wchar_t* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  const int n = formatV(fmt, args);
  va_end(args);
  return n;
}

int CBufferDynamic::formatV(const wchar_t* fmt, va_list args) {
  std::wstring text;
  const bool ok = TryFormatWStringV(text, fmt, args);
  if (!ok) text.clear();
  const auto needed = static_cast<uint32_t>(text.size() + 1);
  if (needed >= capacity_) {
    release();
    buffer_ = allocateBlock(needed, true);
  }
  capacity_ = needed;
  std::wmemcpy(buffer_, text.c_str(), needed);
  return ok ? static_cast<int>(text.size()) : -1;
}
