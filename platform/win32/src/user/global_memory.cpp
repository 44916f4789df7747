// GlobalAlloc and friends, for clipboard data. Fixed and moveable blocks
// are the same here: the handle is the memory, behind a small header that
// lets GlobalSize answer and foreign pointers be refused.
#include <cstdlib>
#include <cstring>

#include "win32/errors.h"
#include "win32/user32.h"

namespace {

constexpr uint64_t kMagic = 0x51564D454D424C4BULL;

struct alignas(16) Header {
  uint64_t magic;
  SIZE_T size;
};

Header* headerOf(HGLOBAL handle) {
  if (!handle) return nullptr;
  auto* header = reinterpret_cast<Header*>(static_cast<char*>(handle) - sizeof(Header));
  return header->magic == kMagic ? header : nullptr;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  void* block = std::malloc(sizeof(Header) + (dwBytes ? dwBytes : 1));
  if (!block) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* header = static_cast<Header*>(block);
  header->magic = kMagic;
  header->size = dwBytes;
  char* data = static_cast<char*>(block) + sizeof(Header);
  if (uFlags & GMEM_ZEROINIT) std::memset(data, 0, dwBytes);
  return data;
}

LPVOID GlobalLock(HGLOBAL hMem) {
  if (!headerOf(hMem)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return hMem;
}

BOOL GlobalUnlock(HGLOBAL hMem) {
  if (!headerOf(hMem)) SetLastError(ERROR_INVALID_HANDLE);
  else SetLastError(NO_ERROR);
  return FALSE;  // no lock count left, as for a block locked once
}

SIZE_T GlobalSize(HGLOBAL hMem) {
  Header* header = headerOf(hMem);
  return header ? header->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
  if (!hMem) return nullptr;
  Header* header = headerOf(hMem);
  if (!header) {
    SetLastError(ERROR_INVALID_HANDLE);
    return hMem;
  }
  header->magic = 0;
  std::free(header);
  return nullptr;
}
