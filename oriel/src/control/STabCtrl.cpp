#include "control/STabCtrl.h"

#include <algorithm>

#include "control/SControlPaint.h"
#include "core/SApplication.h"
#include "core/SStringSplit.h"
#include "res.mgr/SResProviderMgr.h"
#include "res.mgr/SSkinPool.h"

namespace ORIEL {

namespace {
constexpr int kSkinTabPage = 11;
}

// --- page ---------------------------------------------------------------

STabPage::STabPage() { ApplyAttribute(SStringW(L"visible"), SStringW(L"0"), TRUE); }

HRESULT STabPage::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"title")) {
    title_.SetText(SResProviderMgr::LookupNamedString(value));
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  if (AttrNameIs(name, L"iconIndex")) {
    iconIndex_ = ParseAttrInt(value);
    return FinishAttribute(name, value, loading, S_FALSE);
  }
  return SWindow::ApplyAttribute(name, value, loading);
}

BOOL STabPage::RefreshTranslation() {
  title_.Translate();
  return SWindow::RefreshTranslation();
}

// --- slider -------------------------------------------------------------

bool STabSlider::Start(STabCtrl* tab, SWindow* from, SWindow* to, bool toLower, int steps, int animateType,
                       IInterpolator* interpolator) {
  SApplication* app = SApplication::getSingletonPtr();
  RECT area;
  tab->GetLayoutArea(&area);
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (!app || !app->GetRenderFactory() || w <= 0 || h <= 0) return false;
  tab_ = tab;
  steps_ = steps;
  interpolator_ = interpolator;
  vertical_ = tab->GetAlign() == STabCtrl::kLeft || tab->GetAlign() == STabCtrl::kRight;
  IRenderTarget* rt = nullptr;
  if (!app->GetRenderFactory()->CreateRenderTarget(&rt, vertical_ ? w : 2 * w, vertical_ ? 2 * h : h)) return false;
  rt_.Attach(rt);
  const int span = vertical_ ? h : w;
  // Towards a lower index the old page lies in the second half and the
  // view moves back to the first; towards a higher one the reverse.
  start_ = toLower ? span : 0;
  end_ = toLower ? 0 : span;
  const POINT oldAt = vertical_ ? POINT{0, start_} : POINT{start_, 0};
  const POINT newAt = vertical_ ? POINT{0, end_} : POINT{end_, 0};
  offset_ = oldAt;

  tab->AttachChild(this, animateType == 0 ? nullptr : ICWND_FIRST);
  SetContainer(tab->GetContainer());
  Move(&area);
  SetVisible(FALSE);
  if (GetContainer()) GetContainer()->MarkZOrderDirty();
  const bool firstChild = animateType != 0;
  PaintPage(from, area, oldAt, firstChild);
  from->SetVisible(FALSE);
  to->SetVisible(TRUE);
  PaintPage(to, area, newAt, firstChild);
  to->SetVisible(FALSE);
  SetVisible(TRUE, TRUE);
  if (GetContainer()) GetContainer()->AddTimelineHandler(this);
  started_ = true;
  return true;
}

void STabSlider::PaintPage(SWindow* page, const RECT& area, POINT at, bool firstChild) {
  POINT old;
  rt_->OffsetViewportOrg(at.x - area.left, at.y - area.top, &old);
  // The slider is hidden while it paints, so the tree beneath it is what
  // the page area would show.
  if (firstChild) {
    rt_->ClearRect(&area, 0);
    page->PaintInRegion(rt_, &area);
    PaintOverlay(rt_, area);
  } else {
    PaintUnderlay(rt_, area);
  }
  rt_->SetViewportOrg(old);
}

void STabSlider::AdvanceFrame() {
  if (++frame_ > steps_) {
    Stop();
    return;
  }
  const float p = interpolator_ ? interpolator_->GetInterpolation(static_cast<float>(frame_) / steps_)
                                : static_cast<float>(frame_) / steps_;
  const int at = start_ + static_cast<int>((end_ - start_) * p);
  offset_ = vertical_ ? POINT{0, at} : POINT{at, 0};
  Invalidate();
}

void STabSlider::OnPaint(IRenderTarget* rt) {
  if (!rt_) return;
  const RECT rc = GetWindowRect();
  rt->BitBlt(&rc, rt_, offset_.x, offset_.y, SRCCOPY);
}

