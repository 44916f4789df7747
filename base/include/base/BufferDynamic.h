// A growable heap block of wide characters that always holds a terminated
// text. New buffers hold 260 characters and the empty text.
#pragma once

#include <cstdarg>
#include <cstdint>

class CBufferDynamic {
 public:
  CBufferDynamic();
  CBufferDynamic(const CBufferDynamic& other);
  CBufferDynamic& operator=(const CBufferDynamic& other);
  virtual ~CBufferDynamic();

  // A fresh block of count characters holding the empty text; the old
  // block is released. Returns the new block.
  virtual wchar_t* allocate(uint32_t count);

  // When count is not below the capacity, doubles the capacity until it
  // exceeds count and reallocates keeping the contents; then, when zeroFill
  // is set, zero-fills the whole block. Returns the block.
  wchar_t* grow(uint32_t count, bool zeroFill);
  // Releases the block and allocates a zero-filled one of count characters.
  wchar_t* resetSize(uint32_t count);
  // Reallocates (zero-filled) only when count is not below the capacity;
  // the capacity becomes count in every case. Returns the capacity before.
  uint32_t ensureSize(uint32_t count);

  // Fill printf-style (Windows wide dialect). The capacity becomes the
  // text's length plus 1. Returns the length, or -1 when the format is
  // refused; the text is then empty.
  int format(const wchar_t* fmt, ...);
  int formatV(const wchar_t* fmt, va_list args);

  uint32_t getCapacity() const { return capacity_; }
  uint32_t getCapacityBytes() const { return capacity_ * 2; }
  uint32_t getMaxLength() const { return capacity_ - 1; }
  wchar_t* getBuffer() const { return buffer_; }

 private:
  void release();
  static wchar_t* allocateBlock(uint32_t count, bool zeroFill);

  wchar_t* buffer_ = nullptr;
  uint32_t capacity_ = 0;
};
