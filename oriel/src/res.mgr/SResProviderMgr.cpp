#include "res.mgr/SResProviderMgr.h"

#include <unistd.h>

#include <cwctype>

#include "core/SXml.h"
#include "crt/wtoi.h"
#include "res.mgr/SUiDef.h"
#include "win32/images.h"
#include "win32/windows.h"

namespace ORIEL {
namespace {

bool IsFileType(LPCWSTR type) { return type && SStringW(type).CompareNoCase(L"file") == 0; }

struct SystemCursor {
  const wchar_t* name;
  WORD id;
};
constexpr SystemCursor kSystemCursors[] = {
    {L"arrow", 32512}, {L"ibeam", 32513},    {L"wait", 32514},     {L"cross", 32515},  {L"uparrow", 32516},
    {L"size", 32640},  {L"sizenwse", 32642}, {L"sizenesw", 32643}, {L"sizewe", 32644}, {L"sizens", 32645},
    {L"sizeall", 32646}, {L"no", 32648},     {L"hand", 32649},     {L"help", 32651},
};

}  // namespace

bool SplitResId(const SStringW& id, SStringW& type, SStringW& name) {
  const int colon = id.Find(L':');
  if (colon < 0) return false;
  type = id.Left(colon);
  name = id.Mid(colon + 1);
  return true;
}

SResProviderMgr::SResProviderMgr() : providers_(10), cursors_(17, 0.75f, 0.25f, 2.25f, 10) {}

SResProviderMgr::~SResProviderMgr() { ReleaseAll(); }

void SResProviderMgr::ReleaseAll() {
  SAutoLock lock(lock_);
  for (SPOSITION pos = providers_.GetHeadPosition(); pos;) providers_.GetNext(pos)->Release();
  providers_.RemoveAll();
  for (SPOSITION pos = cursors_.GetStartPosition(); pos;) DestroyCursor(cursors_.GetNext(pos)->m_value);
  cursors_.RemoveAll();
}

void SResProviderMgr::AttachProvider(IResProvider* provider, LPCWSTR uidefId) {
  if (!provider) return;
  {
    SAutoLock lock(lock_);
    providers_.AddTail(provider);
    provider->AddRef();
  }
  if (!uidefId) return;
  SUiDef* def = SUiDef::getSingletonPtr();
  if (!def) return;
  IUiDefInfo* info = def->BuildDefinition(provider, uidefId);
  if (info) {
    def->SetUiDef(info);
    info->Release();
  }
}

void SResProviderMgr::DetachProvider(IResProvider* provider) {
  SAutoLock lock(lock_);
  for (SPOSITION pos = providers_.GetTailPosition(); pos;) {
    SPOSITION here = pos;
    if (providers_.GetPrev(pos) == provider) {
      providers_.RemoveAt(here);
      provider->Release();
      return;
    }
  }
}

IResProvider* SResProviderMgr::FindProvider(LPCWSTR type, LPCWSTR name) {
  if (!type) return nullptr;
  SAutoLock lock(lock_);
  for (SPOSITION pos = providers_.GetTailPosition(); pos;) {
    IResProvider* p = providers_.GetPrev(pos);
    if (p->ContainsResource(type, name)) return p;
  }
  return nullptr;
}

BOOL SResProviderMgr::ContainsResource(LPCWSTR type, LPCWSTR name) {
  if (IsFileType(type)) return FileByteSize(name) > 0 || access(XmlUtf8(name).c_str(), F_OK) == 0;
  return FindProvider(type, name) != nullptr;
}

size_t SResProviderMgr::ResourceByteSize(LPCWSTR type, LPCWSTR name) {
  SAutoLock lock(lock_);
  if (IsFileType(type)) return FileByteSize(name);
  IResProvider* p = FindProvider(type, name);
  return p ? p->ResourceByteSize(type, name) : 0;
}

BOOL SResProviderMgr::ReadResourceBytes(LPCWSTR type, LPCWSTR name, void* buffer, size_t size) {
  SAutoLock lock(lock_);
  if (IsFileType(type)) return ReadFileBytes(name, buffer, size);
  IResProvider* p = FindProvider(type, name);
  return p ? p->ReadResourceBytes(type, name, buffer, size) : FALSE;
}

IBitmap* SResProviderMgr::LoadImage(LPCWSTR type, LPCWSTR name) {
  if (!type) return nullptr;
  if (IsFileType(type)) return LoadImageFromFile(name);
  SAutoLock lock(lock_);
  IResProvider* p = FindProvider(type, name);
  return p ? p->LoadImage(type, name) : nullptr;
}

IBitmap* SResProviderMgr::LoadImageById(const SStringW& id) {
  SStringW type, name;
  if (!SplitResId(id, type, name)) return nullptr;
  return LoadImage(type, name);
}

IImgX* SResProviderMgr::LoadImageEx(LPCWSTR type, LPCWSTR name) {
  if (!type) return nullptr;
  if (IsFileType(type)) return LoadImageExFromFile(name);
  SAutoLock lock(lock_);
  IResProvider* p = FindProvider(type, name);
  return p ? p->LoadImageEx(type, name) : nullptr;
}

HBITMAP SResProviderMgr::LoadBitmap(LPCWSTR name, BOOL fromFile) {
  if (fromFile)
    return static_cast<HBITMAP>(LoadImageW(nullptr, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
  SAutoLock lock(lock_);
  IResProvider* p = FindProvider(L"BITMAP", name);
  return p ? p->LoadBitmap(name) : nullptr;
}

HICON SResProviderMgr::LoadIconByName(LPCWSTR name, int cx, int cy, BOOL fromFile) {
  if (fromFile) return static_cast<HICON>(LoadImageW(nullptr, name, IMAGE_ICON, cx, cy, LR_LOADFROMFILE));
  SAutoLock lock(lock_);
  IResProvider* p = FindProvider(L"ICON", name);
  return p ? p->LoadIcon(name, cx, cy) : nullptr;
}

HICON SResProviderMgr::LoadIconById(const SStringW& id) {
  SStringW name, size;
  if (!SplitResId(id, name, size)) return LoadIconByName(id, 0, 0, FALSE);
  const int n = _wtoi(size.c_str());
  return LoadIconByName(name, n, n, FALSE);
}

HCURSOR SResProviderMgr::LoadCursorByName(LPCWSTR name, BOOL fromFile) {
  SAutoLock lock(lock_);
  if (IS_INTRESOURCE(name)) return LoadCursorW(nullptr, name);
  for (const SystemCursor& c : kSystemCursors) {
    if (SStringW(name).CompareNoCase(c.name) == 0) return LoadCursorW(nullptr, MAKEINTRESOURCEW(c.id));
  }
  HCURSOR cached = nullptr;
  if (cursors_.Lookup(SStringW(name), cached)) return cached;
  HCURSOR made = nullptr;
  if (fromFile) {
    made = static_cast<HCURSOR>(LoadImageW(nullptr, name, IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
  } else if (IResProvider* p = FindProvider(L"CURSOR", name)) {
    made = p->LoadCursor(name);
  }
  if (made) cursors_.SetAt(SStringW(name), made);
  return made;
}

COLORREF SResProviderMgr::LookupNamedColor(const SStringW& text) {
  if (text.Left(7) == L"@color/") {
    IUiDefInfo* def = SUiDef::CurrentInfo();
    const COLORREF* c = def ? def->GetNamedColor()->Find(text.Mid(7)) : nullptr;
    return c ? *c : kRenderNoColor;
  }
  COLORREF cr = kRenderNoColor;
  return ParseColor(text, cr) ? cr : kRenderNoColor;
}

SStringW SResProviderMgr::LookupNamedString(const SStringW& text) {
  if (text.IsEmpty()) return text;
  if (text.Left(8) == L"@string/") {
    IUiDefInfo* def = SUiDef::CurrentInfo();
    const SStringW* s = def ? def->GetNamedString()->Find(text.Mid(8)) : nullptr;
    return s ? *s : SStringW();
  }
  return text;
}

SLayoutSize SResProviderMgr::LookupNamedDimension(const SStringW& text) {
  if (text.Left(5) == L"@dim/") {
    IUiDefInfo* def = SUiDef::CurrentInfo();
    const SLayoutSize* d = def ? def->GetNamedDimension()->Find(text.Mid(5)) : nullptr;
    return d ? *d : SLayoutSize();
  }
  return SLayoutSize::FromString(text);
}

}  // namespace ORIEL