BOOL STabSlider::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // A resize ends the slide: the pictures no longer fit.
  if (msg == SWM_SIZE && started_ && !stopping_) {
    Stop();
    result = 0;
    return TRUE;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

void STabSlider::Stop() {
  if (stopping_) return;
  stopping_ = true;
  STabCtrl* tab = tab_;
  Destroy();
  if (tab) tab->SliderGone(this);
}

void STabSlider::OnDestroy() {
  if (GetContainer()) GetContainer()->RemoveTimelineHandler(this);
  SWindow::OnDestroy();
}

// --- control ------------------------------------------------------------

STabCtrl::STabCtrl() {
  ApplyAttribute(SStringW(L"focusable"), SStringW(L"1"), TRUE);
  if (SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr()) tabSkin_ = skins->FindSystemSkin(kSkinTabPage);
  if (SApplication* app = SApplication::getSingletonPtr()) {
    IInterpolator* linear = app->NewInterpolatorByClass(SLinearInterpolator::GetClassName());
    interpolator_.Attach(linear);
  }
  SEventSet* events = GetEventSet();
  events->AddEvent(EventTabSelChanging::EventID, EventTabSelChanging::EventName());
  events->AddEvent(EventTabSelChanged::EventID, EventTabSelChanged::EventName());
  events->AddEvent(EventTabItemHover::EventID, EventTabItemHover::EventName());
  events->AddEvent(EventTabItemLeave::EventID, EventTabItemLeave::EventName());
}

STabCtrl::~STabCtrl() = default;

namespace {
ISkinObj* SkinByName(const SStringW& name, int scale) {
  SSkinPoolMgr* skins = SSkinPoolMgr::getSingletonPtr();
  return skins && !name.IsEmpty() ? skins->GetSkin(name, scale) : nullptr;
}
}  // namespace

HRESULT STabCtrl::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  HRESULT hr = S_FALSE;
  if (AttrNameIs(name, L"curSel")) {
    curSel_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"tabSize")) {
    SArray<SStringW> parts;
    if (SplitByChar(value, L',', parts) != 2) return E_INVALIDARG;
    tabWidth_ = SResProviderMgr::LookupNamedDimension(parts[0]);
    tabHeight_ = SResProviderMgr::LookupNamedDimension(parts[1]);
    hr = S_OK;
  } else if (AttrNameIs(name, L"tabWidth")) {
    tabWidth_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"tabHeight")) {
    tabHeight_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"tabPos")) {
    tabPos_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"tabInterSize")) {
    tabInterSize_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"icon-x")) {
    iconX_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"icon-y")) {
    iconY_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"text-x")) {
    textX_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"text-y")) {
    textY_ = SResProviderMgr::LookupNamedDimension(value);
  } else if (AttrNameIs(name, L"tabSkin")) {
    tabSkinName_ = value;
    tabSkin_ = SkinByName(value, GetScale());
  } else if (AttrNameIs(name, L"iconSkin")) {
    iconSkinName_ = value;
    iconSkin_ = SkinByName(value, GetScale());
  } else if (AttrNameIs(name, L"tabInterSkin")) {
    interSkinName_ = value;
    interSkin_ = SkinByName(value, GetScale());
  } else if (AttrNameIs(name, L"frameSkin")) {
    frameSkinName_ = value;
    frameSkin_ = SkinByName(value, GetScale());
  } else if (AttrNameIs(name, L"tabAlign")) {
    if (value == L"top") align_ = kTop;
    else if (value == L"left") align_ = kLeft;
    else if (value == L"bottom") align_ = kBottom;
    else if (value == L"right") align_ = kRight;
    else return E_FAIL;
    hr = S_OK;
  } else if (AttrNameIs(name, L"textDir")) {
    if (value == L"hori" || value == L"horizontal") verticalText_ = false;
    else if (value == L"vert" || value == L"vertical") verticalText_ = true;
    else return E_FAIL;
    hr = S_OK;
  } else if (AttrNameIs(name, L"animateSteps")) {
    animateSteps_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"animateType")) {
    animateType_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"interpolator")) {
    SApplication* app = SApplication::getSingletonPtr();
    IInterpolator* made = app ? app->NewInterpolatorByClass(value.c_str()) : nullptr;
    interpolator_.Attach(made);
  } else {
    // The interpolator's own settings ("factor", "tension") first.
    if (interpolator_) {
      const HRESULT ir = interpolator_->ApplyAttribute(name, value, loading);
      if (ir != E_NOTIMPL && ir != E_FAIL && SUCCEEDED(ir)) return FinishAttribute(name, value, loading, ir);
    }
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, hr);
}

