// Resources as loose files in a folder, listed by the index "uires.idx":
// <resource><TYPE><file name=".." path=".."/></TYPE>...</resource>.
#pragma once

#include "core/SMap.h"
#include "render/TObjRefImpl.h"
#include "res.mgr/IResProvider.h"

namespace ORIEL {

// The (type, name) key: at most 29 and 99 characters, lower-cased. A longer
// type or name makes no key, so it is never stored and never found.
struct SResKey {
  static constexpr int kTypeField = 31, kNameField = 101;
  static constexpr int kTypeMax = 29, kNameMax = 99;
  static bool Make(LPCWSTR type, LPCWSTR name, SResKey& out);
  uint32_t Hash() const;
  bool operator==(const SResKey& o) const;
  wchar_t type[kTypeField];
  wchar_t name[kNameField];
};

class SResProviderFiles : public TObjRefImpl<IResProvider> {
 public:
  SResProviderFiles();
  // wParam: the folder path (LPCWSTR).
  BOOL Init(WPARAM wParam, LPARAM lParam) override;
  BOOL ContainsResource(LPCWSTR type, LPCWSTR name) override;
  HICON LoadIcon(LPCWSTR name, int cx, int cy) override;
  HBITMAP LoadBitmap(LPCWSTR name) override;
  HCURSOR LoadCursor(LPCWSTR name) override;
  IBitmap* LoadImage(LPCWSTR type, LPCWSTR name) override;
  IImgX* LoadImageEx(LPCWSTR type, LPCWSTR name) override;
  size_t ResourceByteSize(LPCWSTR type, LPCWSTR name) override;
  BOOL ReadResourceBytes(LPCWSTR type, LPCWSTR name, void* buffer, size_t size) override;

  const SStringW& GetFolder() const { return folder_; }

 protected:
  // Reads the index of `folder`; false when it does not parse or has no
  // "resource" root.
  BOOL InitFolder(const SStringW& folder);
  // The full path of a resource, empty when it is not listed.
  SStringW GetPath(LPCWSTR type, LPCWSTR name) const;

 private:
  SStringW folder_;
  SMap<SResKey, SStringW> files_;
};

// The program's own resources: the bundle "res" beside the module's file,
// found through the module handle (Init's wParam, an HINSTANCE).
class SResProviderPE : public SResProviderFiles {
 public:
  BOOL Init(WPARAM wParam, LPARAM lParam) override;
  HINSTANCE GetModule() const { return module_; }

 private:
  HINSTANCE module_ = nullptr;
};

}  // namespace ORIEL
