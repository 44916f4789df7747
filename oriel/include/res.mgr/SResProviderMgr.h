// The ordered list of resource providers (the last attached answers first),
// the cursor cache, and the resource-id forms the XML uses ("TYPE:NAME";
// the type "file" names a path on disk).
#pragma once

#include "core/SCriticalSection.h"
#include "core/SLayoutSize.h"
#include "core/SList.h"
#include "core/SMap.h"
#include "res.mgr/IResProvider.h"

namespace ORIEL {

class SResProviderMgr {
 public:
  SResProviderMgr();
  virtual ~SResProviderMgr();
  SResProviderMgr(const SResProviderMgr&) = delete;
  SResProviderMgr& operator=(const SResProviderMgr&) = delete;

  // Appends with a reference; with a UI definition id, the definition it
  // holds becomes the current one.
  void AttachProvider(IResProvider* provider, LPCWSTR uidefId = nullptr);
  void DetachProvider(IResProvider* provider);
  // The provider that holds (type, name), newest first; no reference.
  IResProvider* FindProvider(LPCWSTR type, LPCWSTR name);

  BOOL ContainsResource(LPCWSTR type, LPCWSTR name);
  size_t ResourceByteSize(LPCWSTR type, LPCWSTR name);
  BOOL ReadResourceBytes(LPCWSTR type, LPCWSTR name, void* buffer, size_t size);
  IBitmap* LoadImage(LPCWSTR type, LPCWSTR name);
  IBitmap* LoadImageById(const SStringW& id);
  IImgX* LoadImageEx(LPCWSTR type, LPCWSTR name);
  HBITMAP LoadBitmap(LPCWSTR name, BOOL fromFile);
  HICON LoadIconByName(LPCWSTR name, int cx, int cy, BOOL fromFile);
  // "NAME" (its own size) or "NAME:SIZE".
  HICON LoadIconById(const SStringW& id);
  HCURSOR LoadCursorByName(LPCWSTR name, BOOL fromFile);

  // "@color/x", "@string/x", "@dim/x" against the current UI definition, or
  // the literal syntaxes.
  static COLORREF LookupNamedColor(const SStringW& text);
  static SStringW LookupNamedString(const SStringW& text);
  static SLayoutSize LookupNamedDimension(const SStringW& text);

 protected:
  // Releases every provider and destroys the cached cursors.
  void ReleaseAll();

 private:
  SList<IResProvider*> providers_;
  SMap<SStringW, HCURSOR> cursors_;
  SCriticalSection lock_;
};

// Splits "type:name" at the first colon; false without one.
bool SplitResId(const SStringW& id, SStringW& type, SStringW& name);

}  // namespace ORIEL
