#include "res.mgr/SResProviderFiles.h"

#include <unistd.h>

#include <cwchar>
#include <cwctype>

#include "core/SApplication.h"
#include "core/SWin32Utils.h"
#include "core/SXml.h"
#include "win32/images.h"
#include "win32/windows.h"

namespace ORIEL {
namespace {

bool CopyLower(LPCWSTR src, wchar_t* dst, int field, int max) {
  if (!src) return false;
  const size_t n = wcslen(src);
  if (n > static_cast<size_t>(max)) return false;
  for (int i = 0; i < field; ++i) dst[i] = 0;
  for (size_t i = 0; i < n; ++i) dst[i] = static_cast<wchar_t>(towlower(src[i]));
  return true;
}

// The folder as a full path (at most 1024 characters), '/'-separated.
SStringW FullPath(const SStringW& folder) {
  SStringW path = folder;
  path.Replace(L'\\', L'/');
  if (!path.IsEmpty() && path[0] != L'/') {
    char cwd[1024];
    if (getcwd(cwd, sizeof cwd)) path = XmlText(cwd) + L"/" + path;
  }
  while (path.GetLength() > 1 && path[path.GetLength() - 1] == L'/') path = path.Left(path.GetLength() - 1);
  return path.Left(1024);
}

}  // namespace

bool SResKey::Make(LPCWSTR type, LPCWSTR name, SResKey& out) {
  return CopyLower(type, out.type, kTypeField, kTypeMax) && CopyLower(name, out.name, kNameField, kNameMax);
}

uint32_t SResKey::Hash() const {
  uint32_t h = 0;
  for (const wchar_t* p = type; *p; ++p) h = h * 33 + static_cast<uint32_t>(*p);
  for (const wchar_t* p = name; *p; ++p) h = h * 33 + static_cast<uint32_t>(*p);
  return h;
}

bool SResKey::operator==(const SResKey& o) const { return wcscmp(type, o.type) == 0 && wcscmp(name, o.name) == 0; }

SResProviderFiles::SResProviderFiles() : files_(17, 0.75f, 0.25f, 2.25f, 10) {}

BOOL SResProviderFiles::Init(WPARAM wParam, LPARAM) {
  const auto* folder = reinterpret_cast<LPCWSTR>(wParam);
  return folder ? InitFolder(folder) : FALSE;
}

BOOL SResProviderFiles::InitFolder(const SStringW& folder) {
  SXmlDoc doc;
  if (!doc.LoadFile((folder + L"/uires.idx").c_str())) return FALSE;
  pugi::xml_node root = XmlChild(doc, L"resource");
  if (!root) return FALSE;
  for (pugi::xml_node type = root.first_child(); type; type = type.next_sibling()) {
    if (type.type() != pugi::node_element) continue;
    const SStringW typeName = XmlName(type);
    for (pugi::xml_node file = type.first_child(); file; file = file.next_sibling()) {
      if (file.type() != pugi::node_element || !XmlNameIs(file.name(), L"file")) continue;
      SResKey key;
      if (!SResKey::Make(typeName, XmlValue(XmlAttr(file, L"name")), key)) continue;
      SStringW path = XmlValue(XmlAttr(file, L"path"));
      path.Replace(L'\\', L'/');
      files_.SetAt(key, path);
    }
  }
  folder_ = FullPath(folder);
  return TRUE;
}

SStringW SResProviderFiles::GetPath(LPCWSTR type, LPCWSTR name) const {
  SResKey key;
  SStringW rel;
  if (!SResKey::Make(type, name, key) || !files_.Lookup(key, rel)) return SStringW();
  return folder_ + L"/" + rel;
}

BOOL SResProviderFiles::ContainsResource(LPCWSTR type, LPCWSTR name) {
  SResKey key;
  return SResKey::Make(type, name, key) && files_.Lookup(key) != nullptr;
}

HICON SResProviderFiles::LoadIcon(LPCWSTR name, int cx, int cy) {
  const SStringW path = GetPath(L"ICON", name);
  if (path.IsEmpty()) return nullptr;
  return static_cast<HICON>(LoadImageW(nullptr, path, IMAGE_ICON, cx, cy, LR_LOADFROMFILE));
}

HBITMAP SResProviderFiles::LoadBitmap(LPCWSTR name) {
  const SStringW path = GetPath(L"BITMAP", name);
  if (path.IsEmpty()) return nullptr;
  return static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE));
}

HCURSOR SResProviderFiles::LoadCursor(LPCWSTR name) {
  const SStringW path = GetPath(L"CURSOR", name);
  if (path.IsEmpty()) return nullptr;
  return static_cast<HCURSOR>(LoadImageW(nullptr, path, IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE));
}

IBitmap* SResProviderFiles::LoadImage(LPCWSTR type, LPCWSTR name) {
  const SStringW path = GetPath(type, name);
  return path.IsEmpty() ? nullptr : LoadImageFromFile(path);
}

IImgX* SResProviderFiles::LoadImageEx(LPCWSTR type, LPCWSTR name) {
  const SStringW path = GetPath(type, name);
  return path.IsEmpty() ? nullptr : LoadImageExFromFile(path);
}

size_t SResProviderFiles::ResourceByteSize(LPCWSTR type, LPCWSTR name) {
  const SStringW path = GetPath(type, name);
  return path.IsEmpty() ? 0 : FileByteSize(path);
}

BOOL SResProviderFiles::ReadResourceBytes(LPCWSTR type, LPCWSTR name, void* buffer, size_t size) {
  const SStringW path = GetPath(type, name);
  return path.IsEmpty() ? FALSE : ReadFileBytes(path, buffer, size);
}

BOOL SResProviderPE::Init(WPARAM wParam, LPARAM) {
  module_ = reinterpret_cast<HINSTANCE>(wParam);
  const SStringW folder = ModuleFolder(module_);
  if (folder.IsEmpty()) return FALSE;
  return InitFolder(folder + L"/res");
}

BOOL MakeResProvider(int kind, IResProvider** out) {
  if (!out) return FALSE;
  *out = nullptr;
  if (kind == kResProviderPE)
    *out = new SResProviderPE;
  else if (kind == kResProviderFiles)
    *out = new SResProviderFiles;
  return *out != nullptr;
}

}  // namespace ORIEL
