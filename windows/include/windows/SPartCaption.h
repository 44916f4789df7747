// The main window's caption bar: registers the main window with the
// modal-dialog stack, opens the main menu from "btn_menu" and carries out
// its commands (1 tutorial, 3 feedback page, 4 update check, 6 about box).
// Minimise, maximise, restore and close belong to the main window.
#pragma once

#include "core/SWnd.h"
#include "win32/types.h"

namespace ORIEL {
class SHostWnd;
}

class SPartCaption {
 public:
  // Menu item ids.
  enum : int { kMenuTutorial = 1, kMenuFeedback = 3, kMenuUpdate = 4, kMenuAbout = 6 };

  // `view` is the main window; `part` the caption part (may be null: then
  // there is no menu button to wire).
  SPartCaption(ORIEL::SHostWnd* view, ORIEL::SWindow* part);
  virtual ~SPartCaption() = default;
  SPartCaption(const SPartCaption&) = delete;
  SPartCaption& operator=(const SPartCaption&) = delete;

  virtual void OnInit();
  // Acts on menu commands (notification code 0); never claims them, so
  // the main window still sees every command.
  virtual void OnCommand(int code, int id, LPARAM lParam);
  virtual LRESULT OnUserMessage(UINT, WPARAM, LPARAM) { return 0; }
  virtual LRESULT OnCopyData(WPARAM, LPARAM) { return 0; }

  void ShowMainMenu();
  void OpenCommunity();

 private:
  ORIEL::SHostWnd* view_;
  ORIEL::SWindow* part_;
  ORIEL::SWindow* menuButton_ = nullptr;
};
