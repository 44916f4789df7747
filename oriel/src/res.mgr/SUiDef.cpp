#include "res.mgr/SUiDef.h"

#include <atomic>

#include "core/SApplication.h"
#include "core/SObjDefAttr.h"
#include "gdi/GdiCairo.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SStylePool.h"
#include "res.mgr/STemplatePool.h"

namespace ORIEL {

const wchar_t* const kDefaultFontFace = L"宋体";

namespace {

std::atomic<SUiDef::FontFaceCheck> g_faceCheck{nullptr};

bool DefaultFaceCheck(LPCWSTR face) { return GdiFontFaceExists(face); }

#define UIDEF_WARN(text) SLOGW(SLOG_LEVEL_WARN, "ORIEL::SUiDefInfo::Init", L"%s", text)

// Reads a whole resource from one provider into a document.
bool LoadFromProvider(IResProvider* provider, const SStringW& type, const SStringW& name, SXmlDoc& doc,
                      bool* missing = nullptr) {
  const size_t size = provider->ResourceByteSize(type, name);
  if (missing) *missing = size == 0;
  if (size == 0) return false;
  SArray<char> bytes;
  bytes.SetSize(static_cast<int>(size));
  if (!provider->ReadResourceBytes(type, name, bytes.GetData(), size)) return false;
  return doc.LoadBuffer(bytes.GetData(), size);
}

template <class T>
void Replace(T*& slot, T* value) {
  if (slot == value) return;
  if (value) value->AddRef();
  if (slot) slot->Release();
  slot = value;
}

}  // namespace

SUiDefInfo::SUiDefInfo() = default;

SUiDefInfo::~SUiDefInfo() {
  Replace<SSkinPool>(skinPool_, nullptr);
  Replace<SStylePool>(stylePool_, nullptr);
  Replace<SObjDefAttr>(objDefAttr_, nullptr);
  Replace<STemplatePool>(templatePool_, nullptr);
}

void SUiDefInfo::SetSkinPool(SSkinPool* pool) { Replace(skinPool_, pool); }
void SUiDefInfo::SetStylePool(SStylePool* pool) { Replace(stylePool_, pool); }
void SUiDefInfo::SetObjDefAttr(SObjDefAttr* attrs) { Replace(objDefAttr_, attrs); }
void SUiDefInfo::SetTemplatePool(STemplatePool* pool) { Replace(templatePool_, pool); }

bool SUiDefInfo::Init(IResProvider* provider, LPCWSTR uidefId) {
  // Until the definition loads, it stands for the default font, so a failed
  // definition made current still gives fonts a face.
  defFont_ = FontInfo{L"default", kDefaultFontStyle, kDefaultFontFace, L""};
  SStringW type, name;
  if (!SplitResId(SStringW(uidefId ? uidefId : L""), type, name)) {
    UIDEF_WARN(L"warning!!!! Add ResProvider Error.");
    return false;
  }
  SXmlDoc doc;
  bool missing = false;
  if (!provider || !LoadFromProvider(provider, type, name, doc, &missing)) {
    UIDEF_WARN(missing || !provider ? L"warning!!!! uidef was not found in the specified resprovider"
                                    : L"warning!!! load uidef as xml document failed");
    return false;
  }
  pugi::xml_node root = XmlChild(doc, L"uidef");
  if (!root) {
    UIDEF_WARN(L"warning!!! \"uidef\" element is not the root element of uidef xml");
    return false;
  }
  LoadFont(XmlChild(root, L"font"));
  if (pugi::xml_node unit = XmlChild(root, L"unit")) {
    pugi::xml_attribute def = XmlAttr(unit, L"defUnit");
    SLayoutSize::SetDefaultUnit(def ? XmlValue(def) : SStringW(L"dp"));
  }
  for (const wchar_t* section : {L"string", L"color", L"dim", L"skin", L"style", L"template", L"objattr"})
    LoadSection(provider, root, section);
  loaded_ = true;
  return true;
}

void SUiDefInfo::LoadFont(pugi::xml_node font) {
  if (!font) return;
  auto attr = [&](const wchar_t* n) { return XmlAttr(font, n); };
  const uint32_t size = attr(L"size") ? attr(L"size").as_uint() : 12;
  const uint32_t charset = attr(L"charset") ? attr(L"charset").as_uint() : 1;
  const uint32_t weight = attr(L"weight").as_uint(0);
  uint32_t style = (charset & 0xFF) | ((((weight + 2) / 4) & 0xFF) << 8) | (size << 20);
  if (attr(L"italic").as_bool()) style |= FontInfo::kItalic;
  if (attr(L"underline").as_bool()) style |= FontInfo::kUnderline;
  if (attr(L"bold").as_bool()) style |= FontInfo::kBold;
  if (attr(L"strike").as_bool()) style |= FontInfo::kStrike;
  SStringW face = XmlValue(attr(L"face"));
  if (face.IsEmpty() || !SUiDef::FontFaceExists(face)) face = kDefaultFontFace;
  defFont_.strName = attr(L"name") ? XmlValue(attr(L"name")) : SStringW(L"default");
  defFont_.style = style;
  defFont_.strFace = face;
}

void SUiDefInfo::LoadSection(IResProvider* provider, pugi::xml_node root, const wchar_t* name) {
  pugi::xml_node node = XmlChild(root, name);
  if (!node) return;
  SXmlDoc external;
  SStringW srcType, srcName;
  if (SplitResId(XmlValue(XmlAttr(node, L"src")), srcType, srcName) &&
      LoadFromProvider(provider, srcType, srcName, external)) {
    node = XmlChild(external, name);
  }
  if (!node) return;
  const SStringW section(name);
  if (section == L"string") {
    strings_.Init(node);
  } else if (section == L"color") {
    colors_.Init(node);
  } else if (section == L"dim") {
    dims_.Init(node);
  } else if (section == L"skin") {
    SSkinPool* pool = new SSkinPool;
    SetSkinPool(pool);
    pool->Release();
    pool->AddSkinsFromXml(node);
  } else if (section == L"style") {
    SStylePool* pool = new SStylePool;
    SetStylePool(pool);
    pool->Release();
    pool->Init(node);
  } else if (section == L"template") {
    STemplatePool* pool = new STemplatePool;
    SetTemplatePool(pool);
    pool->Release();
    pool->Init(node);
  } else if (section == L"objattr") {
    SObjDefAttr* attrs = new SObjDefAttr;
    SetObjDefAttr(attrs);
    attrs->Release();
    attrs->Init(node);
  }
}

SUiDef::~SUiDef() {
  if (current_) current_->Release();
  current_ = nullptr;
}

IUiDefInfo* SUiDef::BuildDefinition(IResProvider* provider, LPCWSTR uidefId) {
  auto* info = new SUiDefInfo;
  IUiDefInfo* previous = current_;
  current_ = info;  // borrowed while loading: references resolve against the new definition
  info->Init(provider, uidefId);
  current_ = previous;
  if (SSkinPool* pool = info->GetSkinPool()) SSkinPoolMgr::getSingleton().PushSkinPool(pool);
  if (SStylePool* pool = info->GetStylePool()) SStylePoolMgr::getSingleton().PushStylePool(pool);
  if (STemplatePool* pool = info->GetTemplatePool()) STemplatePoolMgr::getSingleton().PushTemplatePool(pool);
  return info;
}

void SUiDef::SetUiDef(IUiDefInfo* info) {
  if (info == current_) return;
  auto* def = dynamic_cast<SUiDefInfo*>(info);
  if (def && !def->IsLoaded() && current_) return;
  if (info) info->AddRef();
  if (current_) current_->Release();
  current_ = info;
}

IUiDefInfo* SUiDef::CurrentInfo() {
  SUiDef* def = getSingletonPtr();
  return def ? def->GetUiDef() : nullptr;
}

void SUiDef::SetFontFaceCheck(FontFaceCheck check) { g_faceCheck = check; }

bool SUiDef::FontFaceExists(LPCWSTR face) {
  FontFaceCheck check = g_faceCheck.load();
  return (check ? check : DefaultFaceCheck)(face);
}

}  // namespace ORIEL
