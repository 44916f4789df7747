// A stream over memory, for decoding from memory.
#include <cstring>
#include <exception>
#include <vector>

#include "gdiplus/gdiplus.h"

// kernel32's global memory lives in platform/win32. Referenced weakly, so
// binaries without it (the plug-ins) still link; a stream over an existing
// block then cannot be made.
extern LPVOID GlobalLock(HGLOBAL mem) __attribute__((weak));
extern BOOL GlobalUnlock(HGLOBAL mem) __attribute__((weak));
extern SIZE_T GlobalSize(HGLOBAL mem) __attribute__((weak));
extern HGLOBAL GlobalFree(HGLOBAL mem) __attribute__((weak));

namespace {

class MemoryStream final : public IStream {
 public:
  MemoryStream(std::vector<unsigned char> bytes, HGLOBAL mem, bool freeOnRelease)
      : bytes_(std::move(bytes)), mem_(mem), free_(freeOnRelease) {}
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG n = --refs_;
    if (n == 0) {
      if (free_ && mem_ && GlobalFree) GlobalFree(mem_);
      delete this;
    }
    return n;
  }
  HRESULT Read(void* buffer, ULONG bytes, ULONG* read) override {
    if (!buffer && bytes) return E_INVALIDARG;
    size_t avail = pos_ < bytes_.size() ? bytes_.size() - pos_ : 0;
    ULONG n = bytes < avail ? bytes : (ULONG)avail;
    if (n) memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    if (read) *read = n;
    return n == bytes ? S_OK : S_FALSE;
  }
  HRESULT Write(const void* buffer, ULONG bytes, ULONG* written) override {
    if (written) *written = 0;
    if (!buffer && bytes) return E_INVALIDARG;
    if (pos_ + bytes > bytes_.size()) {
      // The position may lie anywhere past the end; a block that cannot be
      // had is this call's failure, not the process's.
      try {
        bytes_.resize(pos_ + bytes);
      } catch (const std::exception&) {
        return E_OUTOFMEMORY;
      }
    }
    if (bytes) memcpy(bytes_.data() + pos_, buffer, bytes);
    pos_ += bytes;
    if (written) *written = bytes;
    return S_OK;
  }
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override {
    long long base = origin == STREAM_SEEK_SET   ? 0
                     : origin == STREAM_SEEK_CUR ? (long long)pos_
                     : origin == STREAM_SEEK_END ? (long long)bytes_.size()
                                                 : -1;
    long long next = 0;
    if (base < 0 || __builtin_add_overflow(base, move.QuadPart, &next) || next < 0) return E_INVALIDARG;
    pos_ = (size_t)next;
    if (newPos) newPos->QuadPart = pos_;
    return S_OK;
  }

 private:
  std::vector<unsigned char> bytes_;
  HGLOBAL mem_;
  bool free_;
  size_t pos_ = 0;
  ULONG refs_ = 1;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL mem, BOOL deleteOnRelease, IStream** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  std::vector<unsigned char> bytes;
  if (mem) {
    if (!GlobalLock || !GlobalSize) return E_NOTIMPL;
    auto* data = static_cast<const unsigned char*>(GlobalLock(mem));
    if (!data) return E_INVALIDARG;
    bytes.assign(data, data + GlobalSize(mem));
    if (GlobalUnlock) GlobalUnlock(mem);
  }
  *out = new MemoryStream(std::move(bytes), mem, deleteOnRelease);
  return S_OK;
}

// Whole content of a stream, for the decoder.
bool GdipReadWholeStream(IStream* stream, std::vector<unsigned char>* bytes) {
  LARGE_INTEGER zero{};
  ULARGE_INTEGER end{};
  if (stream->Seek(zero, STREAM_SEEK_END, &end) != S_OK) return false;
  if (stream->Seek(zero, STREAM_SEEK_SET, nullptr) != S_OK) return false;
  bytes->resize(end.QuadPart);
  ULONG got = 0;
  if (end.QuadPart && stream->Read(bytes->data(), (ULONG)end.QuadPart, &got) != S_OK) return false;
  return got == end.QuadPart;
}