BOOL STabCtrl::LoadXmlNode(pugi::xml_node element) {
  if (!SWindow::LoadXmlNode(element)) return FALSE;
  // A tab size left open takes the tab skin's.
  const SIZE skin = tabSkin_ ? tabSkin_->NaturalSize() : SIZE{0, 0};
  if (!tabWidth_.IsValid()) tabWidth_ = SLayoutSize(static_cast<float>(skin.cx), SLayoutSize::px);
  if (!tabHeight_.IsValid()) tabHeight_ = SLayoutSize(static_cast<float>(skin.cy), SLayoutSize::px);
  return TRUE;
}

int STabCtrl::TabWidth() const { return tabWidth_.IsValid() ? tabWidth_.ToPixels(GetScale()) : 0; }
int STabCtrl::TabHeight() const { return tabHeight_.IsValid() ? tabHeight_.ToPixels(GetScale()) : 0; }

RECT STabCtrl::TabTitleRect() const {
  RECT rc = ClientRect();
  switch (align_) {
    case kLeft: rc.right = rc.left + TabWidth(); break;
    case kBottom: rc.top = rc.bottom - TabHeight(); break;
    case kRight: rc.left = rc.right - TabWidth(); break;
    default: rc.bottom = rc.top + TabHeight(); break;
  }
  return rc;
}

BOOL STabCtrl::GetItemRect(int index, RECT& rc) const {
  if (index < 0 || index >= GetItemCount()) return FALSE;
  const RECT strip = TabTitleRect();
  const int scale = GetScale();
  const int w = TabWidth(), h = TabHeight();
  const int inter = tabInterSize_.ToPixels(scale), pos = tabPos_.ToPixels(scale);
  rc = RECT{strip.left, strip.top, strip.left + w, strip.top + h};
  if (align_ == kLeft || align_ == kRight) OffsetRect(&rc, 0, index * (h + inter) + pos);
  else OffsetRect(&rc, index * (w + inter) + pos, 0);
  RECT clipped;
  if (!IntersectRect(&clipped, &rc, &strip)) clipped = RECT{0, 0, 0, 0};
  rc = clipped;
  return TRUE;
}

int STabCtrl::HitTest(POINT pt) const {
  for (int i = 0; i < GetItemCount(); ++i) {
    RECT rc;
    if (GetItemRect(i, rc) && PtInRect(&rc, pt)) return i;
  }
  return -1;
}

void STabCtrl::GetLayoutArea(RECT* rc) {
  SWindow::GetLayoutArea(rc);
  switch (align_) {
    case kLeft: rc->left += TabWidth(); break;
    case kBottom: rc->bottom -= TabHeight(); break;
    case kRight: rc->right -= TabWidth(); break;
    default: rc->top += TabHeight(); break;
  }
}

// Every page fills the page area, shown or not, so a page shown later (or
// painted into a slide) is already in place.
void STabCtrl::ArrangeChildren() {
  SWindow::ArrangeChildren();
  RECT area;
  GetLayoutArea(&area);
  for (int i = 0; i < GetItemCount(); ++i) pages_[i]->RelayoutTo(&area);
}

STabPage* STabCtrl::CreatePageFromXml(pugi::xml_node element) {
  if (!XmlNameIs(element.name(), STabPage::GetClassName())) return nullptr;
  SApplication* app = SApplication::getSingletonPtr();
  IObject* made = app ? app->CreateObject(SObjectInfo(STabPage::GetClassName(), kObjWindow)) : nullptr;
  auto* page = dynamic_cast<STabPage*>(made);
  if (!page && made) made->Release();
  return page;
}

