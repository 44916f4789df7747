// The framework menu's tree: the root that stacks its items and carries
// the menu's skins and sizes, the items that draw themselves from those,
// and the separators.
#include <algorithm>

#include "control/SMenuEx.h"
#include "core/SApplication.h"
#include "core/SStringSplit.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {
namespace {

// The menu's built-in skins, by their index among the system skins: item,
// icon (none), check, arrow, separator.
constexpr int kSysSkins[5] = {28, -1, 24, 26, 25};
constexpr const wchar_t* kSkinAttrs[5] = {L"itemSkin", L"iconSkin", L"checkSkin", L"arrowSkin", L"sepSkin"};

ISkinObj* SystemSkin(int index) {
  SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
  return pools && index >= 0 ? pools->FindSystemSkin(index, 100) : nullptr;
}

ISkinObj* SkinByName(const SStringW& name, int scale) {
  SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr();
  return pools && !name.IsEmpty() ? pools->GetSkin(name, scale) : nullptr;
}

SLayoutSize Size(const SStringW& value) { return SResProviderMgr::LookupNamedDimension(value); }

int Px(const SLayoutSize& s, int scale) { return s.IsValid() ? s.ToPixels(scale) : 0; }

// The icon's rectangle in an item: at (left + x, top + y), centred
// vertically when y is the special value.
RECT IconRect(const RECT& rc, const SMenuExRoot& root, SIZE size, int scale) {
  const int x = rc.left + Px(root.iconX, scale);
  const int y = root.iconY.fSize == SMenuExRoot::kIconCentred && root.iconY.unit == SLayoutSize::px
                    ? rc.top + (rc.bottom - rc.top - size.cy) / 2
                    : rc.top + root.iconY.ToPixels(scale);
  return RECT{x, y, x + size.cx, y + size.cy};
}

}  // namespace

// --- root ---------------------------------------------------------------

SMenuExRoot::SMenuExRoot(SMenuEx* host) : host_(host) {
  ISkinObj** skins[5] = {&itemSkin, &iconSkin, &checkSkin, &arrowSkin, &sepSkin};
  for (int i = 0; i < 5; ++i) *skins[i] = SystemSkin(kSysSkins[i]);
  ApplyAttribute(SStringW(L"layout"), SStringW(L"vbox"), TRUE);
}

HRESULT SMenuExRoot::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  ISkinObj** skins[5] = {&itemSkin, &iconSkin, &checkSkin, &arrowSkin, &sepSkin};
  for (int i = 0; i < 5; ++i) {
    if (AttrNameIs(name, kSkinAttrs[i])) {
      skinNames_[i] = value;
      *skins[i] = SkinByName(value, GetScale());
      return FinishAttribute(name, value, loading, S_FALSE);
    }
  }
  if (AttrNameIs(name, L"itemHeight")) itemHeight = Size(value);
  else if (AttrNameIs(name, L"iconBarWidth")) iconBarWidth = Size(value);
  else if (AttrNameIs(name, L"textOffset")) textOffset = Size(value);
  else if (AttrNameIs(name, L"minWidth")) minWidth = Size(value);
  else if (AttrNameIs(name, L"subMenuOffset")) subMenuOffset = Size(value);
  else if (AttrNameIs(name, L"contextHelpId")) contextHelpId = static_cast<DWORD>(ParseAttrInt(value));
  else if (AttrNameIs(name, L"iconPos")) {
    SArray<SStringW> parts;
    const int n = SplitByChar(value, L',', parts);
    if (n < 1 || n > 2) return E_INVALIDARG;
    iconX = Size(parts[0]);
    iconY = n == 2 ? Size(parts[1]) : SLayoutSize(kIconCentred, SLayoutSize::px);
    return FinishAttribute(name, value, loading, S_OK);
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, S_FALSE);
}

void SMenuExRoot::CopyLook(const SMenuExRoot& o) {
  itemSkin = o.itemSkin, iconSkin = o.iconSkin, checkSkin = o.checkSkin, arrowSkin = o.arrowSkin;
  sepSkin = o.sepSkin;
  for (int i = 0; i < 5; ++i) skinNames_[i] = o.skinNames_[i];
  itemHeight = o.itemHeight, iconBarWidth = o.iconBarWidth, textOffset = o.textOffset;
  iconX = o.iconX, iconY = o.iconY, minWidth = o.minWidth, subMenuOffset = o.subMenuOffset;
  // The style's margins, which the root's size counts.
  const RECT m = const_cast<SMenuExRoot&>(o).GetStyle().GetScaledMargin();
  if (m.left || m.top || m.right || m.bottom)
    ApplyAttribute(SStringW(L"margin"), SStringW().Format(L"%dpx,%dpx,%dpx,%dpx", m.left, m.top, m.right, m.bottom),
                   FALSE);
}

