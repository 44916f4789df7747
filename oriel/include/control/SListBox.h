// The classic list: equally high rows of text with an optional icon and a
// user value, drawn by the control itself. It scrolls as a scroll view
// whose view is as high as all its rows, keeps one selected row and, with
// hot tracking, one hovered row.
#pragma once

#include <memory>
#include <vector>

#include "control/SScrollView.h"

namespace ORIEL {

class EventLBSelChanging : public TplEventArgs<EventLBSelChanging> {
  ORIEL_EVENT(EventLBSelChanging, 12000, L"on_listbox_sel_changing")
  int nOldSel = -1;
  int nNewSel = -1;
  BOOL bCancel = FALSE;
};
class EventLBSelChanged : public TplEventArgs<EventLBSelChanged> {
  ORIEL_EVENT(EventLBSelChanged, 12001, L"on_listbox_sel_changed")
  int nOldSel = -1;
  int nNewSel = -1;
};
class EventLBDbClick : public TplEventArgs<EventLBDbClick> {
  ORIEL_EVENT(EventLBDbClick, 12002, L"on_listbox_item_dbclick")
  int nCurSel = -1;
};

struct LBITEM {
  SStringW text;       // as written
  SStringW textShown;  // as translated in the list box's context
  int icon = -1;
  LPARAM data = 0;
};

class SListBox : public SScrollView {
  SOBJ_CLASS(SListBox, SScrollView, L"listbox", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"scrollview"; }

  SListBox();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SScrollView::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  UINT GetDlgCode() const override { return 9; }
  BOOL RefreshTranslation() override;

  int AddEntry(const SStringW& text, int icon = -1, LPARAM data = 0) { return InsertEntry(-1, text, icon, data); }
  int InsertEntry(int index, const SStringW& text, int icon = -1, LPARAM data = 0);
  bool DeleteEntry(int index);
  void DeleteAll();
  int GetCount() const { return static_cast<int>(rows_.size()); }
  int GetCurSel() const { return selected_; }
  bool SetCurSel(int index);
  LPARAM GetItemData(int index) const;
  bool SetItemData(int index, LPARAM data);
  SStringW GetEntryText(int index, bool raw = false) const;
  // The entry's icon index; -1 for none and outside the rows.
  int GetEntryIcon(int index) const { return index >= 0 && index < GetCount() ? rows_[index]->icon : -1; }
  int FindString(int start, const SStringW& text) const;
  // Refuses heights of 0 and below.
  bool SetItemPixelHeight(int index, int height);
  int GetItemPixelHeight() const { return rowHeight_.ToPixels(GetScale()); }
  bool ScrollToIndex(int index);
  int GetFirstVisibleIndex() const;
  // The row under a host point, -1 for none; `relative` gets the point
  // relative to that row.
  int HitTest(POINT pt, POINT* relative = nullptr) const;
  void EnsureVisible(int index);
  int GetHover() const { return hover_; }

  virtual void PaintEntry(IRenderTarget* rt, const RECT& rc, int index);

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;
  void OnShowWindow(BOOL show, UINT status) override;

 private:
  int InsertRecord(int index, std::unique_ptr<LBITEM> row);
  void UpdateListViewSize();
  void FireSelectionChange(int oldSel, int newSel);
  void RedrawRow(int index);
  RECT RowRect(int index) const;
  void OnPress(POINT pt);
  void OnRelease(POINT pt);
  void OnDoubleClick(POINT pt);
  void OnMove(POINT pt);
  void OnKey(UINT key);

  std::vector<std::unique_ptr<LBITEM>> rows_;
  SLayoutSize rowHeight_{20, SLayoutSize::dp};
  int selected_ = -1;
  int hover_ = -1;
  int hotTrack_ = 0;
  SLayoutSize iconX_{SLayoutSize::kUnspecified, SLayoutSize::px}, iconY_{SLayoutSize::kUnspecified, SLayoutSize::px};
  SLayoutSize textX_{SLayoutSize::kUnspecified, SLayoutSize::px}, textY_{SLayoutSize::kUnspecified, SLayoutSize::px};
  COLORREF rowBack_ = 0x00FFFFFF;
  COLORREF oddRowBack_ = 0x00FFFFFF;
  COLORREF selBack_ = 0xFFD19139;
  COLORREF hotBack_ = 0x80D19139;
  COLORREF text_ = 0x00FFFFFF;
  COLORREF selText_ = 0x00FFFFFF;
  ISkinObj* rowSkin_ = nullptr;  // skins belong to their pools
  ISkinObj* iconSkin_ = nullptr;
};

}  // namespace ORIEL