int STabCtrl::InsertItem(pugi::xml_node element, int index, BOOL loading) {
  STabPage* page = CreatePageFromXml(element);
  if (!page) return -1;
  AttachChild(page);
  page->LoadXmlNode(element);
  // Every page covers the whole page area, not the place after its
  // predecessor that a page without a position would get.
  page->ApplyAttribute(SStringW(L"pos"), SStringW(L"0,0,-0,-0"), TRUE);
  if (index < 0 || index > GetItemCount()) index = GetItemCount();
  pages_.InsertAt(index, page);
  if (!loading) {
    RECT area;
    GetLayoutArea(&area);
    page->RelayoutTo(&area);
    page->SetVisible(FALSE);
    if (curSel_ >= index) ++curSel_;
    const RECT strip = TabTitleRect();
    InvalidateRect(strip);
    if (curSel_ == -1) SetCurSel(index);
  }
  OnItemInserted(page);
  return index;
}

int STabCtrl::InsertItemXml(const SStringW& xml, int index) {
  SXmlDoc doc;
  const SStringA utf8 = XmlUtf8(xml);
  if (!doc.LoadBuffer(utf8.c_str(), utf8.GetLength())) return -1;
  pugi::xml_node root = doc.first_child();
  while (root && root.type() != pugi::node_element) root = root.next_sibling();
  return root ? InsertItem(root, index, FALSE) : -1;
}

BOOL STabCtrl::CreateChildren(pugi::xml_node element) {
  for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) InsertItem(c, -1, TRUE);
  if (GetItemCount() == 0) curSel_ = -1;
  else if (curSel_ < 0 || curSel_ >= GetItemCount()) curSel_ = 0;
  if (STabPage* page = GetPage(curSel_)) page->SetVisible(TRUE);
  return TRUE;
}

STabPage* STabCtrl::GetPage(int index) const {
  return index >= 0 && index < GetItemCount() ? pages_[index] : nullptr;
}

void STabCtrl::InvalidateTab(int index) {
  RECT rc;
  if (GetItemRect(index, rc) && !IsRectEmpty(&rc)) InvalidateRect(rc);
}

BOOL STabCtrl::SetCurSel(int index) {
  if (index < 0 || index >= GetItemCount() || index == curSel_) return FALSE;
  const int old = curSel_;
  EventTabSelChanging changing(this);
  changing.uOldSel = old;
  changing.uNewSel = index;
  RaiseEvent(&changing);
  if (changing.bCancel) return FALSE;
  InvalidateTab(old);
  StopSlide();
  STabPage* previous = GetPage(old);
  STabPage* next = GetPage(index);
  bool slid = false;
  if (animateSteps_ > 0 && IsVisible(TRUE) && previous && next) {
    auto* slider = new STabSlider;
    // The slider takes the place of the pages until its last frame.
    curSel_ = index;
    slider_ = slider;
    slid = slider->Start(this, previous, next, old >= index, animateSteps_, animateType_, interpolator_);
    if (!slid) {
      slider_ = nullptr;
      slider->Release();
      curSel_ = old;
    }
  }
  if (!slid) {
    if (previous) previous->SetVisible(FALSE, TRUE);
    if (next) next->SetVisible(TRUE, TRUE);
  }
  curSel_ = index;
  InvalidateTab(index);
  EventTabSelChanged changed(this);
  changed.uOldSel = old;
  changed.uNewSel = index;
  RaiseEvent(&changed);
  return TRUE;
}

void STabCtrl::StopSlide() {
  if (slider_) slider_->Stop();
}

void STabCtrl::SliderGone(STabSlider* slider) {
  if (slider_ != slider) return;
  slider_ = nullptr;
  if (STabPage* page = GetPage(curSel_)) page->SetVisible(TRUE, TRUE);
}

// --- painting -----------------------------------------------------------