void SMenuExRoot::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  ISkinObj** skins[5] = {&itemSkin, &iconSkin, &checkSkin, &arrowSkin, &sepSkin};
  for (int i = 0; i < 5; ++i) {
    if (!skinNames_[i].IsEmpty()) *skins[i] = SkinByName(skinNames_[i], scale);
    else if (kSysSkins[i] >= 0)
      if (SSkinPoolMgr* pools = SSkinPoolMgr::getSingletonPtr()) *skins[i] = pools->FindSystemSkin(kSysSkins[i], scale);
  }
}

BOOL SMenuExRoot::CreateChildren(pugi::xml_node element) {
  SApplication* app = SApplication::getSingletonPtr();
  for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    SMenuExItem* item = nullptr;
    if (XmlNameIs(c.name(), L"menuItem")) item = new SMenuExItem(host_, itemSkin);
    else if (XmlNameIs(c.name(), L"sep")) item = new SMenuExSep(host_, sepSkin);
    else continue;
    if (app) app->ApplyDefaultAttributes(item);
    AttachChild(item);
    item->LoadXmlNode(c);
  }
  return TRUE;
}

SIZE SMenuExRoot::MeasureDesiredSize(int, int) {
  const int scale = GetScale();
  int width = 0, height = 0;
  for (SWindow* c = GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING)) {
    const SIZE s = c->MeasureDesiredSize(-1, -1);
    if (s.cx < 2000) width = std::max<int>(width, s.cx);
    height += s.cy;
  }
  const RECT m = GetStyle().GetScaledMargin();
  width += m.left + m.right;
  height += m.top + m.bottom;
  if (GetMaxWidth().IsValid()) width = std::min(width, GetMaxWidth().ToPixels(scale));
  width = std::max(width, Px(minWidth, scale));
  return SIZE{width, height};
}

void SMenuExRoot::ArrangeChildren() {
  RECT area;
  GetLayoutArea(&area);
  int y = area.top;
  for (SWindow* c = GetRelative(GSW_FIRSTCHILD); c; c = c->GetRelative(GSW_NEXTSIBLING)) {
    const SIZE s = c->MeasureDesiredSize(area.right - area.left, -1);
    RECT rc{area.left, y, area.right, y + s.cy};
    c->RelayoutTo(&rc);
    y += s.cy;
  }
}

// --- item ---------------------------------------------------------------

// The item paints its menu's item skin itself (the root may change it
// with the scale), so the window keeps no skin of its own.
SMenuExItem::SMenuExItem(SMenuEx* host, ISkinObj*) : host_(host) {
  ApplyAttribute(SStringW(L"align"), SStringW(L"left"), TRUE);
}

SMenuExItem::~SMenuExItem() {
  if (subMenu_) {
    subMenu_->DestroyHostWindow();
    subMenu_->Release();
  }
}

SMenuExRoot* SMenuExItem::Root() const { return host_ ? host_->GetRoot() : nullptr; }

HRESULT SMenuExItem::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"icon")) {
    icon_ = ParseAttrInt(value);
    return FinishAttribute(name, value, loading, S_OK);
  }
  if (AttrNameIs(name, L"check")) {
    check_ = ParseAttrInt(value);
    return FinishAttribute(name, value, loading, S_OK);
  }
  if (AttrNameIs(name, L"radio")) {
    radio_ = ParseAttrInt(value);
    return FinishAttribute(name, value, loading, S_OK);
  }
  if (AttrNameIs(name, L"hotKey")) {
    hotKey_ = value.IsEmpty() ? 0 : value[0];
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  return SWindow::ApplyAttribute(name, value, loading);
}

BOOL SMenuExItem::CreateChildren(pugi::xml_node element) {
  bool hasItems = false;
  for (pugi::xml_node c = element.first_child(); c && !hasItems; c = c.next_sibling())
    hasItems = c.type() == pugi::node_element && XmlNameIs(c.name(), L"menuItem");
  if (!hasItems) return SWindow::CreateChildren(element);
  subMenu_ = new SMenuEx(this);
  if (!subMenu_->LoadFromNode(element, host_ ? host_->GetHwnd() : nullptr)) {
    subMenu_->Release();
    subMenu_ = nullptr;
    return FALSE;
  }
  return TRUE;
}

