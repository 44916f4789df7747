// The classic tree: it owns its items and paints each row itself, an
// expand toggle or connector lines, an optional three-state check box, an
// icon and the text. It scrolls as a scroll view as tall as the shown rows
// and as wide as the widest. Checks propagate down to every descendant
// and up to the ancestors, which show partly checked when mixed.
#pragma once

#include "control/CSTree.h"
#include "control/SScrollView.h"

namespace ORIEL {

class EventTCSelChanging : public TplEventArgs<EventTCSelChanging> {
  ORIEL_EVENT(EventTCSelChanging, 15000, L"on_treectrl_sel_changing")
  HSTREEITEM hOldSel = 0;
  HSTREEITEM hNewSel = 0;
  BOOL bCancel = FALSE;
};
class EventTCSelChanged : public TplEventArgs<EventTCSelChanged> {
  ORIEL_EVENT(EventTCSelChanged, 15001, L"on_treectrl_sel_changed")
  HSTREEITEM hOldSel = 0;
  HSTREEITEM hNewSel = 0;
};
class EventTCExpand : public TplEventArgs<EventTCExpand> {
  ORIEL_EVENT(EventTCExpand, 15002, L"on_treectrl_item_expand")
  HSTREEITEM hItem = 0;
  BOOL bCollapsed = FALSE;
};
class EventTCCheckState : public TplEventArgs<EventTCCheckState> {
  ORIEL_EVENT(EventTCCheckState, 15003, L"on_treectrl_item_check")
  HSTREEITEM hItem = 0;
  UINT uCheckState = 0;
};
class EventTCDbClick : public TplEventArgs<EventTCDbClick> {
  ORIEL_EVENT(EventTCDbClick, 15004, L"on_treectrl_item_dbclick")
  HSTREEITEM hItem = 0;
  BOOL bCancel = FALSE;
};

struct tagTVITEM {
  SStringW strText;
  int nImage = -1;
  int nSelectedImage = -1;
  LPARAM lParam = 0;
  HSTREEITEM hItem = 0;
  BOOL bCollapsed = FALSE;
  BOOL bVisible = TRUE;
  BOOL bHasChildren = FALSE;
  int nLevel = 0;
  int nCheckBoxValue = 0;  // 0 unchecked, 1 checked, 2 partly checked
  int nContentWidth = 0;
  DWORD dwToggleState = 0;    // 1 hover, 2 pushed
  DWORD dwCheckBoxState = 0;  // 1 hover, 2 pushed
};

class STreeCtrl : public SScrollView, public CSTree<tagTVITEM> {
  SOBJ_CLASS(STreeCtrl, SScrollView, L"treectrl", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"scrollview"; }
  enum : int { kPartNone = 0, kPartToggle = 1, kPartCheck = 2 };
  enum : UINT { kHasToggle = 1, kHasCheck = 2, kHasIcon = 4 };
  enum : UINT { TVE_COLLAPSE = 1, TVE_EXPAND = 2, TVE_TOGGLE = 3 };

  STreeCtrl();
  ~STreeCtrl() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SScrollView::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  HSTREEITEM InsertItem(const SStringW& text, int image, int selImage, LPARAM data, HSTREEITEM parent = STVI_ROOT,
                        HSTREEITEM after = STVI_LAST, BOOL ensureVisible = FALSE);
  HSTREEITEM InsertItem(const SStringW& text, HSTREEITEM parent = STVI_ROOT, HSTREEITEM after = STVI_LAST) {
    return InsertItem(text, -1, -1, 0, parent, after);
  }
  HSTREEITEM InsertItem(pugi::xml_node element, HSTREEITEM parent = STVI_ROOT, HSTREEITEM after = STVI_LAST,
                        BOOL ensureVisible = FALSE);
  BOOL RemoveItem(HSTREEITEM item);
  void RemoveAllItems();
  BOOL Expand(HSTREEITEM item, UINT code = TVE_EXPAND);
  BOOL EnsureVisible(HSTREEITEM item);
  BOOL SelectItem(HSTREEITEM item, BOOL ensureVisible = TRUE);
  HSTREEITEM GetSelectedItem() const { return selected_; }
  HSTREEITEM GetNextItem(HSTREEITEM item) const;
  BOOL ItemHasChildren(HSTREEITEM item) const;
  int GetChildrenCount(HSTREEITEM item) const;
  SStringW GetItemText(HSTREEITEM item) const { return item ? GetItem(item).strText : SStringW(); }
  BOOL SetItemText(HSTREEITEM item, const SStringW& text);
  BOOL GetItemImage(HSTREEITEM item, int* image, int* selImage) const;
  BOOL SetItemImage(HSTREEITEM item, int image, int selImage);
  LPARAM GetItemData(HSTREEITEM item) const { return item ? GetItem(item).lParam : 0; }
  BOOL SetItemData(HSTREEITEM item, LPARAM data);
  BOOL GetCheckState(HSTREEITEM item) const;
  // The check value itself: 0, 1, or 2 when partly checked.
  int GetCheckValue(HSTREEITEM item) const { return item ? GetItem(item).nCheckBoxValue : 0; }
  BOOL SetCheckState(HSTREEITEM item, BOOL checked);
  BOOL GetItemRect(HSTREEITEM item, RECT* rc) const;
  HSTREEITEM HitTest(POINT& pt) const;
  using CompareFunc = int (*)(void* context, const void* a, const void* b);
  BOOL SortChildren(HSTREEITEM item, CompareFunc compare, void* context);
  void PageUp();
  void PageDown();
  int GetVisibleRowCount() const { return visibleRows_; }
  int GetMaxWidth() const { return maxWidth_; }
  RECT GetPartRect(int part) const { return part == kPartToggle ? toggleRect_ : part == kPartCheck ? checkRect_ : iconRect_; }
  int GetItemHeight() const { return itemHeight_; }
  int GetIndent() const { return indent_; }

