// The rich edit's attributes, default formats and the thin wrappers over
// edit messages.
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <memory>

#include "control/SRichEdit.h"
#include "core/SApplication.h"
#include "core/SGdiUtils.h"
#include "core/SStringConvert.h"
#include "res.mgr/SResProviderMgr.h"

namespace ORIEL {
namespace {

// a * b / c, rounded to the nearest.
LONG ScaleBy(LONG a, LONG b, LONG c) {
  const long long n = static_cast<long long>(a) * b;
  return static_cast<LONG>(n >= 0 ? (n + c / 2) / c : (n - c / 2) / c);
}

// Booleans of the attribute map: the lowest bit of the number counts.
bool NumberBit(const SStringW& value) { return (wcstol(value.c_str(), nullptr, 0) & 1) != 0; }

void SetBit(DWORD& word, DWORD bit, bool on) {
  if (on) word |= bit;
  else word &= ~bit;
}

struct StreamFile {
  FILE* file;
};

DWORD CALLBACK ReadFromFile(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  *done = static_cast<LONG>(fread(buffer, 1, static_cast<size_t>(size), reinterpret_cast<StreamFile*>(cookie)->file));
  return 0;
}

DWORD CALLBACK WriteToFile(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  FILE* file = reinterpret_cast<StreamFile*>(cookie)->file;
  *done = static_cast<LONG>(fwrite(buffer, 1, static_cast<size_t>(size), file));
  return *done == size ? 0 : 1;
}

struct MemoryReader {
  const BYTE* data;
  size_t size;
  size_t at;
};

DWORD CALLBACK ReadFromMemory(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* reader = reinterpret_cast<MemoryReader*>(cookie);
  const size_t n = std::min(reader->size - reader->at, static_cast<size_t>(size));
  memcpy(buffer, reader->data + reader->at, n);
  reader->at += n;
  *done = static_cast<LONG>(n);
  return 0;
}

FILE* OpenWide(LPCWSTR path, const char* mode) {
  const SStringA utf8 = ConvertW2A(SStringW(path), CP_UTF8);
  return fopen(utf8.c_str(), mode);
}

}  // namespace

HRESULT SRichEdit::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"style")) {
    style_ = static_cast<DWORD>(wcstoul(value.c_str(), nullptr, 0));
  } else if (AttrNameIs(name, L"maxBuf")) {
    maxLength_ = static_cast<DWORD>(wcstoul(value.c_str(), nullptr, 0));
  } else if (AttrNameIs(name, L"transparent")) {
    SetBit(options_, kOptTransparent, NumberBit(value));
  } else if (AttrNameIs(name, L"rich")) {
    SetBit(options_, kOptRich, NumberBit(value));
  } else if (AttrNameIs(name, L"vertical")) {
    SetBit(options_, kOptVertical, NumberBit(value));
  } else if (AttrNameIs(name, L"wordWrap")) {
    SetBit(options_, kOptWordWrap, NumberBit(value));
  } else if (AttrNameIs(name, L"allowBeep")) {
    SetBit(options_, kOptAllowBeep, NumberBit(value));
  } else if (AttrNameIs(name, L"autoWordSel")) {
    SetBit(options_, kOptAutoWordSel, NumberBit(value));
  } else if (AttrNameIs(name, L"vcenter")) {
    SetBit(options_, kOptVCenter, NumberBit(value));
  } else if (AttrNameIs(name, L"colorText")) {
    hr = SWindow::ApplyAttribute(name, value, loading);
    if (!loading) SetDefaultCharColor(GetStyle().GetTextColorForState(0));
    return hr;
  } else if (AttrNameIs(name, L"rtf")) {
    if (loading) rtf_ = value;
    else ApplyRtf(value);
  } else if (AttrNameIs(name, L"align")) {
    // Bits are only ever added: "left" after "center" stays centred.
    if (value.CompareNoCase(L"center") == 0) style_ |= ES_CENTER;
    else if (value.CompareNoCase(L"right") == 0) style_ |= ES_RIGHT;
    if (!loading) {
      BuildDefaultParaFormat();
      NotifyBits(TXTBIT_PARAFORMATCHANGE);
    }
  } else if (AttrNameIs(name, L"notifyChange")) {
    SetBit(options_, kOptNotifyChange, value != L"0");
    if (!loading) SendToServices(EM_SETEVENTMASK, 0, (options_ & kOptNotifyChange) ? ENM_CHANGE : ENM_NONE);
  } else if (AttrNameIs(name, L"wantTab")) {
    SetBit(options_, kOptWantTab, !(value == L"0" || value.CompareNoCase(L"false") == 0));
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

HRESULT SRichEdit::HandleUnknownAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  const bool on = value != L"0";
  struct StyleAttr {
    const wchar_t* name;
    DWORD bit;
    DWORD notify;
  };
  static const StyleAttr styles[] = {
      {L"hscrollBar", WS_HSCROLL, TXTBIT_SCROLLBARCHANGE},    {L"vscrollBar", WS_VSCROLL, TXTBIT_SCROLLBARCHANGE},
      {L"autoHscroll", ES_AUTOHSCROLL, TXTBIT_SCROLLBARCHANGE}, {L"autoVscroll", ES_AUTOVSCROLL, TXTBIT_SCROLLBARCHANGE},
      {L"multiLines", ES_MULTILINE, TXTBIT_MULTILINE},         {L"readOnly", ES_READONLY, TXTBIT_READONLY},
      {L"wantReturn", ES_WANTRETURN, 0},                       {L"password", ES_PASSWORD, TXTBIT_USEPASSWORD},
      {L"number", ES_NUMBER, 0},
  };
  for (const StyleAttr& s : styles) {
    if (!AttrNameIs(name, s.name)) continue;
    SetBit(style_, s.bit, on);
    if (!loading) {
      if (s.notify) NotifyBits(s.notify);
      if (s.bit == ES_READONLY) UpdateDragDrop();
    }
    return S_OK;
  }
  if (AttrNameIs(name, L"passwordChar")) {
    if (!value.IsEmpty()) passwordChar_ = value[0];
    return S_OK;
  }
  if (AttrNameIs(name, L"enableDragdrop")) {
    SetBit(options_, kOptDragDrop, on);
    if (!loading) UpdateDragDrop();
    return S_OK;
  }
  if (AttrNameIs(name, L"autoSel")) {
    SetBit(options_, kOptAutoSel, on);
    return S_OK;
  }
  return SWindow::HandleUnknownAttribute(name, value, loading);
}

