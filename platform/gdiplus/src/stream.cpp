// Global memory blocks and a stream over one, for decoding from memory.
#include <cstring>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "gdiplus/gdiplus.h"

namespace {

struct GlobalBlock {
  std::vector<unsigned char> bytes;
};

std::mutex g_mutex;
std::unordered_set<void*> g_blocks;

GlobalBlock* BlockOf(HGLOBAL mem) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_blocks.count(mem) ? static_cast<GlobalBlock*>(mem) : nullptr;
}

class HGlobalStream final : public IStream {
 public:
  HGlobalStream(HGLOBAL mem, bool owns) : mem_(mem), owns_(owns) {}
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG n = --refs_;
    if (n == 0) {
      if (owns_) GlobalFree(mem_);
      delete this;
    }
    return n;
  }
  HRESULT Read(void* buffer, ULONG bytes, ULONG* read) override {
    GlobalBlock* b = BlockOf(mem_);
    if (!b || (!buffer && bytes)) return E_FAIL;
    size_t avail = pos_ < b->bytes.size() ? b->bytes.size() - pos_ : 0;
    ULONG n = bytes < avail ? bytes : (ULONG)avail;
    if (n) memcpy(buffer, b->bytes.data() + pos_, n);
    pos_ += n;
    if (read) *read = n;
    return n == bytes ? S_OK : S_FALSE;
  }
  HRESULT Write(const void* buffer, ULONG bytes, ULONG* written) override {
    GlobalBlock* b = BlockOf(mem_);
    if (!b || (!buffer && bytes)) return E_FAIL;
    if (pos_ + bytes > b->bytes.size()) b->bytes.resize(pos_ + bytes);
    if (bytes) memcpy(b->bytes.data() + pos_, buffer, bytes);
    pos_ += bytes;
    if (written) *written = bytes;
    return S_OK;
  }
  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override {
    GlobalBlock* b = BlockOf(mem_);
    if (!b) return E_FAIL;
    long long base = origin == STREAM_SEEK_SET ? 0 : origin == STREAM_SEEK_CUR ? (long long)pos_
                     : origin == STREAM_SEEK_END ? (long long)b->bytes.size() : -1;
    if (base < 0 || base + move.QuadPart < 0) return E_INVALIDARG;
    pos_ = (size_t)(base + move.QuadPart);
    if (newPos) newPos->QuadPart = pos_;
    return S_OK;
  }

 private:
  HGLOBAL mem_;
  bool owns_;
  size_t pos_ = 0;
  ULONG refs_ = 1;
};

}  // namespace

HGLOBAL GlobalAlloc(UINT, SIZE_T bytes) {
  auto* b = new GlobalBlock;
  b->bytes.assign(bytes, 0);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_blocks.insert(b);
  return b;
}

LPVOID GlobalLock(HGLOBAL mem) {
  GlobalBlock* b = BlockOf(mem);
  if (!b) return nullptr;
  return b->bytes.empty() ? nullptr : b->bytes.data();
}

// Blocks never move while locked here; FALSE means "no longer locked".
BOOL GlobalUnlock(HGLOBAL) { return FALSE; }

SIZE_T GlobalSize(HGLOBAL mem) {
  GlobalBlock* b = BlockOf(mem);
  return b ? b->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL mem) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_blocks.erase(mem)) return mem;  // not ours: failure returns the handle
  }
  delete static_cast<GlobalBlock*>(mem);
  return nullptr;
}

HRESULT CreateStreamOnHGlobal(HGLOBAL mem, BOOL deleteOnRelease, IStream** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!mem) mem = GlobalAlloc(GMEM_MOVEABLE, 0);
  else if (!BlockOf(mem)) return E_INVALIDARG;
  *out = new HGlobalStream(mem, deleteOnRelease);
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
