// The main window's caption bar: registers the main window with the
// modal-dialog stack, opens the main menu from "btn_menu" and carries out
// its commands (1 tutorial, 3 feedback page, 4 update check, 6 about box).
// Minimise, maximise, restore and close belong to the main window.
#pragma once

#include "controls/SCtrlPart.h"
#include "core/SWnd.h"
#include "win32/types.h"

class SPartCaption : public ORIEL::ISCtrlPartHandler {
 public:
  // Menu item ids.
  enum : int { kMenuTutorial = 1, kMenuFeedback = 3, kMenuUpdate = 4, kMenuAbout = 6 };

  // `view` is the main window; `part` the caption part (may be null: then
  // there is no menu button to wire).
  SPartCaption(ORIEL::SHostWnd* view, ORIEL::SCtrlPart* part);
  ~SPartCaption() override = default;
  SPartCaption(const SPartCaption&) = delete;
  SPartCaption& operator=(const SPartCaption&) = delete;

  void OnInit() override;
  // Acts on menu commands (notification code 0); never claims them, so
  // the main window still sees every command.
  void OnCommand(UINT code, UINT id, LPARAM lParam) override;
  LRESULT OnUserMessage(UINT, WPARAM, LPARAM) override { return 0; }
  void OnCopyData(WPARAM, LPARAM) override {}

  void ShowMainMenu();
  void OpenCommunity();

 private:
  ORIEL::SWindow* menuButton_ = nullptr;
};
