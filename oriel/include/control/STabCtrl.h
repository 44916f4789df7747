// "tabctrl" and its "page"s: one page shown at a time in the page area,
// a strip of tabs along one side that the mouse and the arrow keys step
// through; a subscriber of "on_tab_sel_changing" may veto, and a change
// may slide the old page out and the new one in over the host's timeline.
#pragma once

#include "core/SArray.h"
#include "core/SInterpolator.h"
#include "core/SWnd.h"
#include "core/SwndContainer.h"

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

class STabCtrl;

// The slide between two pages: both painted side by side (or one above the
// other) into a target twice the page area, shown through a window over
// the page area at an offset that the timeline moves.
class STabSlider : public SWindow, public ITimelineHandler {
  SOBJ_CLASS(STabSlider, SWindow, L"tabslider", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  STabSlider() = default;
  // Paints both pages, inserts itself into `tab` and joins the timeline.
  bool Start(STabCtrl* tab, SWindow* from, SWindow* to, bool toLower, int steps, int animateType,
             IInterpolator* interpolator);
  void AdvanceFrame() override;
  // Destroys the slider and shows the tab control's current page.
  void Stop();
  POINT GetOffset() const { return offset_; }
  int GetFrame() const { return frame_; }

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnDestroy() override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void PaintPage(SWindow* page, const RECT& area, POINT at, bool firstChild);

  SRefPtr<IRenderTarget> rt_;
  SRefPtr<IInterpolator> interpolator_;
  STabCtrl* tab_ = nullptr;
  POINT offset_{0, 0};
  int start_ = 0, end_ = 0, steps_ = 0, frame_ = 0;
  bool vertical_ = false;
  bool stopping_ = false;
  bool started_ = false;
};

class STabCtrl : public SWindow {
  SOBJ_CLASS(STabCtrl, SWindow, L"tabctrl", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"window"; }
  enum Align { kTop = 0, kLeft = 1, kBottom = 2, kRight = 3 };
  STabCtrl();
  ~STabCtrl() override;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SWindow::ApplyAttribute;
  BOOL CreateChildren(pugi::xml_node element) override;
  BOOL LoadXmlNode(pugi::xml_node element) override;
  void GetLayoutArea(RECT* rc) override;
  void ArrangeChildren() override;
  void OnDestroy() override;
  UINT GetDlgCode() const override { return kDlgWantArrows; }
  BOOL QueryToolTipInfo(POINT pt, SwndToolTipInfo* info) override;
  BOOL RefreshTranslation() override;
  void UpdateScale(int scale) override;
  void Colorize(COLORREF color) override;
  void PaintFocusIndicator(IRenderTarget* rt) override;
  enum { kDlgWantArrows = 1 };

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
  // Tab `index`'s rectangle in the strip; false out of range.
  virtual BOOL GetItemRect(int index, RECT& rc) const;
  virtual void DrawItem(IRenderTarget* rt, const RECT& rc, int index, DWORD state);
  // The tab under the point, -1 for none.
  int HitTest(POINT pt) const;

  // Shows page `index`; false when it is out of range, already shown or
  // vetoed.
  BOOL SetCurSel(int index);
  int GetCurSel() const { return curSel_; }
  STabPage* GetPage(int index) const;
  int GetItemCount() const { return static_cast<int>(pages_.GetCount()); }
  int GetHover() const { return hover_; }
  int GetAlign() const { return align_; }
  // The slide in progress, or null.
  STabSlider* GetSlider() const { return slider_; }
  void StopSlide();

 protected:
  void OnPaint(IRenderTarget* rt) override;
  void OnLButtonDown(UINT keys, POINT pt) override;
  void OnMouseLeave() override;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  friend class STabSlider;
  int TabWidth() const;
  int TabHeight() const;
  void SetHover(int index);
  void InvalidateTab(int index);
  void OnKeyDown(UINT key);
  void DrawTitle(IRenderTarget* rt, const RECT& tab, const SStringW& title);
  void SliderGone(STabSlider* slider);

  SArray<STabPage*> pages_;
  int curSel_ = 0;
  int hover_ = -1;
  SLayoutSize tabWidth_{-1.0f, SLayoutSize::px};
  SLayoutSize tabHeight_{-1.0f, SLayoutSize::px};
  SLayoutSize tabPos_{0.0f, SLayoutSize::px};
  SLayoutSize tabInterSize_{0.0f, SLayoutSize::px};
  SLayoutSize iconX_{0.0f, SLayoutSize::px}, iconY_{0.0f, SLayoutSize::px};
  SLayoutSize textX_{-1.0f, SLayoutSize::px}, textY_{-1.0f, SLayoutSize::px};
  int align_ = kTop;
  bool verticalText_ = false;
  int animateSteps_ = 0;
  int animateType_ = 0;
  ISkinObj* tabSkin_ = nullptr;
  ISkinObj* iconSkin_ = nullptr;
  ISkinObj* interSkin_ = nullptr;
  ISkinObj* frameSkin_ = nullptr;
  SStringW tabSkinName_, iconSkinName_, interSkinName_, frameSkinName_;
  SRefPtr<IInterpolator> interpolator_;
  STabSlider* slider_ = nullptr;
};

}  // namespace ORIEL
