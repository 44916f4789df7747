// The window's attribute map, and what an applied attribute redraws or
// lays out again.
#include <cwctype>

#include "core/SApplication.h"
#include "core/SWnd.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SStylePool.h"

namespace ORIEL {

namespace {

struct SymbolicId {
  const wchar_t* name;
  int id;
};
constexpr SymbolicId kSymbolicIds[] = {{L"IDOK", 1},     {L"IDCANCEL", 2}, {L"IDABORT", 3},
                                       {L"IDRETRY", 4},  {L"IDIGNORE", 5}, {L"IDYES", 6},
                                       {L"IDNO", 7},     {L"IDCLOSE", 8},  {L"IDHELP", 9}};

// The id a value names: a symbol of the table, or a decimal number; false
// for a symbol the table does not know.
bool ParseId(const SStringW& value, int& out) {
  if (value.GetLength() >= 2 && towupper(value[0]) == L'I' && towupper(value[1]) == L'D') {
    for (const SymbolicId& s : kSymbolicIds) {
      if (_wcsicmp(value.c_str(), s.name) == 0) {
        out = s.id;
        return true;
      }
    }
    return false;
  }
  out = static_cast<int>(wcstol(value.c_str(), nullptr, 10));
  return true;
}

void SetFlag(DWORD& flags, DWORD bit, bool on) { flags = on ? (flags | bit) : (flags & ~bit); }

}  // namespace

HRESULT SWindow::ApplyStyleClass(const SStringW& name, BOOL loading) {
  SStylePoolMgr* pools = SStylePoolMgr::getSingletonPtr();
  pugi::xml_node style = pools ? pools->GetStyle(name) : pugi::xml_node();
  if (!style) return 1;
  pugi::xml_attribute layoutAttr = XmlAttr(style, L"layout");
  if (layoutAttr) {
    ApplyAttribute(SStringW(L"layout"), XmlValue(layoutAttr), loading);
    XmlSetMark(style, layoutAttr, 1);
  }
  for (pugi::xml_attribute a = style.first_attribute(); a; a = a.next_attribute()) {
    if (XmlNameIs(a.name(), L"class") || XmlMark(style, a)) continue;
    ApplyAttribute(XmlText(a.name()), XmlValue(a), loading);
  }
  if (layoutAttr) XmlSetMark(style, layoutAttr, 0);
  return 1;
}

// The window's own names; false when the name is not one of them.
bool SWindow::AppliesToSelf(const SStringW& name, const SStringW& value, BOOL loading, HRESULT& hr) {
  const bool on = ParseAttrBool(value);
  if (AttrNameIs(name, L"layout")) {
    SApplication* app = SApplication::getSingletonPtr();
    IObject* made = app ? app->CreateObject(SObjectInfo(value, kObjLayout)) : nullptr;
    ILayout* layout = dynamic_cast<ILayout*>(made);
    if (!layout) {
      if (made) made->Release();
      hr = E_INVALIDARG;
      return true;
    }
    layout_.Attach(layout);
    hr = 0;
  } else if (AttrNameIs(name, L"class")) {
    hr = ApplyStyleClass(value, loading);
  } else if (AttrNameIs(name, L"id")) {
    int id = id_;
    if (!value.IsEmpty() && ParseId(value, id)) id_ = id;
    hr = 1;
  } else if (AttrNameIs(name, L"name")) {
    name_ = value;
    if (id_ == 0)
      if (SApplication* app = SApplication::getSingletonPtr()) id_ = app->LookupNamedId(value);
    hr = 1;
  } else if (AttrNameIs(name, L"skin") || AttrNameIs(name, L"ncskin")) {
    SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
    ISkinObj* skin = skins ? skins->GetSkin(value, GetScale()) : nullptr;
    const bool background = AttrNameIs(name, L"skin");
    (background ? bkgndSkin_ : ncSkin_) = skin;
    (background ? bkgndSkinName_ : ncSkinName_) = value;
    if (background && !loading && param_->IsWrapContent(Any)) MarkRelayoutSelf();
    hr = background && loading ? 1 : 0;
  } else if (AttrNameIs(name, L"cache")) {
    SetFlag(flags_, kFlagCache, on);
    hr = 1;
  } else if (AttrNameIs(name, L"layeredWindow")) {
    SetFlag(flags_, kFlagLayered, on);
    hr = loading ? 1 : 0;
  } else if (AttrNameIs(name, L"data")) {
    userData_ = static_cast<ULONG_PTR>(ParseAttrInt(value));
    hr = 1;
  } else if (AttrNameIs(name, L"text")) {
    text_.SetText(SResProviderMgr::LookupNamedString(value));
    if (!loading) NotifyContentChange();
    hr = 0;
  } else if (AttrNameIs(name, L"trCtx")) {
    trCtx_ = SResProviderMgr::LookupNamedString(value);
    hr = 1;
  } else if (AttrNameIs(name, L"enable")) {
    if (loading) on ? (state_ &= ~WndState_Disable) : (state_ = (state_ | WndState_Disable) & ~WndState_Hover);
    else SetEnabled(on, TRUE);
    hr = 1;
  } else if (AttrNameIs(name, L"visible") || AttrNameIs(name, L"show")) {
    if (loading) SetFlag(flags_, kFlagVisible, on);
    else SetVisible(on, TRUE);
    hr = 1;
  } else if (AttrNameIs(name, L"display")) {
    SetFlag(flags_, kFlagDisplay, on);
    if (!loading) MarkRelayoutSelf();
    hr = loading ? 1 : 0;
  } else if (AttrNameIs(name, L"tip")) {
    tip_.SetText(SResProviderMgr::LookupNamedString(value));
    hr = 1;
  } else if (AttrNameIs(name, L"msgTransparent")) {
    SetFlag(flags_, kFlagMsgTransparent, on);
    hr = 1;
  } else if (AttrNameIs(name, L"maxWidth")) {
    maxWidth_ = SResProviderMgr::LookupNamedDimension(value);
    hr = 1;
  } else if (AttrNameIs(name, L"clipClient")) {
    SetFlag(flags_, kFlagClipClient, on);
    hr = 1;
  } else if (AttrNameIs(name, L"focusable")) {
    SetFlag(flags_, kFlagFocusable, on);
    hr = 1;
  } else if (AttrNameIs(name, L"drawFocusRect")) {
    SetFlag(flags_, kFlagDrawFocusRect, on);
    hr = 0;
  } else if (AttrNameIs(name, L"float")) {
    float_ = on;
    hr = 1;
  } else {
    return false;
  }
  return true;
}

HRESULT SWindow::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = E_FAIL;
  if (!AppliesToSelf(name, value, loading, hr)) {
    hr = style_->ApplyAttribute(name, value, loading);
    if (hr >= 0) {
      hr += kAttrByStyle;
    } else if ((hr = layout_->ApplyAttribute(name, value, loading)) >= 0) {
      hr += kAttrByLayout;
    } else if ((hr = param_->ApplyAttribute(name, value, loading)) >= 0) {
      hr += kAttrByLayoutParam;
    } else {
      return HandleUnknownAttribute(name, value, loading);
    }
  }
  return FinishAttribute(name, value, loading, hr);
}

HRESULT SWindow::FinishAttribute(const SStringW&, const SStringW&, BOOL loading, HRESULT hr) {
  if ((hr & 0xFFFF) != 0 || loading) return hr;
  if ((hr & (kAttrByLayout | kAttrByLayoutParam)) && parent_) parent_->MarkRelayoutSelf();
  else Invalidate();
  return hr;
}

}  // namespace ORIEL
