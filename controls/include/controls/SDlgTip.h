// The message and confirmation box: a title, lines of text, an optional
// icon, OK, an optional second button and a close button. Its size follows
// its content: 340 x 164 empty, +24 a line, +65 with an icon, widened by a
// long line up to the owner monitor's work area less 40 px, past which the
// line wraps. Results: 1 OK, 2 No (and window close), 8 the close button,
// 100 recalled by the dialog stack.
#pragma once

#include <vector>

#include "controls/SDlgBase.h"

namespace ORIEL {

class SDlgTip : public SDlgBase {
 public:
  enum : INT_PTR { kOk = 1, kNo = 2, kClose = 8 };
  // Sizes of the layout at scale 100 that the content is laid out against.
  static constexpr int kLineHeight = 24;
  static constexpr int kIconHeight = 65;
  static constexpr int kTextMargin = 80;   // room beside the text in the layout
  static constexpr int kWidenMargin = 90;  // what a widened dialog adds to its longest line
  static constexpr int kScreenMargin = 40;
  static constexpr int kLinePadding = 2;  // the lines' style pads each side

  SDlgTip(const SStringW& title, const SStringW& line1, const SStringW& line2, const SStringW& iconSkin,
          const SStringW& okText, const SStringW& noText);
  SDlgTip(const SStringW& title, const SStringW& okText, const SStringW& noText);
  SDlgTip();
  ~SDlgTip() override;

  // Each setter stores and returns the dialog, for chaining. An empty line is
  // dropped; an empty No text hides the second button; an empty icon skin
  // shows no icon.
  SDlgTip& AddText(const SStringW& text);
  SDlgTip& SetTitle(const SStringW& text);
  SDlgTip& SetOkText(const SStringW& text);
  SDlgTip& SetNoText(const SStringW& text);
  SDlgTip& SetIconSkin(const SStringW& name);
  // Hides the close button when cleared; set before the dialog runs.
  bool closable = true;

  // Applies the texts to the layout and sizes the dialog around them (run at
  // WM_INITDIALOG, before the DPI scaling of the base).
  void CalcLayout();
  bool IsLayoutDone() const { return layoutDone_; }
  const std::vector<SStringW>& GetLines() const { return lines_; }

  // The window's text and tooltip; its size follows the text, 0,0 for none.
  static void SetLabelText(SWindow* window, const SStringW& text);
  // One line's text control under "wnd_tip", as CalcLayout makes it.
  SWindow* AddTextControl(const SStringW& text);

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
  BOOL OnHostEvent(EventArgs* e) override;

 private:
  void FindChildren();
  // The widest the dialog may grow at scale 100.
  int WidthLimit() const;
  // The line with line breaks where it would pass `width` pixels in the
  // control's font; the number of lines through `count`.
  static SStringW WrapLine(SWindow* control, const SStringW& line, int width, int* count);
  static void SetButtonText(SWindow* button, const SStringW& text);
  static void SetLineText(SWindow* control, const SStringW& text);

  std::vector<SStringW> lines_;
  SStringW title_, iconSkin_, okText_, noText_;
  RECT rect_{0, 0, 0, 0};
  bool layoutDone_ = false;
  SWindow* wndTip_ = nullptr;
  SWindow* winTxt_ = nullptr;
  SWindow* winPadding_ = nullptr;
  SWindow* borderLeft_ = nullptr;
  SWindow* borderRight_ = nullptr;
  SWindow* titleName_ = nullptr;
  SWindow* btnOk_ = nullptr;
  SWindow* btnNo_ = nullptr;
  SWindow* btnClose_ = nullptr;
  SWindow* imgTip_ = nullptr;
};

}  // namespace ORIEL
