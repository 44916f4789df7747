#include "windows/SPartCaption.h"

#include "control/SButton.h"
#include "control/SWin32Menu.h"
#include "controls/CDlgStack.h"
#include "core/SHostWnd.h"
#include "online/UpdateCheck.h"
#include "shell/shellapi.h"
#include "windows/SDlgAboutUs.h"
#include "windows/ProductLinks.h"

using namespace ORIEL;

SPartCaption::SPartCaption(SHostWnd* view, SCtrlPart* part) : ISCtrlPartHandler(view, part) {}

void SPartCaption::OnInit() {
  if (GetHost()) CDlgStack::Instance().RegisterWindow(GetHost()->GetHwnd());
  // Once: a second initialisation must not open the menu twice.
  if (!GetPart() || menuButton_) return;
  menuButton_ = GetPart()->FindChildByName2<SImageButton>(L"btn_menu");
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
  const int scale = GetPart() ? GetPart()->GetScale() : 100;
  menu.ShowPopup(0, pt.x, pt.y, GetHost() ? GetHost()->GetHwnd() : nullptr, nullptr, scale);
}

void SPartCaption::OnCommand(UINT code, UINT id, LPARAM) {
  if (code != 0) return;
  switch (id) {
    case kMenuTutorial:
      ShellExecuteW(nullptr, L"open", TutorialUrl().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      break;
    case kMenuFeedback:
      OpenCommunity();
      break;
    case kMenuUpdate:
      CheckForUpdate(GetDesktopWindow(), true);
      break;
    case kMenuAbout: {
      SDlgAboutUs about;
      about.DoModal(CDlgStack::Instance().Top());
      break;
    }
    default:
      break;
  }
}

void SPartCaption::OpenCommunity() { OpenCommunityUrl(CommunityUrl(), GetHost() ? GetHost()->GetHwnd() : nullptr); }
