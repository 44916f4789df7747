// A store of resources addressed by (type, name), both compared without
// regard to case.
#pragma once

#include "core/SString.h"
#include "render/IRender.h"

namespace ORIEL {

struct IResProvider : IObjRef {
  // 1 on success, 0 on failure.
  virtual BOOL Init(WPARAM wParam, LPARAM lParam) = 0;
  virtual BOOL ContainsResource(LPCWSTR type, LPCWSTR name) = 0;
  virtual HICON LoadIcon(LPCWSTR name, int cx, int cy) = 0;
  virtual HBITMAP LoadBitmap(LPCWSTR name) = 0;
  virtual HCURSOR LoadCursor(LPCWSTR name) = 0;
  virtual IBitmap* LoadImage(LPCWSTR type, LPCWSTR name) = 0;
  virtual IImgX* LoadImageEx(LPCWSTR type, LPCWSTR name) = 0;
  virtual size_t ResourceByteSize(LPCWSTR type, LPCWSTR name) = 0;
  // 1 when the whole resource was copied; a short buffer gives 0 and
  // ERROR_INSUFFICIENT_BUFFER.
  virtual BOOL ReadResourceBytes(LPCWSTR type, LPCWSTR name, void* buffer, size_t size) = 0;
};

enum { kResProviderPE = 0, kResProviderFiles = 1 };
// Kind 0 the program's bundle provider, kind 1 a folder provider; 1 when
// an object was made (one reference for the caller).
BOOL MakeResProvider(int kind, IResProvider** out);

// Render-layer bitmaps and decoder images from a file or a memory block
// through the application's render factory; null when either fails.
IBitmap* LoadImageFromFile(const SStringW& path);
IBitmap* LoadImageFromMemory(const void* data, size_t size);
IImgX* LoadImageExFromFile(const SStringW& path);
IImgX* LoadImageExFromMemory(const void* data, size_t size);

// Size and bytes of a file, as the folder provider and the "file" type read them.
size_t FileByteSize(const SStringW& path);
BOOL ReadFileBytes(const SStringW& path, void* buffer, size_t size);

}  // namespace ORIEL