DWORD SRichEdit::PropertyBits() const {
  DWORD bits = 0;
  if (options_ & kOptRich) bits |= TXTBIT_RICHTEXT;
  if (style_ & ES_MULTILINE) bits |= TXTBIT_MULTILINE;
  if (style_ & ES_READONLY) bits |= TXTBIT_READONLY;
  if (style_ & ES_PASSWORD) bits |= TXTBIT_USEPASSWORD;
  if (!(style_ & ES_NOHIDESEL)) bits |= TXTBIT_HIDESELECTION;
  if (options_ & kOptAutoWordSel) bits |= TXTBIT_AUTOWORDSEL;
  if (options_ & kOptVertical) bits |= TXTBIT_VERTICAL;
  if (options_ & kOptWordWrap) bits |= TXTBIT_WORDWRAP;
  if (options_ & kOptAllowBeep) bits |= TXTBIT_ALLOWBEEP;
  if (options_ & kOptSaveSel) bits |= TXTBIT_SAVESELECTION;
  return bits;
}

void SRichEdit::NotifyBits(DWORD bits) {
  if (ITextServices* services = GetTextServices()) services->OnTxPropertyBitsChange(bits, PropertyBits() & bits);
}

SIZE SRichEdit::PixelsPerInch() const {
  HDC dc = ::GetDC(nullptr);
  SIZE ppi{GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY)};
  ::ReleaseDC(nullptr, dc);
  if (ppi.cx <= 0) ppi.cx = 96;
  if (ppi.cy <= 0) ppi.cy = 96;
  return ppi;
}

void SRichEdit::BuildDefaultCharFormat(IFont* font) {
  charFormat_ = CHARFORMAT2W{};
  charFormat_.cbSize = sizeof(CHARFORMAT2W);
  charFormat_.dwMask = 0xF8000007;  // bold, italic, underline, size, colour, face, offset, character set
  IRenderTarget* rt = nullptr;
  SApplication::getSingleton().GetRenderFactory()->CreateRenderTarget(&rt, 0, 0);
  IRenderObj* oldFont = nullptr;
  if (rt && font) rt->SelectObject(font, &oldFont);
  SIZE sz{0, 0};
  if (rt) rt->MeasureText(L"A", 1, &sz);
  lineHeight_ = sz.cy;
  if (rt) {
    if (font) rt->SelectObject(oldFont, nullptr);
    rt->Release();
  }
  if (font) {
    const LOGFONTW* lf = font->LogFont();
    charFormat_.yHeight = std::abs(ScaleBy(lf->lfHeight, 1440, PixelsPerInch().cy));
    if (font->IsBold()) charFormat_.dwEffects |= CFE_BOLD;
    if (font->IsItalic()) charFormat_.dwEffects |= CFE_ITALIC;
    if (font->IsUnderline()) charFormat_.dwEffects |= CFE_UNDERLINE;
    charFormat_.bCharSet = lf->lfCharSet;
    charFormat_.bPitchAndFamily = lf->lfPitchAndFamily;
    wcsncpy(charFormat_.szFaceName, lf->lfFaceName, LF_FACESIZE - 1);
  }
  const COLORREF color = GetStyle().GetTextColorForState(0);
  charFormat_.crTextColor = color == kRenderNoColor ? 0 : (color & 0xFFFFFF);
}

