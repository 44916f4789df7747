#pragma once
// Text in a buffer set aside in advance: what a crash handler writes with,
// where no allocation may happen. Appends past the end are cut off; the
// text stays NUL-terminated.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace trevalin {

class FixedText {
 public:
  FixedText(char* buffer, size_t capacity) : data_(buffer), capacity_(capacity) { clear(); }

  void clear() {
    size_ = 0;
    if (capacity_) data_[0] = '\0';
  }
  void append(const char* text, size_t length) {
    if (!capacity_) return;
    const size_t room = capacity_ - 1 - size_;
    if (length > room) length = room;
    memcpy(data_ + size_, text, length);
    size_ += length;
    data_[size_] = '\0';
  }
  void append(const char* text) { append(text, strlen(text)); }
  void append(char c) { append(&c, 1); }
  // Decimal, at least `width` digits (leading zeros).
  void appendUnsigned(unsigned long long value, int width = 0) {
    char digits[24];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value && n < 24);
    while (n < width && n < 24) digits[n++] = '0';
    while (n) append(digits[--n]);
  }
  // "0x" and lower-case hexadecimal digits, no padding.
  void appendHex(uintptr_t value) {
    char digits[16];
    int n = 0;
    do {
      digits[n++] = "0123456789abcdef"[value & 0xf];
      value >>= 4;
    } while (value);
    append("0x");
    while (n) append(digits[--n]);
  }

  const char* c_str() const { return data_; }
  size_t size() const { return size_; }
  bool full() const { return capacity_ == 0 || size_ + 1 >= capacity_; }

 private:
  char* data_;
  size_t capacity_;
  size_t size_ = 0;
};

}  // namespace trevalin
