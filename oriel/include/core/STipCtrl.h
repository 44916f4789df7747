// The framework's own tool tip: a small topmost popup painted with GDI that
// shows 500 ms after the mouse rests inside a tip's rectangle, 24 pixels
// below the pointer, and hides after 5 seconds or at the next click. A
// dismissed tip stays dismissed until the host names another one. The
// object deletes itself after its window's last message.
#pragma once

#include "core/CSimpleWnd.h"
#include "core/IToolTip.h"
#include "core/SString.h"
#include "gdi/gdi.h"

namespace ORIEL {

class STipCtrl : public IToolTip, public CSimpleWnd {
 public:
  static constexpr UINT kShowDelayMs = 500;
  static constexpr UINT kDisplayMs = 5000;
  static constexpr int kOffsetBelow = 24;
  static constexpr int kWrapWidth = 500;

  STipCtrl();
  ~STipCtrl() override;
  // The popup "oriel tooltip" and its font; false when the window cannot
  // be made.
  BOOL CreateTipWindow();

  BOOL PreFilter(MSG* msg) override;
  void UpdateTip(const TipId& id, const RECT& rect, LPCWSTR text, int scale) override;
  void ClearTip() override;
  void FeedMouse(MSG* msg) override;

  HFONT GetFont() const { return font_; }
  const SStringW& GetText() const { return text_; }

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;

 protected:
  void ReleaseThunk(HWND oldHwnd) override;

 private:
  enum : UINT_PTR { kTimerDelay = 1, kTimerDisplay = 2 };
  void MakeFont(int scale);
  void Hide();
  void PlaceAndShow();
  // Starts the show delay at `pt` (client coordinates of `from`) unless
  // the tip shows already or has no text.
  void StartDelay(HWND from, POINT pt);
  void OnPaint(HWND hwnd);

  UINT delay_ = kShowDelayMs;
  UINT displayTime_ = kDisplayMs;
  SStringW text_;
  int fontScale_ = 0;
  RECT tipRect_{};
  HFONT font_ = nullptr;
  TipId id_{};
  // The last move the loop saw, for a tip named after it went by.
  HWND lastMoveHwnd_ = nullptr;
  POINT lastMovePoint_{};
  // The tip a click dismissed and where it was.
  bool dismissed_ = false;
  TipId dismissedId_{};
  RECT dismissedRect_{};
};

}  // namespace ORIEL
