// Reading a dropped-files block (CF_HDROP). Every read stays inside the
// block's size, so a malformed block yields fewer files, never a stray read.
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "win32/errors.h"
#include "win32/kernel32.h"
#include "win32/ole.h"

namespace {

// The paths of the block, wide or narrow; false when it is not one.
bool readDropFiles(HDROP drop, std::vector<std::wstring>* paths, POINT* point, BOOL* nonClient) {
  auto* memory = reinterpret_cast<HGLOBAL>(drop);
  const SIZE_T size = GlobalSize(memory);
  const auto* bytes = static_cast<const unsigned char*>(GlobalLock(memory));
  if (!bytes || size < sizeof(DROPFILES)) {
    if (bytes) GlobalUnlock(memory);
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const auto* header = reinterpret_cast<const DROPFILES*>(bytes);
  if (point) *point = header->pt;
  if (nonClient) *nonClient = header->fNC;
  if (paths) {
    const size_t unit = header->fWide ? sizeof(wchar_t) : 1;
    size_t at = header->pFiles;
    while (at + unit <= size) {
      std::wstring path;
      bool ended = false;
      for (; at + unit <= size; at += unit) {
        wchar_t ch = 0;
        if (header->fWide) std::memcpy(&ch, bytes + at, sizeof ch);  // pFiles may be unaligned
        else ch = static_cast<wchar_t>(bytes[at]);
        if (ch == 0) {
          ended = true;
          at += unit;
          break;
        }
        path.push_back(ch);
      }
      if (!ended || path.empty()) break;  // the list's final NUL, or a cut-off block
      paths->push_back(std::move(path));
    }
  }
  GlobalUnlock(memory);
  return true;
}

}  // namespace

UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch) {
  std::vector<std::wstring> paths;
  if (!readDropFiles(hDrop, &paths, nullptr, nullptr)) return 0;
  if (iFile == 0xFFFFFFFFu) return static_cast<UINT>(paths.size());
  if (iFile >= paths.size()) return 0;
  const std::wstring& path = paths[iFile];
  if (!lpszFile) return static_cast<UINT>(path.size());
  if (cch == 0) return 0;
  const size_t copied = path.size() < cch - 1 ? path.size() : cch - 1;
  wmemcpy(lpszFile, path.data(), copied);
  lpszFile[copied] = L'\0';
  return static_cast<UINT>(copied);
}

BOOL DragQueryPoint(HDROP hDrop, POINT* ppt) {
  BOOL nonClient = FALSE;
  POINT point{};
  if (!readDropFiles(hDrop, nullptr, &point, &nonClient)) return FALSE;
  if (ppt) *ppt = point;
  return nonClient ? FALSE : TRUE;
}

void DragFinish(HDROP hDrop) { GlobalFree(reinterpret_cast<HGLOBAL>(hDrop)); }