  virtual void LoadBranch(HSTREEITEM parent, pugi::xml_node item);
  virtual void LoadItemAttribute(pugi::xml_node element, tagTVITEM& item);
  virtual void ItemLayout();
  virtual void CalcItemContentWidth(tagTVITEM& item);
  virtual int GetItemWidth(const tagTVITEM& item) const { return indent_ * item.nLevel + item.nContentWidth; }
  virtual int GetMaxItemWidth(HSTREEITEM item) const;
  virtual int GetMaxItemWidth() const;
  virtual void DrawItem(IRenderTarget* rt, const RECT& rc, HSTREEITEM item);
  virtual void DrawLines(IRenderTarget* rt, const RECT& rc, HSTREEITEM item);
  virtual void OnInsertItem(HSTREEITEM) {}

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;

 private:
  bool InSubtree(HSTREEITEM item, HSTREEITEM top) const;
  void ShowChildren(HSTREEITEM item, bool show);
  void RenewViewSize();
  int RowOf(HSTREEITEM item) const;
  void RedrawItem(HSTREEITEM item);
  void PropagateUp(HSTREEITEM from, int value);
  void SetSubtreeCheck(HSTREEITEM item, int value);
  int PartAt(HSTREEITEM item, POINT rowPt) const;
  void ItemMouseMove(HSTREEITEM item, POINT rowPt);
  void ItemMouseLeave(HSTREEITEM item);
  void ItemButtonDown(HSTREEITEM item, POINT rowPt);
  void ItemButtonUp(HSTREEITEM item);
  void OnPress(POINT pt);
  void OnRelease(POINT pt);
  void OnDoubleClick(POINT pt);
  void OnMove(POINT pt);
  void OnRightPress(POINT pt);
  void SortBelow(HSTREEITEM item, CompareFunc compare, void* context);

  HSTREEITEM selected_ = 0;
  HSTREEITEM hover_ = 0;
  HSTREEITEM captured_ = 0;
  int visibleRows_ = 0;
  int maxWidth_ = 0;
  UINT parts_ = 0;
  RECT toggleRect_{0, 0, 0, 0}, checkRect_{0, 0, 0, 0}, iconRect_{0, 0, 0, 0};
  int partsRight_ = 0;
  int hoverPart_ = kPartNone;
  int pushedPart_ = kPartNone;
  int itemHeight_ = 20;
  int indent_ = 18;
  int itemMargin_ = 4;
  int checkBox_ = 0;
  int rightClickSel_ = 0;
  ISkinObj* itemBkgndSkin_ = nullptr;
  ISkinObj* itemSelSkin_ = nullptr;
  ISkinObj* iconSkin_ = nullptr;
  ISkinObj* toggleSkin_ = nullptr;
  ISkinObj* checkSkin_ = nullptr;
  ISkinObj* linesSkin_ = nullptr;
  COLORREF colorItemBkgnd_ = 0xFFFFFFFF;
  COLORREF colorItemSelBkgnd_ = 0xFF880000;
  COLORREF colorItemText_ = 0xFF000000;
  COLORREF colorItemSelText_ = 0xFFFFFFFF;
  bool hasLines_ = false;
};

}  // namespace ORIEL
