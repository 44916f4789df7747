#include "res.mgr/SFontPool.h"

#include <cwchar>

#include "core/SApplication.h"
#include "core/SStringSplit.h"
#include "crt/wtoi.h"
#include "res.mgr/SUiDef.h"

namespace ORIEL {
namespace {

FontInfo DefaultFont() {
  IUiDefInfo* def = SUiDef::CurrentInfo();
  if (def) return def->GetDefFontInfo();
  return FontInfo{L"default", kDefaultFontStyle, kDefaultFontFace, L""};
}

uint32_t KeyHash(const FontInfo& f) {
  return f.strFace.Hash() * 32768u + f.strName.Hash() * 1024u + f.strPropEx.Hash() * 32u + f.style + 1u;
}

void SetBit(uint32_t& style, uint32_t bit, const SStringW& value) {
  if (value == L"0")
    style &= ~bit;
  else
    style |= bit;
}

}  // namespace

bool SFontKey::operator==(const SFontKey& o) const {
  return hash == o.hash && info.style == o.info.style && info.strFace == o.info.strFace &&
         info.strPropEx == o.info.strPropEx;
}

SFontPool::SFontPool(IRenderFactory* factory) : factory_(factory), fonts_(17, 0.75f, 0.25f, 2.25f, 10) {}

SFontPool::~SFontPool() {
  factory_.reset();
  for (SPOSITION pos = fonts_.GetStartPosition(); pos;) {
    if (IFont* f = fonts_.GetNext(pos)->m_value) f->Release();
  }
  fonts_.RemoveAll();
}

FontInfo SFontPool::DescribeFont(const SStringW& descriptionIn, int scale, SXmlDoc& extra) {
  const FontInfo def = DefaultFont();
  FontInfo info;
  info.style = FontInfo::WithSize(def.style, 0);
  int adding = 0, size = 0;
  pugi::xml_node props = extra.append_child("font");
  SStringW description = descriptionIn;
  description.MakeLower();
  SStringWArray parts;
  SplitByChar(description, L',', parts);
  for (int i = parts.GetCount() - 1; i >= 0; --i) {
    SStringWArray kv;
    if (SplitByChar(parts[i], L':', kv) != 2) continue;
    const SStringW& key = kv[0];
    const SStringW& value = kv[1];
    if (key == L"face") {
      info.strFace = value;
    } else if (key == L"adding") {
      adding = SResProviderMgr::LookupNamedDimension(value).ToPixels(scale);
    } else if (key == L"size") {
      size = SResProviderMgr::LookupNamedDimension(value).ToPixels(scale);
    } else if (key == L"italic") {
      SetBit(info.style, FontInfo::kItalic, value);
    } else if (key == L"bold") {
      SetBit(info.style, FontInfo::kBold, value);
    } else if (key == L"strike") {
      SetBit(info.style, FontInfo::kStrike, value);
    } else if (key == L"underline") {
      SetBit(info.style, FontInfo::kUnderline, value);
    } else if (key == L"charset") {
      info.style = (info.style & ~0xFFu) | (static_cast<uint32_t>(_wtoi(value)) & 0xFF);
    } else if (key == L"weight") {
      info.style = (info.style & ~0xFF00u) | ((((static_cast<uint32_t>(_wtoi(value)) + 2) / 4) & 0xFF) << 8);
    } else if (key == L"name") {
      info.strName = value;
    } else {
      props.append_attribute(XmlUtf8(key).c_str()) = XmlUtf8(value).c_str();
    }
  }
  if (size == 0) size = scale * static_cast<int>(FontInfo::Size(def.style)) / 100 + adding;
  info.style = FontInfo::WithSize(info.style, static_cast<uint32_t>(size < 0 ? 0 : size) & 0xFFF);
  return info;
}

IFont* SFontPool::GetFontByDescription(const SStringW& description, int scale) {
  SXmlDoc extra;
  const FontInfo info = DescribeFont(description, scale, extra);
  return GetFont(info, extra.first_child());
}

IFont* SFontPool::GetFont(const FontInfo& infoIn, pugi::xml_node extra) {
  const FontInfo def = DefaultFont();
  FontInfo info = infoIn;
  if (info.strFace.IsEmpty()) info.strFace = def.strFace;
  info.strPropEx = XmlToString(extra, "\t");
  if (info.strName.IsEmpty()) info.strName = def.strName;
  SFontKey key{info, KeyHash(info)};
  IFont* font = nullptr;
  if (fonts_.Lookup(key, font)) return font;

  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(FontInfo::Size(info.style));
  const uint32_t w4 = FontInfo::Weight4(info.style);
  lf.lfWeight = w4 ? static_cast<LONG>(w4 * 4) : ((info.style & FontInfo::kBold) ? 700 : 400);
  lf.lfItalic = (info.style & FontInfo::kItalic) ? 1 : 0;
  lf.lfUnderline = (info.style & FontInfo::kUnderline) ? 1 : 0;
  lf.lfStrikeOut = (info.style & FontInfo::kStrike) ? 1 : 0;
  lf.lfCharSet = static_cast<BYTE>(FontInfo::Charset(info.style));
  lf.lfQuality = 5;  // CLEARTYPE_QUALITY
  // A face longer than the field is cut to 31 characters and terminated.
  wcsncpy(lf.lfFaceName, info.strFace.c_str(), LF_FACESIZE - 1);
  lf.lfFaceName[LF_FACESIZE - 1] = 0;
  SApplication* app = SApplication::getSingletonPtr();
  if (app && app->GetTranslator()) app->GetTranslator()->UpdateFont(info, lf);
  if (factory_ && factory_->CreateFont(&font, lf) && font) font->SetProp(&extra);
  fonts_.SetAt(key, font);
  return font;
}

void SScaledFont::SetDescription(const SStringW& description, int scale) {
  description_ = description;
  if (SFontPool* pool = SFontPool::getSingletonPtr()) font_ = pool->GetFontByDescription(description, scale);
}

void SScaledFont::Rescale(int scale) {
  if (description_.IsEmpty()) return;
  if (SFontPool* pool = SFontPool::getSingletonPtr()) font_ = pool->GetFontByDescription(description_, scale);
}

}  // namespace ORIEL
