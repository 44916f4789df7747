// "tabctrl" and its "page"s: one page shown at a time in the page area,
// switched from code; a subscriber of "on_tab_sel_changing" may veto.
#pragma once

#include "core/SArray.h"
#include "core/SWnd.h"

namespace ORIEL {

class EventTabSelChanging : public TplEventArgs<EventTabSelChanging> {
  ORIEL_EVENT(EventTabSelChanging, 11000, L"on_tab_sel_changing")
  int uOldSel = -1;
  int uNewSel = -1;
  BOOL bCancel = FALSE;
};

class EventTabSelChanged : public TplEventArgs<EventTabSelChanged> {
  ORIEL_EVENT(EventTabSelChanged, 11001, L"on_tab_sel_changed")
  int uOldSel = -1;
  int uNewSel = -1;
};

class EventTabItemHover : public TplEventArgs<EventTabItemHover> {
  ORIEL_EVENT(EventTabItemHover, 11002, L"on_tab_item_hover")
  int iHover = -1;
};

class EventTabItemLeave : public TplEventArgs<EventTabItemLeave> {
  ORIEL_EVENT(EventTabItemLeave, 11003, L"on_tab_item_leave")
  int iLeave = -1;
};

class STabPage : public SWindow {
  SOBJ_CLASS(STabPage, SWindow, L"page", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  STabPage();
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL RefreshTranslation() override;

  SStringW GetTitle() const { return title_.GetText(); }
  int GetIconIndex() const { return iconIndex_; }

 private:
  SLocalizedText title_{this};
  int iconIndex_ = -1;
};

class STabCtrl : public SWindow {
  SOBJ_CLASS(STabCtrl, SWindow, L"tabctrl", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  enum Align { kTop = 0, kLeft = 1, kBottom = 2, kRight = 3 };
  STabCtrl();

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL LoadXmlNode(pugi::xml_node element) override;
  void GetLayoutArea(RECT* rc) override;
  void OnDestroy() override;

  // Inserts a page made from a "page" element at `index` (-1: last); the
  // index, or -1 for any other element.
  virtual int InsertItem(pugi::xml_node element, int index, BOOL loading);
  // The same from XML text; -1 when the text is not well-formed.
  int InsertItemXml(const SStringW& xml, int index);
  virtual STabPage* CreatePageFromXml(pugi::xml_node element);
  // Called with each page inserted.
  virtual void OnItemInserted(STabPage*) {}
  // The strip of tabs along the aligned side.
  virtual RECT TabTitleRect() const;

  // Shows page `index`; false when it is out of range, already shown or
  // vetoed.
  BOOL SetCurSel(int index);
  int GetCurSel() const { return curSel_; }
  STabPage* GetPage(int index) const;
  int GetItemCount() const { return static_cast<int>(pages_.GetCount()); }

 private:
  int TabWidth() const;
  int TabHeight() const;

  SArray<STabPage*> pages_;
  int curSel_ = 0;
  SLayoutSize tabWidth_{-1.0f, SLayoutSize::px};
  SLayoutSize tabHeight_{-1.0f, SLayoutSize::px};
  int align_ = kTop;
  ISkinObj* tabSkin_ = nullptr;
};

}  // namespace ORIEL
