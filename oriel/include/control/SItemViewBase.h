// What every view of item panels does alike, whatever places its items:
// the mouse goes to the panel that holds the capture, else to the panel
// under it, which is told when the mouse comes and goes; keys, characters,
// the wheel and the focus go to the selected item's panel; a new scale,
// language or colour reaches every panel, shown or idle. The views decide
// which panel is under a point, which one is selected and what a press on
// no item means.
#pragma once

#include <functional>

#include "control/SItemPanel.h"
#include "control/SPanel.h"

namespace ORIEL {

class SItemViewBase : public SPanel, protected IItemContainer {
 public:
  // "wantTab": keys, Tab included, go to the selected item's panel first.
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SPanel::ApplyAttribute;
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  UINT GetDlgCode() const override { return wantTab_ ? 0xFFFF : 0x80000001; }
  BOOL ApplyStyleCursor(POINT pt) override;
  BOOL QueryToolTipInfo(POINT pt, SwndToolTipInfo* info) override;
  BOOL RefreshTranslation() override;
  void Colorize(COLORREF color) override;

 protected:
  // IItemContainer
  void OnItemSetCapture(SItemPanel* item, bool capture) override;
  bool IsItemRedrawDelay() const override { return true; }
  void OnItemRequestRelayout(SItemPanel*) override {}

  LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam) override;

  // The panel of the selected (current) item, null when it is not shown.
  virtual SItemPanel* GetSelectedPanel() const = 0;
  // The panel under a point in host coordinates, null for none.
  virtual SItemPanel* PanelAt(POINT pt) const = 0;
  // Every panel the view owns, shown or idle.
  virtual void ForEachPanel(const std::function<void(SItemPanel*)>& each) const = 0;
  // The view's size changed (after the panel itself followed).
  virtual void OnViewSize() = 0;
  // A key for the view itself; false lets the selected item have it.
  virtual bool OnViewKeyDown(UINT key, LPARAM lParam) = 0;
  // Input reaches items only while the view has its data.
  virtual bool HasItems() const = 0;
  // A button went down on no item.
  virtual void OnPressOnNothing() {}
  // Just before the selected item's panel keeps its focused child.
  virtual void OnFocusLeaving() {}
  virtual LRESULT DispatchMouse(UINT msg, WPARAM wParam, LPARAM lParam);

  // The message's point made relative to the panel's rectangle.
  LPARAM RelativeTo(SItemPanel* panel, LPARAM lParam) const;
  // The hover moves to `hit`: the old panel hears it left, the new one
  // that the mouse came.
  void TrackHover(SItemPanel* hit, WPARAM wParam, LPARAM lParam);
  // With "wantTab" the selected item's panel has the key first; true when
  // it took it.
  bool SelectedItemTakesKey(UINT key, LPARAM lParam);
  // True when the selected item's panel handled the message; `result` is
  // its answer.
  bool ForwardToSelectedItem(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void OnMouseLeaveView();
  // A panel leaving its item no longer holds the capture.
  void ForgetCapture(SItemPanel* panel) {
    if (panel == capturePanel_) capturePanel_ = nullptr;
  }
  void BroadcastToPanels(UINT msg, WPARAM wParam = 0);
  // A panel leaving its item: no capture, no hover (told), no check and
  // no focus inside (quietly), hidden.
  void RetirePanel(SItemPanel* panel);
  // The selection moved from one shown panel to another (either may be
  // null): the old one loses its check and the focus inside it.
  static void MoveCheck(SItemPanel* from, SItemPanel* to);

  SItemPanel* capturePanel_ = nullptr;
  SItemPanel* hoverPanel_ = nullptr;
  int wantTab_ = 0;
};

// A mouse message's point, signed.
POINT ItemViewPointOf(LPARAM lParam);
bool IsMouseButtonDown(UINT msg);
bool IsMouseButtonUp(UINT msg);

}  // namespace ORIEL
