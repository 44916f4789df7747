#include "control/SSplitWnd.h"

#include <algorithm>

#include "ControlSkins.h"

namespace ORIEL {

// --- pane ---------------------------------------------------------------

SSplitPane::SSplitPane() {
  GetEventSet()->AddEvent(EventSplitPaneMoved::EventID, EventSplitPaneMoved::EventName());
}

HRESULT SSplitPane::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"idealSize")) idealSize = SLayoutSize::FromString(value);
  else if (AttrNameIs(name, L"minSize")) minSize = SLayoutSize::FromString(value);
  else if (AttrNameIs(name, L"maxSize")) maxSize = SLayoutSize::FromString(value);
  else if (AttrNameIs(name, L"priority")) priority = ParseAttrInt(value);
  else return SWindow::ApplyAttribute(name, value, loading);
  return FinishAttribute(name, value, loading, 1);
}

void SSplitPane::MoveTo(const RECT& rc) {
  Move(&rc);
  EventSplitPaneMoved e(this);
  e.rcPane = rc;
  RaiseEvent(&e);
}

// --- split window: attributes and panes ---------------------------------

SSplitWnd::~SSplitWnd() {
  for (SSplitPane* p : panes_) p->Release();
}

SSplitWnd_Col::SSplitWnd_Col() {
  vertical_ = TRUE;
  sepSkinName_ = L"_skin.sys.split.vert";
  sepSkin_ = LookupControlSkin(sepSkinName_, 100);
}

SSplitWnd_Row::SSplitWnd_Row() {
  vertical_ = FALSE;
  sepSkinName_ = L"_skin.sys.split.horz";
  sepSkin_ = LookupControlSkin(sepSkinName_, 100);
}

HRESULT SSplitWnd::ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) {
  if (AttrNameIs(name, L"sepSize")) {
    sepSize_ = ParseAttrInt(value);
  } else if (AttrNameIs(name, L"sepSkin")) {
    sepSkinName_ = value;
    sepSkin_ = LookupControlSkin(value, GetScale());
  } else if (AttrNameIs(name, L"adjustable")) {
    adjustable_ = ParseAttrInt(value) != 0;
  } else if (AttrNameIs(name, L"vertical")) {
    vertical_ = ParseAttrInt(value) != 0;
  } else {
    return SWindow::ApplyAttribute(name, value, loading);
  }
  return FinishAttribute(name, value, loading, 0);
}

BOOL SSplitWnd::CreateChildren(pugi::xml_node element) {
  if (!element) return FALSE;
  for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element || !XmlNameIs(c.name(), L"pane")) continue;
    auto* pane = new SSplitPane;
    AttachChild(pane);
    if (pane->LoadXmlNode(c)) InsertPane(pane, -1);
  }
  return TRUE;
}

int SSplitWnd::InsertPane(SSplitPane* pane, int index) {
  if (!pane || std::find(panes_.begin(), panes_.end(), pane) != panes_.end()) return -1;
  if (index < 0 || index > GetPaneCount()) index = GetPaneCount();
  pane->AddRef();
  panes_.insert(panes_.begin() + index, pane);
  // Equal priorities keep their layout order, so a layout is repeatable.
  priority_ = panes_;
  std::stable_sort(priority_.begin(), priority_.end(),
                   [](const SSplitPane* a, const SSplitPane* b) { return a->priority > b->priority; });
  RECT area;
  GetLayoutArea(&area);
  if (!IsRectEmpty(&area)) {
    std::vector<PaneSize> sizes = GatherSizes();
    sizes[index].current = sizes[index].ideal;
    LayoutPanes(sizes);
  }
  return index;
}

bool SSplitWnd::RemovePane(SSplitPane* pane) {
  auto it = std::find(panes_.begin(), panes_.end(), pane);
  if (it == panes_.end()) return false;
  panes_.erase(it);
  priority_.erase(std::find(priority_.begin(), priority_.end(), pane));
  pane->Release();
  Relayout();
  return true;
}

bool SSplitWnd::ShowPane(int index) {
  if (index < 0 || index >= GetPaneCount()) return false;
  panes_[index]->SetVisible(TRUE, FALSE);
  Relayout();
  return true;
}

bool SSplitWnd::HidePane(int index) {
  if (index < 0 || index >= GetPaneCount()) return false;
  panes_[index]->SetVisible(FALSE, FALSE);
  Relayout();
  return true;
}

SSplitPane* SSplitWnd::GetPane(int index) const {
  return index >= 0 && index < GetPaneCount() ? panes_[index] : nullptr;
}

int SSplitWnd::FindPaneByName(const SStringW& name) const {
  for (int i = 0; i < GetPaneCount(); ++i)
    if (panes_[i]->GetName() == name) return i;
  return -1;
}