void SRichEdit::BuildDefaultParaFormat() {
  paraFormat_ = PARAFORMAT2{};
  paraFormat_.cbSize = sizeof(PARAFORMAT2);
  paraFormat_.dwMask = 0x8001003F;
  paraFormat_.wAlignment = (style_ & ES_CENTER) ? PFA_CENTER : (style_ & ES_RIGHT) ? PFA_RIGHT : PFA_LEFT;
  paraFormat_.cTabCount = 1;
  paraFormat_.rgxTabs[0] = 720;
}

// --- wrappers ---------------------------------------------------------------

void SRichEdit::SelectRange(LONG start, LONG end, BOOL noScroll) {
  SendToServices(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
  if (!noScroll) SendToServices(EM_SCROLLCARET, 0, 0);
}

void SRichEdit::ReplaceSelection(const SStringW& text, BOOL canUndo) {
  SendToServices(EM_REPLACESEL, canUndo, reinterpret_cast<LPARAM>(text.c_str()));
}

BOOL SRichEdit::SetReadOnly(BOOL readOnly) { return static_cast<BOOL>(SendSwndMessage(EM_SETREADONLY, readOnly)); }
BOOL SRichEdit::SetMaxLength(DWORD length) { return static_cast<BOOL>(SendSwndMessage(EM_EXLIMITTEXT, 0, length)); }

void SRichEdit::SetRichText(BOOL rich) {
  SetBit(options_, kOptRich, rich != FALSE);
  NotifyBits(TXTBIT_RICHTEXT);
}

void SRichEdit::SetWordWrap(BOOL wrap) {
  SetBit(options_, kOptWordWrap, wrap != FALSE);
  NotifyBits(TXTBIT_WORDWRAP);
}

void SRichEdit::SetSaveSelection(BOOL save) {
  SetBit(options_, kOptSaveSel, save != FALSE);
  NotifyBits(TXTBIT_SAVESELECTION);
}

void SRichEdit::SetDefaultAlignment(WORD alignment) {
  paraFormat_.wAlignment = alignment;
  NotifyBits(TXTBIT_PARAFORMATCHANGE);
}

void SRichEdit::SetDefaultParagraphOffset(LONG offset) {
  paraFormat_.dxOffset = offset;
  NotifyBits(TXTBIT_PARAFORMATCHANGE);
}

COLORREF SRichEdit::SetDefaultCharColor(COLORREF color) {
  const COLORREF old = charFormat_.crTextColor;
  charFormat_.crTextColor = color & 0xFFFFFF;
  NotifyBits(TXTBIT_CHARFORMATCHANGE);
  return old;
}

BOOL SRichEdit::LoadRtfFile(LPCWSTR path) {
  StreamFile stream{OpenWide(path, "rb")};
  if (!stream.file) return FALSE;
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&stream), 0, &ReadFromFile};
  LRESULT read = 0;
  const BOOL ok = SendToServices(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es), &read);
  fclose(stream.file);
  return ok && es.dwError == 0;
}

// Written to a temporary file first so that a failed write leaves the old
// file whole.
BOOL SRichEdit::SaveRtfFile(LPCWSTR path) {
  const SStringA target = ConvertW2A(SStringW(path), CP_UTF8);
  const std::string temp = std::string(target.c_str()) + ".tmp";
  StreamFile stream{fopen(temp.c_str(), "wb")};
  if (!stream.file) return FALSE;
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&stream), 0, &WriteToFile};
  const BOOL sent = SendToServices(EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
  const bool closed = fclose(stream.file) == 0;
  if (!sent || es.dwError != 0 || !closed || rename(temp.c_str(), target.c_str()) != 0) {
    remove(temp.c_str());
    return FALSE;
  }
  return TRUE;
}

// A "type:name" value names a resource; anything else is a file path. A
// missing or empty source changes nothing.
void SRichEdit::ApplyRtf(const SStringW& value) {
  const int colon = value.Find(L':');
  const bool resource = colon > 0 && !(colon == 1 && value.GetLength() > 2 && value[2] == L'\\');
  if (!resource) {
    LoadRtfFile(value.c_str());
    return;
  }
  SApplication* app = SApplication::getSingletonPtr();
  if (!app) return;
  SStringW type, name;
  if (!SplitResId(value, type, name)) return;
  const size_t size = app->ResourceByteSize(type.c_str(), name.c_str());
  if (size == 0) return;
  std::unique_ptr<BYTE[]> data(new BYTE[size]);
  if (!app->ReadResourceBytes(type.c_str(), name.c_str(), data.get(), size)) return;
  MemoryReader reader{data.get(), size, 0};
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&reader), 0, &ReadFromMemory};
  SendToServices(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
}

}  // namespace ORIEL
