#include "control/SActiveX.h"

#include <cwchar>

#include "core/SLog.h"

namespace ORIEL {

namespace {

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool ReadHex(const wchar_t* s, int digits, uint64_t* out) {
  uint64_t v = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = HexDigit(s[i]);
    if (d < 0) return false;
    v = v << 4 | static_cast<uint64_t>(d);
  }
  *out = v;
  return true;
}

bool IsZero(const CLSID& id) {
  const CLSID zero{};
  return IsEqualGUID(id, zero);
}

// The movie player's class id.
constexpr CLSID kFlashClsid{0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

}  // namespace

bool SActiveX::ParseClsid(const SStringW& text, CLSID* out) {
  const wchar_t* s = text.c_str();
  if (text.GetLength() != 38 || s[0] != L'{' || s[37] != L'}' || s[9] != L'-' || s[14] != L'-' || s[19] != L'-' ||
      s[24] != L'-')
    return false;
  CLSID id{};
  uint64_t v = 0;
  if (!ReadHex(s + 1, 8, &v)) return false;
  id.Data1 = static_cast<uint32_t>(v);
  if (!ReadHex(s + 10, 4, &v)) return false;
  id.Data2 = static_cast<uint16_t>(v);
  if (!ReadHex(s + 15, 4, &v)) return false;
  id.Data3 = static_cast<uint16_t>(v);
  const int at[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(s + at[i], 2, &v)) return false;
    id.Data4[i] = static_cast<uint8_t>(v);
  }
  *out = id;
  return true;
}

SStringW SActiveX::FormatClsid(const CLSID& id) {
  SStringW text;
  text.Format(L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", id.Data1, id.Data2, id.Data3, id.Data4[0],
              id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

SActiveX::SActiveX() { SWindow::ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE); }
SActiveX::~SActiveX() = default;

// A class id is a braced GUID; a program id would need the component
// registry, which this system has not, so it names nothing and leaves the
// class id as it was.
HRESULT SActiveX::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"clsID")) {
    CLSID id{};
    if (value.GetLength() >= 100 || !ParseClsid(value, &id)) return S_FALSE;
    clsid_ = id;
  } else if (AttrNameIs(name, L"clsCtx")) {
    clsCtx_ = static_cast<DWORD>(ParseAttrInt(value));
  } else if (AttrNameIs(name, L"delay")) {
    delay_ = ParseAttrInt(value);
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_OK);
}

void SActiveX::CreateControl() {
  if (warned_ || IsZero(clsid_)) return;
  warned_ = TRUE;
  SLOGW(SLOG_LEVEL_WARN, "ORIEL::SActiveX::CreateControl",
        L"the object %s cannot be created: this system has no component objects, ActiveX controls or movie player;"
        L" the window stays empty",
        FormatClsid(clsid_).c_str());
}

int SActiveX::OnCreate() {
  const int result = SWindow::OnCreate();
  if (!delay_) CreateControl();
  return result;
}

void SActiveX::OnShowWindow(BOOL show, UINT status) {
  SWindow::OnShowWindow(show, status);
  if (delay_ && IsVisible(TRUE)) {
    delay_ = 0;
    CreateControl();
  }
}

SFlashCtrl::SFlashCtrl() { clsid_ = kFlashClsid; }

HRESULT SFlashCtrl::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"url")) {
    url_ = value;
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  return SActiveX::ApplyAttribute(name, value, loading);
}

BOOL SFlashCtrl::Play(const SStringW& url) {
  url_ = url;
  return FALSE;
}

}  // namespace ORIEL