// --- layout -------------------------------------------------------------

int SSplitWnd::AdjustPaneSizes(std::vector<PaneSize*> byPriority, int delta) {
  // First, highest priority first: towards the ideal sizes.
  for (PaneSize* s : byPriority) {
    if (delta == 0) return 0;
    if (delta < 0) {
      if (s->current < s->ideal) continue;
      const int excess = s->current - s->ideal;
      if (excess >= -delta) {
        s->current += delta;
        return 0;
      }
      s->current = s->ideal;
      delta += excess;
    } else {
      if (s->current > s->ideal) continue;
      const int shortfall = s->ideal - s->current;
      if (shortfall >= delta) {
        s->current += delta;
        return 0;
      }
      s->current = s->ideal;
      delta -= shortfall;
    }
  }
  if (delta == 0) return 0;
  // Then, lowest priority first: as far as the limits allow.
  for (auto it = byPriority.rbegin(); it != byPriority.rend(); ++it) {
    PaneSize* s = *it;
    if (delta < 0) {
      const int excess = s->current - s->minimum;
      if (excess >= -delta) {
        s->current += delta;
        return 0;
      }
      s->current = s->minimum;
      delta += excess;
    } else {
      const int room = s->maximum - s->current;
      if (room >= delta) {
        s->current += delta;
        return 0;
      }
      s->current = s->maximum;
      delta -= room;
    }
  }
  return delta;
}

std::vector<SSplitWnd::PaneSize> SSplitWnd::GatherSizes() const {
  const int scale = GetScale();
  std::vector<PaneSize> sizes(panes_.size());
  for (size_t i = 0; i < panes_.size(); ++i) {
    const SSplitPane* p = panes_[i];
    if (!p->IsVisible()) continue;  // a hidden pane's record stays all 0
    PaneSize& s = sizes[i];
    s.ideal = p->idealSize.ToPixels(scale);
    s.minimum = p->minSize.ToPixels(scale);
    s.maximum = p->maxSize.ToPixels(scale);
    s.current = Extent(p->GetWindowRect());
    if (s.current == 0) s.current = s.minimum;
  }
  return sizes;
}

std::vector<int> SSplitWnd::ByPriority(int first, int last) const {
  std::vector<int> order;
  for (const SSplitPane* p : priority_) {
    const int i = static_cast<int>(std::find(panes_.begin(), panes_.end(), p) - panes_.begin());
    if (i >= first && i < last && p->IsVisible()) order.push_back(i);
  }
  return order;
}

void SSplitWnd::LayoutPanes(std::vector<PaneSize>& sizes) {
  RECT area;
  GetLayoutArea(&area);
  int total = 0, visible = 0;
  for (size_t i = 0; i < panes_.size(); ++i) {
    total += sizes[i].current;
    if (panes_[i]->IsVisible()) ++visible;
  }
  std::vector<PaneSize*> order;
  for (int i : ByPriority(0, GetPaneCount())) order.push_back(&sizes[i]);
  AdjustPaneSizes(order, Extent(area) - std::max(visible - 1, 0) * sepSize_ - total);
  PlacePanes(sizes, 0, GetPaneCount(), vertical_ ? area.left : area.top);
}

int SSplitWnd::PlacePanes(const std::vector<PaneSize>& sizes, int first, int last, int start) {
  RECT area;
  GetLayoutArea(&area);
  int p = start;
  for (int i = first; i < last; ++i) {
    SSplitPane* pane = panes_[i];
    if (!pane->IsVisible()) continue;
    RECT rc = area;
    if (vertical_) rc.left = p, rc.right = p + sizes[i].current;
    else rc.top = p, rc.bottom = p + sizes[i].current;
    pane->MoveTo(rc);
    p += sizes[i].current + sepSize_;
  }
  return p;
}

void SSplitWnd::Relayout() {
  std::vector<PaneSize> sizes = GatherSizes();
  LayoutPanes(sizes);
  Invalidate();
}

void SSplitWnd::ArrangeChildren() {
  if (panes_.empty()) {
    SWindow::ArrangeChildren();
    return;
  }
  std::vector<PaneSize> sizes = GatherSizes();
  LayoutPanes(sizes);
}

// --- painting and cursor ------------------------------------------------