SMenuEx* SMenuExItem::MakeEmptySubMenu() {
  if (subMenu_) return subMenu_;
  subMenu_ = new SMenuEx(this);
  SXmlDoc doc;
  doc.LoadBuffer("<menuItem/>", 11);
  if (!subMenu_->LoadFromNode(doc.first_child(), host_ ? host_->GetHwnd() : nullptr)) {
    subMenu_->Release();
    subMenu_ = nullptr;
    return nullptr;
  }
  if (SMenuExRoot* mine = Root()) subMenu_->GetRoot()->CopyLook(*mine);
  return subMenu_;
}

SIZE SMenuExItem::MeasureDesiredSize(int widthHint, int heightHint) {
  if (!IsVisible()) return SIZE{0, 0};
  SMenuExRoot* root = Root();
  const int scale = GetScale();
  SIZE size{0, 0};
  ILayoutParam* param = GetLayoutParam();
  if (param->HasFixedSize(Horz)) {
    size.cx = param->GetSpecifiedSize(Horz).ToPixels(scale);
  } else {
    size.cx = MeasureText(0x7FFFFF, 0x7FFFFF, RECT{0, 0, 0, 0}).cx;
    if (root) size.cx += Px(root->iconBarWidth, scale) + Px(root->textOffset, scale);
    if (subMenu_ && root && root->arrowSkin) size.cx += root->arrowSkin->NaturalSize().cx;
  }
  if (param->HasFixedSize(Vert)) size.cy = param->GetSpecifiedSize(Vert).ToPixels(scale);
  else size.cy = root ? Px(root->itemHeight, scale) : 0;
  (void)widthHint;
  (void)heightHint;
  return size;
}

RECT SMenuExItem::TextRectangle() const {
  RECT rc = ClientRect();
  if (SMenuExRoot* root = Root()) {
    const int scale = GetScale();
    rc.left += Px(root->iconBarWidth, scale) + Px(root->textOffset, scale);
    if (subMenu_ && root->arrowSkin) rc.right -= root->arrowSkin->NaturalSize().cx;
  }
  return rc;
}

void SMenuExItem::OnPaint(IRenderTarget* rt) {
  SMenuExRoot* root = Root();
  const RECT rc = ClientRect();
  const DWORD state = GetState();
  if (root && root->itemSkin) {
    const int frames = root->itemSkin->StateCount();
    int frame = (state & WndState_Disable) ? 2 : (state & (WndState_Check | WndState_PushDown | WndState_Hover)) ? 1 : 0;
    if (frame >= frames) frame = 0;
    root->itemSkin->DrawByIndex(rt, &rc, frame);
  }
  SWindow::OnPaint(rt);
  if (!root) return;
  const int scale = GetScale();
  if ((check_ || radio_) && root->checkSkin) {
    const RECT at = IconRect(rc, *root, root->checkSkin->NaturalSize(), scale);
    root->checkSkin->DrawByIndex(rt, &at, radio_ ? (check_ ? 1 : 2) : 0);
  } else if (root->iconSkin && !(check_ || radio_)) {
    const RECT at = IconRect(rc, *root, root->iconSkin->NaturalSize(), scale);
    root->iconSkin->DrawByIndex(rt, &at, icon_);
  }
  if (subMenu_ && root->arrowSkin) {
    const SIZE a = root->arrowSkin->NaturalSize();
    const int top = rc.top + (rc.bottom - rc.top - a.cy) / 2;
    RECT at{rc.right - a.cx, top, rc.right, top + a.cy};
    root->arrowSkin->DrawByIndex(rt, &at, (state & WndState_Hover) ? 1 : 0);
  }
}

// --- separator ------------------------------------------------------------

SMenuExSep::SMenuExSep(SMenuEx* host, ISkinObj* skin) : SMenuExItem(host, skin) {
  // Never highlighted: disabled in its state and its own flags.
  SetEnabled(FALSE);
}

SIZE SMenuExSep::MeasureDesiredSize(int, int) {
  if (!IsVisible()) return SIZE{0, 0};
  SMenuExRoot* root = Root();
  ILayoutParam* param = GetLayoutParam();
  int height = 0;
  if (param->HasFixedSize(Vert)) height = param->GetSpecifiedSize(Vert).ToPixels(GetScale());
  else if (root && root->sepSkin) height = std::max<int>(1, root->sepSkin->NaturalSize().cy);
  const RECT m = GetStyle().GetScaledMargin();
  return SIZE{10000, height + m.top + m.bottom};
}

void SMenuExSep::OnPaint(IRenderTarget* rt) {
  SMenuExRoot* root = Root();
  const RECT rc = ClientRect();
  if (root && root->sepSkin) root->sepSkin->DrawByIndex(rt, &rc, 0);
}

}  // namespace ORIEL
