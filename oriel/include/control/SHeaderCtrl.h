// The row of column titles above a multi-column list. A click on a title
// asks for sorting, dragging the divider between two titles resizes a
// column, and dragging a title moves its column. The header only draws
// and reports: its list listens to the events and re-lays its rows out.
#pragma once

#include <vector>

#include "core/SWnd.h"

namespace ORIEL {

class EventHeaderClick : public TplEventArgs<EventHeaderClick> {
  ORIEL_EVENT(EventHeaderClick, 18000, L"on_header_click")
  int iItem = -1;
};
class EventHeaderItemChanging : public TplEventArgs<EventHeaderItemChanging> {
  ORIEL_EVENT(EventHeaderItemChanging, 18001, L"on_header_item_changing")
  int iItem = -1;
  int nWidth = 0;
};
class EventHeaderItemChanged : public TplEventArgs<EventHeaderItemChanged> {
  ORIEL_EVENT(EventHeaderItemChanged, 18002, L"on_header_item_changed")
  int iItem = -1;
  int nWidth = 0;
};
class EventHeaderItemSwap : public TplEventArgs<EventHeaderItemSwap> {
  ORIEL_EVENT(EventHeaderItemSwap, 18003, L"on_header_item_swap")
  int iOldIndex = -1;
  int iNewIndex = -1;
};
class EventHeaderRelayout : public TplEventArgs<EventHeaderRelayout> {
  ORIEL_EVENT(EventHeaderRelayout, 18004, L"on_header_relayout")
};

// Which fields a column query copies.
enum : UINT { SHDI_WIDTH = 1, SHDI_TEXT = 2, SHDI_SORTFLAG = 4, SHDI_LPARAM = 8, SHDI_ORDER = 0x10 };

struct SHeaderItem {
  UINT mask = static_cast<UINT>(-1);
  SLayoutSize width;
  SStringW text;        // as written
  SStringW textShown;   // as translated in the header's context
  int sortFlag = 0;     // 0 none, 1 and 2 the two directions
  ULONG_PTR userData = 0;
  int state = 0;        // 0 normal, 1 hover, 2 pushed
  int order = 0;        // the list column it shows
  bool visible = true;
};

class SHeaderCtrl : public SWindow {
  SOBJ_CLASS(SHeaderCtrl, SWindow, L"header", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  // A hit value: low and high 16 bits are column indices; equal halves a
  // title, different halves the divider between them.
  static constexpr DWORD kHitNone = 0xFFFFFFFF;
  static DWORD MakeHit(int low, int high) { return MAKELONG(low & 0xFFFF, high & 0xFFFF); }

  SHeaderCtrl();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL ApplyStyleCursor(POINT pt) override;
  BOOL RelayoutTo(const RECT* rc) override;
  BOOL RefreshTranslation() override;
  void Colorize(COLORREF color) override;

  int AddColumn(int index, const SStringW& text, int widthPx, int sortFlag = 0, ULONG_PTR data = 0);
  bool DeleteItem(int index);
  void RemoveAllColumns();
  bool QueryColumn(int index, SHeaderItem* item) const;
  RECT GetColumnRect(int index) const;
  int GetColumnWidth(int index) const;
  int GetTotalWidth() const;
  int GetIndexByOrder(int order) const;
  int GetItemCount() const { return static_cast<int>(items_.size()); }
  void SetItemSort(int index, int flag);
  // Writes a column's width in pixels without an event or a repaint.
  void SetColumnWidthQuietly(int index, int widthPx);
  bool IsItemVisible(int index) const;
  void SetItemVisible(int index, bool visible);
  DWORD HitTestColumn(POINT pt) const;
  int GetItemState(int index) const { return index >= 0 && index < GetItemCount() ? items_[index].state : -1; }
  bool IsDragging() const { return dragging_; }
  // The image of the title being dragged (alpha 128 when shown).
  IRenderTarget* GetDragImage() const { return dragImage_; }

  virtual void DrawItem(IRenderTarget* rt, const RECT& rc, const SHeaderItem& item);

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;

 private:
  void OnPress(POINT pt);
  void OnMove(POINT pt);
  void OnRelease(POINT pt);
  void OnMouseLeaveHeader();
  void CancelDrag();
  void EndDragImage();
  void RedrawTitle(int index);
  void PaintDragging();
  void MakeDragImage(int index);
  int ColumnWidth(const SHeaderItem& item) const;
  void RaiseRelayout();
  static bool IsTitle(DWORD hit) { return hit != kHitNone && LOWORD(hit) == HIWORD(hit); }
  static bool IsDivider(DWORD hit) { return hit != kHitNone && LOWORD(hit) != HIWORD(hit); }

  ISkinObj* itemSkin_ = nullptr;  // skins belong to their pools
  ISkinObj* sortSkin_ = nullptr;
  int sortHeader_ = 1;
  int fixWidth_ = 0;
  int swapEnable_ = 1;
  bool dragging_ = false;
  bool pressed_ = false;
  IRenderTarget* dragImage_ = nullptr;
  POINT pressPoint_{0, 0};
  DWORD hit_ = kHitNone;
  DWORD dropTarget_ = kHitNone;
  int widthAtPress_ = 0;
  std::vector<SHeaderItem> items_;
};

}  // namespace ORIEL