void SSplitWnd::OnPaint(IRenderTarget* rt) {
  if (!sepSkin_) return;
  RECT area;
  GetLayoutArea(&area);
  int lastVisible = -1;
  for (int i = 0; i < GetPaneCount(); ++i)
    if (panes_[i]->IsVisible()) lastVisible = i;
  int p = vertical_ ? area.left : area.top;
  for (int i = 0; i < lastVisible; ++i) {
    if (!panes_[i]->IsVisible()) continue;
    p += Extent(panes_[i]->GetWindowRect());
    RECT sep = area;
    if (vertical_) sep.left = p, sep.right = p + sepSize_;
    else sep.top = p, sep.bottom = p + sepSize_;
    sepSkin_->DrawByIndex(rt, &sep, 0);
    p += sepSize_;
  }
}

BOOL SSplitWnd::ApplyStyleCursor(POINT pt) {
  if (!adjustable_) return SWindow::ApplyStyleCursor(pt);
  ::SetCursor(LoadCursorW(nullptr, vertical_ ? IDC_SIZEWE : IDC_SIZENS));
  return TRUE;
}

// --- dragging a separator -----------------------------------------------

BOOL SSplitWnd::HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_MOUSEMOVE) {
    OnMouseMove(PointOf(lParam));
    result = 0;
    return TRUE;
  }
  return SWindow::HandleSwndMessage(msg, wParam, lParam, result);
}

void SSplitWnd::OnLButtonDown(UINT keys, POINT pt) {
  SWindow::OnLButtonDown(keys, pt);
  dragSep_ = -1;
  if (!adjustable_) return;
  lastPoint_ = pt;
  // The separator is the one before the first visible pane that starts
  // beyond the point: a hidden pane has no place and no separator.
  int previous = -1;
  for (int i = 0; i < GetPaneCount(); ++i) {
    if (!panes_[i]->IsVisible()) continue;
    const RECT rc = panes_[i]->GetWindowRect();
    if ((vertical_ ? rc.left : rc.top) > Along(pt)) {
      dragSep_ = previous;
      return;
    }
    previous = i;
  }
}

void SSplitWnd::OnLButtonUp(UINT keys, POINT pt) {
  SWindow::OnLButtonUp(keys, pt);
  dragSep_ = -1;
}

void SSplitWnd::OnMouseMove(POINT pt) {
  if (dragSep_ < 0) return;
  const int delta = Along(pt) - Along(lastPoint_);
  lastPoint_ = pt;
  DragSeparator(delta);
}

void SSplitWnd::DragSeparator(int delta) {
  std::vector<PaneSize> sizes = GatherSizes();
  const int split = dragSep_ + 1;  // panes [0, split) before, [split, n) after
  int nearBefore = -1, nearAfter = -1;
  for (int i = 0; i < split; ++i)
    if (panes_[i]->IsVisible()) nearBefore = i;
  for (int i = GetPaneCount() - 1; i >= split; --i)
    if (panes_[i]->IsVisible()) nearAfter = i;
  if (nearBefore < 0 || nearAfter < 0) return;

  // Moving forward the before side grows and the after side shrinks;
  // moving back, the other way round.
  const bool forward = delta >= 1;
  const int growFirst = forward ? 0 : split, growLast = forward ? split : GetPaneCount();
  const int shrinkFirst = forward ? split : 0, shrinkLast = forward ? GetPaneCount() : split;
  const int grower = forward ? nearBefore : nearAfter, shrinker = forward ? nearAfter : nearBefore;
  const std::vector<int> growers = ByPriority(growFirst, growLast);
  const std::vector<int> shrinkers = ByPriority(shrinkFirst, shrinkLast);
  int room = 0, give = 0;
  for (int i : growers) room += std::max(0, sizes[i].maximum - sizes[i].current);
  for (int i : shrinkers) give += std::max(0, sizes[i].current - sizes[i].minimum);
  const int amount = std::min({forward ? delta : -delta, room, give});
  if (amount <= 0) return;

  auto others = [&sizes](const std::vector<int>& group, int except) {
    std::vector<PaneSize*> out;
    for (int i : group)
      if (i != except) out.push_back(&sizes[i]);
    return out;
  };
  PaneSize& g = sizes[grower];
  if (g.maximum - g.current > amount) {
    g.current += amount;
  } else {
    const int rest = amount - (g.maximum - g.current);
    g.current = g.maximum;
    AdjustPaneSizes(others(growers, grower), rest);
  }
  PaneSize& s = sizes[shrinker];
  if (s.current - s.minimum > amount) {
    s.current -= amount;
  } else {
    const int rest = amount - (s.current - s.minimum);
    s.current = s.minimum;
    AdjustPaneSizes(others(shrinkers, shrinker), -rest);
  }
  RECT area;
  GetLayoutArea(&area);
  const int end = PlacePanes(sizes, 0, split, vertical_ ? area.left : area.top);
  PlacePanes(sizes, split, GetPaneCount(), end);
  Invalidate();
}

}  // namespace ORIEL
