// Panes side by side along one axis with a separator between neighbours.
// Each pane has an ideal, a minimum and a maximum size and a priority that
// decides which panes give or take space first; dragging a separator moves
// space between the panes before it and those after it.
#pragma once

#include <vector>

#include "core/SWnd.h"

namespace ORIEL {

class EventSplitPaneMoved : public TplEventArgs<EventSplitPaneMoved> {
  ORIEL_EVENT(EventSplitPaneMoved, 22000, L"on_split_pane_moved")
  RECT rcPane{0, 0, 0, 0};
};

class SSplitPane : public SWindow {
  SOBJ_CLASS(SSplitPane, SWindow, L"pane", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  SSplitPane();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;

  // Places the pane and tells its subscribers where.
  void MoveTo(const RECT& rc);

  SLayoutSize idealSize{20.0f, SLayoutSize::dp};
  SLayoutSize minSize{0.0f, SLayoutSize::dp};
  SLayoutSize maxSize{10000.0f, SLayoutSize::dp};
  int priority = 0;
};

class SSplitWnd : public SWindow {
  SOBJ_CLASS(SSplitWnd, SWindow, L"splitwnd", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }

  // A pane's sizes along the axis during one layout, in pixels.
  struct PaneSize {
    int current = 0;
    int ideal = 0;
    int minimum = 0;
    int maximum = 0;
  };

  SSplitWnd() = default;
  ~SSplitWnd() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL ApplyStyleCursor(POINT pt) override;
  void ArrangeChildren() override;

  // -1 for a pane already present; a negative index means the end.
  int InsertPane(SSplitPane* pane, int index = -1);
  bool RemovePane(SSplitPane* pane);
  bool ShowPane(int index);
  bool HidePane(int index);
  SSplitPane* GetPane(int index) const;
  int GetPaneCount() const { return static_cast<int>(panes_.size()); }
  int FindPaneByName(const SStringW& name) const;
  int GetSepSize() const { return sepSize_; }
  BOOL IsVertical() const { return vertical_; }
  int GetDraggedSeparator() const { return dragSep_; }

  // Places `delta` pixels among the records taken in the given order (the
  // panes' priority order), growing (delta > 0) or shrinking them; answers
  // what could not be placed.
  static int AdjustPaneSizes(std::vector<PaneSize*> byPriority, int delta);

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnLButtonDown(UINT keys, POINT pt) override;
  void OnLButtonUp(UINT keys, POINT pt) override;

  BOOL vertical_ = TRUE;
  ISkinObj* sepSkin_ = nullptr;  // skins belong to their pools
  SStringW sepSkinName_;

 private:
  void Relayout();
  // Records of every pane, by layout index.
  std::vector<PaneSize> GatherSizes() const;
  void LayoutPanes(std::vector<PaneSize>& sizes);
  // Places the panes [first, last) from `start`; returns where they end.
  int PlacePanes(const std::vector<PaneSize>& sizes, int first, int last, int start);
  void OnMouseMove(POINT pt);
  void DragSeparator(int delta);
  int Along(POINT pt) const { return vertical_ ? pt.x : pt.y; }
  int Extent(const RECT& rc) const { return vertical_ ? rc.right - rc.left : rc.bottom - rc.top; }
  // Layout indices of visible panes in [first, last), in priority order.
  std::vector<int> ByPriority(int first, int last) const;

  std::vector<SSplitPane*> panes_;    // layout order, each referenced
  std::vector<SSplitPane*> priority_; // highest priority first; equal ones keep layout order
  int sepSize_ = 5;                   // pixels, not scaled
  BOOL adjustable_ = TRUE;
  POINT lastPoint_{0, 0};
  int dragSep_ = -1;
};

class SSplitWnd_Col : public SSplitWnd {
  SOBJ_CLASS(SSplitWnd_Col, SSplitWnd, L"splitcol", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"splitwnd"; }
  SSplitWnd_Col();
};

class SSplitWnd_Row : public SSplitWnd {
  SOBJ_CLASS(SSplitWnd_Row, SSplitWnd, L"splitrow", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"splitwnd"; }
  SSplitWnd_Row();
};

}  // namespace ORIEL
