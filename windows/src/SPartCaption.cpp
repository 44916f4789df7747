#include "windows/SPartCaption.h"

#include "control/SButton.h"
#include "control/SWin32Menu.h"
#include "controls/CDlgStack.h"
#include "core/SHostWnd.h"
#include "shell/shellapi.h"
#include "windows/ProductLinks.h"

using namespace ORIEL;

SPartCaption::SPartCaption(SHostWnd* view, SWindow* part) : view_(view), part_(part) {}

void SPartCaption::OnInit() {
  if (view_) CDlgStack::Instance().RegisterWindow(view_->GetHwnd());
  if (!part_) return;
  menuButton_ = part_->FindChildByName2<SImageButton>(L"btn_menu");
  if (menuButton_)
    menuButton_->SubscribeEvent(EventCmd::EventID, [this](EventArgs*) {
      ShowMainMenu();
      return true;
    });
}

void SPartCaption::ShowMainMenu() {
  POINT pt{};
  GetCursorPos(&pt);
  SWin32Menu menu;
  if (!menu.LoadFromXml(L"menu", L"SMENUEX")) return;
  const int scale = part_ ? part_->GetScale() : 100;
  menu.ShowPopup(0, pt.x, pt.y, view_ ? view_->GetHwnd() : nullptr, nullptr, scale);
}

void SPartCaption::OnCommand(int code, int id, LPARAM) {
  if (code != 0) return;
  switch (id) {
    case kMenuTutorial:
      ShellExecuteW(nullptr, L"open", TutorialUrl().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      break;
    case kMenuFeedback:
      OpenCommunity();
      break;
    case kMenuUpdate:
      // The manual update check comes with the online services.
      break;
    case kMenuAbout:
      // The about box comes with the list of recordings' windows.
      break;
    default:
      break;
  }
}

void SPartCaption::OpenCommunity() { OpenCommunityUrl(CommunityUrl(), view_ ? view_->GetHwnd() : nullptr); }