void STabCtrl::OnPaint(IRenderTarget* rt) {
  const SPaintState saved = ApplyPaintState(this, rt, 0);
  const RECT strip = TabTitleRect();
  rt->PushClipRect(&strip, kCombineAnd);
  const int inter = tabInterSize_.ToPixels(GetScale());
  RECT previous{0, 0, 0, 0};
  for (int i = 0; i < GetItemCount(); ++i) {
    const DWORD state = i == curSel_ ? WndState_PushDown : i == hover_ ? WndState_Hover : 0;
    RECT rc;
    if (!GetItemRect(i, rc) || IsRectEmpty(&rc)) continue;
    if (i > 0 && interSkin_) {
      RECT sep = align_ == kLeft || align_ == kRight
                     ? RECT{previous.left, previous.bottom, previous.right, previous.bottom + inter}
                     : RECT{previous.right, previous.top, previous.right + inter, previous.bottom};
      interSkin_->DrawByIndex(rt, &sep, 0);
    }
    DrawItem(rt, rc, i, state);
    previous = rc;
  }
  rt->PopClip();
  if (frameSkin_) {
    RECT area;
    GetLayoutArea(&area);
    frameSkin_->DrawByIndex(rt, &area, 0);
  }
  RestorePaintState(rt, saved);
}

void STabCtrl::PaintFocusIndicator(IRenderTarget* rt) {
  RECT rc;
  if (!TakesFocus() || !(GetFlags() & kFlagDrawFocusRect) || !GetItemRect(curSel_, rc) || IsRectEmpty(&rc))
    return;
  DrawDottedFocusRect(rt, rc);
}

void STabCtrl::DrawItem(IRenderTarget* rt, const RECT& rc, int index, DWORD state) {
  if (IsRectEmpty(&rc)) return;
  const int skinState = (state & (WndState_PushDown | WndState_Check)) ? 2 : (state & WndState_Hover) ? 1 : 0;
  if (tabSkin_) tabSkin_->DrawByIndex(rt, &rc, skinState);
  SwndStyle& style = GetStyle();
  IRenderObj* oldFont = nullptr;
  IFont* font = style.GetFontForState(skinState);
  if (font) rt->SelectObject(font, &oldFont);
  const COLORREF colour = style.GetTextColorForState(skinState);
  const COLORREF oldColour = colour != kRenderNoColor ? rt->SetTextColor(colour) : rt->GetTextColor();
  STabPage* page = GetPage(index);
  const int scale = GetScale();
  if (iconSkin_ && page) {
    const int icon = page->GetIconIndex() == -1 ? index : page->GetIconIndex();
    const SIZE size = iconSkin_->NaturalSize();
    const int x = rc.left + iconX_.ToPixels(scale), y = rc.top + iconY_.ToPixels(scale);
    RECT at{x, y, x + size.cx, y + size.cy};
    iconSkin_->DrawByIndex(rt, &at, icon);
  }
  if (page) DrawTitle(rt, rc, page->GetTitle());
  rt->SetTextColor(oldColour);
  if (font) rt->SelectObject(oldFont, nullptr);
}

void STabCtrl::DrawTitle(IRenderTarget* rt, const RECT& tab, const SStringW& title) {
  if (title.IsEmpty()) return;
  const int scale = GetScale();
  const int tx = textX_.ToPixels(scale), ty = textY_.ToPixels(scale);
  const bool fixed = textX_.fSize >= 1 && textY_.fSize >= 1;
  RECT rc = tab;
  UINT format = GetStyle().GetDrawTextFormat();
  if (fixed) {
    rc.left += tx;
    rc.top += ty;
    format = DT_SINGLELINE | DT_NOCLIP;
  } else if (textX_.fSize < 0 && textY_.fSize > 0) {
    rc.top += ty;
    format &= 0x8023;
  } else if (textX_.fSize > 0 && textY_.fSize < 0) {
    rc.left += tx;
    format &= 0x802C;
  }
  if (!verticalText_) {
    rt->DrawText(title.c_str(), title.GetLength(), &rc, format);
    return;
  }
  // One character under another; in the aligned case the column is
  // centred by its measured size.
  int width = 0, height = 0;
  for (int i = 0; i < title.GetLength(); ++i) {
    SIZE sz{0, 0};
    rt->MeasureText(title.c_str() + i, 1, &sz);
    width = std::max<int>(width, sz.cx);
    height += sz.cy;
  }
  int x = rc.left, y = rc.top;
  if (!fixed) {
    x = rc.left + (rc.right - rc.left - width) / 2;
    y = rc.top + (rc.bottom - rc.top - height) / 2;
  }
  for (int i = 0; i < title.GetLength(); ++i) {
    SIZE sz{0, 0};
    rt->MeasureText(title.c_str() + i, 1, &sz);
    RECT ch{x, y, x + width, y + sz.cy};
    rt->DrawText(title.c_str() + i, 1, &ch, DT_SINGLELINE | DT_CENTER | DT_NOCLIP);
    y += sz.cy;
  }
}

