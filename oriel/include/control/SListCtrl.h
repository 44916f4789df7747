// The report list: rows of text cells under a column header, stored and
// painted by the control itself (no item panels). Rows may carry a check
// box and an icon per cell; one flag per row marks it selected or, with
// check boxes, checked: the boxes show the selection. The owner sorts the
// rows with its own comparison; header clicks are left to it.
#pragma once

#include <vector>

#include "control/SHeaderCtrl.h"
#include "control/SPanel.h"

namespace ORIEL {

class EventLCSelChanging : public TplEventArgs<EventLCSelChanging> {
  ORIEL_EVENT(EventLCSelChanging, 13000, L"on_listctrl_sel_changing")
  int nOldSel = -1;
  int nNewSel = -1;
  BOOL bCancel = FALSE;
};
class EventLCSelChanged : public TplEventArgs<EventLCSelChanged> {
  ORIEL_EVENT(EventLCSelChanged, 13001, L"on_listctrl_sel_changed")
  int nOldSel = -1;
  int nNewSel = -1;
};
class EventLCItemDeleted : public TplEventArgs<EventLCItemDeleted> {
  ORIEL_EVENT(EventLCItemDeleted, 13002, L"on_listctrl_del_item")
  int nItem = -1;
  LPARAM dwData = 0;
};
class EventLCDbClick : public TplEventArgs<EventLCDbClick> {
  ORIEL_EVENT(EventLCDbClick, 13003, L"on_listctrl_item_dbclick")
  int nCurSel = -1;
};

// One cell.
struct DXLVSUBITEM {
  SStringW text;
  int nImage = -1;
  LPARAM lParam = 0;
};

// One row, as the sort comparison receives it. The cells live behind a
// pointer so that the record itself can be moved byte by byte.
struct DXLVITEM {
  std::vector<DXLVSUBITEM>* arSubItems = nullptr;
  LPARAM lParam = 0;
  DWORD dwState = 0;  // checked or selected: the one flag serves both
};

// What SetSubItem and GetSubItem exchange: mask bit 1 the text, 2 the
// image, 4 the user data.
enum : UINT { S_LVIF_TEXT = 1, S_LVIF_IMAGE = 2, S_LVIF_PARAM = 4 };
struct DXLVSUBITEMINFO {
  UINT mask = 0;
  LPWSTR strText = nullptr;  // the caller's buffer on a query
  int cchTextMax = 0;
  int nImage = -1;
  LPARAM lParam = 0;
};

class SListCtrl : public SPanel {
  SOBJ_CLASS(SListCtrl, SPanel, L"listctrl", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"div"; }
  static constexpr DWORD kItemFlag = 1;

  SListCtrl();
  ~SListCtrl() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SPanel::ApplyAttribute;
  // Without a child header the list has no columns and so no rows.
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL HandleScrollCode(bool vertical, int code, int position) override;

  int InsertColumn(int index, const SStringW& text, int widthPx, LPARAM data = 0);
  bool DeleteColumn(int index);
  int GetColumnCount() const { return header_ ? header_->GetItemCount() : 0; }
  int InsertItem(int index, const SStringW& text, int image = -1);
  bool SetItemCount(int count, int growStep = 0);
  int GetItemCount() const { return GetColumnCount() > 0 ? static_cast<int>(items_.size()) : 0; }
  void DeleteItem(int index);
  void DeleteAllItems();
  bool SetItemData(int index, LPARAM data);
  LPARAM GetItemData(int index) const;
  bool SetSubItem(int row, int column, const DXLVSUBITEMINFO* info);
  bool GetSubItem(int row, int column, DXLVSUBITEMINFO* info) const;
  bool SetSubItemText(int row, int column, const SStringW& text);
  SStringW GetSubItemText(int row, int column) const;
  RECT GetItemRect(int row, int column) const;
  int GetSelectedItem() const { return selected_; }
  void SetSelectedItem(int index);
  BOOL GetCheckState(int index) const;
  bool SetCheckState(int index, BOOL checked);
  int GetCheckedItemCount() const;
  int GetFirstCheckedItem() const;
  int GetLastCheckedItem() const;
  int GetTopIndex() const;
  int GetCountPerPage(bool roundUp) const;
  using CompareFunc = int (*)(void* context, const void* a, const void* b);
  bool SortItems(CompareFunc compare, void* context);
  // The row under a host point; -1 outside the rows.
  int HitTest(POINT pt) const;
  SHeaderCtrl* GetHeaderCtrl() const { return header_; }
  RECT GetListRect() const;
  int GetHotIndex() const { return hot_; }

  virtual void DrawItem(IRenderTarget* rt, const RECT& rc, int index);

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;
  // Whether a modifier key is down, as of the input being handled.
  virtual bool IsKeyDown(int vk) const;

 private:
  void UpdateBars();
  void PlaceHeader();
  void RedrawItem(int index);
  void ChangeSelection(int oldSel, int newSel, bool checkBoxHit);
  void OnPress(POINT pt);
  void OnDoubleClick(POINT pt);
  void OnMove(POINT pt);
  bool HitsCheckBox(POINT pt) const;
  int FirstColumnLeft() const;
  void FreeItem(DXLVITEM& item) { delete item.arSubItems; item.arSubItems = nullptr; }
  bool OnHeaderChanging(EventArgs*);
  bool OnHeaderSwap(EventArgs*);

  int headerHeight_ = 20;
  int itemHeight_ = 20;
  int selected_ = -1;
  int hot_ = -1;
  int hotTrack_ = 0;
  int iconX_ = -1, iconY_ = -1, textX_ = -1, textY_ = -1;
  COLORREF colorBack_ = 0xFFFFFFFF;
  COLORREF colorBack2_ = 0xFFE2E2E2;
  COLORREF colorSelBack_ = 0xFFD19139;
  COLORREF colorHotBack_ = 0x80D19139;
  COLORREF colorText_ = 0xFF000000;
  COLORREF colorSelText_ = 0xFF00FFFF;
  ISkinObj* itemSkin_ = nullptr;
  ISkinObj* iconSkin_ = nullptr;
  ISkinObj* checkSkin_ = nullptr;
  int checkBox_ = 0;
  int multiSelection_ = 0;
  SHeaderCtrl* header_ = nullptr;
  std::vector<DXLVITEM> items_;
  int offsetX_ = 0;
  int offsetY_ = 0;
};

}  // namespace ORIEL