// --- mouse and keys -----------------------------------------------------

void STabCtrl::OnLButtonDown(UINT keys, POINT pt) {
  SWindow::OnLButtonDown(keys, pt);
  const int hit = HitTest(pt);
  if (hit != -1 && hit != curSel_) SetCurSel(hit);
}

void STabCtrl::SetHover(int index) {
  if (index == hover_) return;
  const int left = hover_;
  hover_ = index;
  if (left != -1) {
    if (left != curSel_) InvalidateTab(left);
    EventTabItemLeave e(this);
    e.iLeave = left;
    RaiseEvent(&e);
  }
  if (index != -1) {
    if (index != curSel_) InvalidateTab(index);
    EventTabItemHover e(this);
    e.iHover = index;
    RaiseEvent(&e);
  }
}

void STabCtrl::OnMouseLeave() {
  SWindow::OnMouseLeave();
  SetHover(-1);
}

void STabCtrl::OnKeyDown(UINT key) {
  const int last = GetItemCount() - 1;
  switch (key) {
    case VK_HOME: SetCurSel(0); break;
    case VK_END: SetCurSel(last); break;
    case VK_LEFT:
    case VK_UP:
      // Wraps only from the first page; a refused change ends the press.
      if (curSel_ <= 0) SetCurSel(last);
      else SetCurSel(curSel_ - 1);
      break;
    case VK_RIGHT:
    case VK_DOWN:
      if (curSel_ >= last) SetCurSel(0);
      else SetCurSel(curSel_ + 1);
      break;
    default: break;
  }
}

BOOL STabCtrl::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_MOUSEMOVE:
      SWindow::HandleSwndMessage(msg, wParam, lParam, result);
      SetHover(HitTest(PointOf(lParam)));
      result = 0;
      return TRUE;
    case WM_KEYDOWN:
      if (wParam == VK_HOME || wParam == VK_END || wParam == VK_LEFT || wParam == VK_UP || wParam == VK_RIGHT ||
          wParam == VK_DOWN) {
        OnKeyDown(static_cast<UINT>(wParam));
        result = 0;
        return TRUE;
      }
      break;
    default: break;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

BOOL STabCtrl::QueryToolTipInfo(POINT pt, SwndToolTipInfo* info) {
  const int hit = HitTest(pt);
  STabPage* page = GetPage(hit);
  if (!page || page->GetToolTipText().IsEmpty()) return SWindow::QueryToolTipInfo(pt, info);
  info->swnd = GetHandle();
  info->cookie = static_cast<DWORD>(hit);
  GetItemRect(hit, info->rcTarget);
  info->strTip = page->GetToolTipText();
  return TRUE;
}

// --- life, language, scale ----------------------------------------------

BOOL STabCtrl::RefreshTranslation() {
  for (int i = 0; i < GetItemCount(); ++i) pages_[i]->RefreshTranslation();
  InvalidateRect(TabTitleRect());
  return SWindow::RefreshTranslation();
}

void STabCtrl::UpdateScale(int scale) {
  SWindow::UpdateScale(scale);
  if (!tabSkinName_.IsEmpty()) tabSkin_ = SkinByName(tabSkinName_, scale);
  iconSkin_ = SkinByName(iconSkinName_, scale);
  interSkin_ = SkinByName(interSkinName_, scale);
  frameSkin_ = SkinByName(frameSkinName_, scale);
}

void STabCtrl::Colorize(COLORREF color) {
  SWindow::Colorize(color);
  for (ISkinObj* skin : {tabSkin_, iconSkin_, interSkin_, frameSkin_})
    if (skin) skin->ApplyColorize(color);
}

void STabCtrl::OnDestroy() {
  if (slider_) {
    STabSlider* slider = slider_;
    slider_ = nullptr;
    slider->Stop();
  }
  for (int i = GetItemCount() - 1; i >= 0; --i) pages_[i]->Destroy();
  pages_.RemoveAll();
  SWindow::OnDestroy();
}

}  // namespace ORIEL
