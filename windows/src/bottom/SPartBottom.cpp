#include "windows/SPartBottom.h"

#include "base/ProductInfo.h"
#include "control/SButton.h"
#include "control/SStatic.h"
#include "controls/SWkeWebkit.h"
#include "event/SEventSlot.h"
#include "shell/shellapi.h"
#include "win32/windows.h"
#include "windows/CustomerService.h"
#include "windows/FileListTexts.h"

using namespace ORIEL;

const wchar_t* DefaultProductPage() { return QUORVALE_PRODUCT_PAGE; }

SPartBottom::SPartBottom(SHostWnd* view, SCtrlPart* part, const std::wstring& adModule)
    : ISCtrlPartHandler(view, part),
      view_(view),
      part_(part),
      bridge_(adModule.empty() ? std::make_unique<CBLLAdvertiseUI>() : std::make_unique<CBLLAdvertiseUI>(adModule, nullptr)) {}

SPartBottom::~SPartBottom() = default;

void SPartBottom::OnInit() {
  InitAdPanel();
  if (!part_) return;
  const struct {
    const wchar_t* name;
    bool (SPartBottom::*handler)(EventCmd*);
  } buttons[] = {{L"btn_web", &SPartBottom::OpenWebsite},
                 {L"btn_customer", &SPartBottom::OpenCustomerService},
                 {L"btn_update", &SPartBottom::RequestUpdateCheck}};
  for (const auto& b : buttons)
    if (SImageButton* button = part_->FindChildByName2<SImageButton>(b.name))
      button->GetEventSet()->SubscribeEvent(EventCmd::EventID, Subscriber(b.handler, this));
  if (SImageButton* update = part_->FindChildByName2<SImageButton>(L"btn_update"))
    update->SetVisible(UpdateButtonShown(GetProductInfo(kInfoChannel)) ? TRUE : FALSE, FALSE);
  if (SStatic* version = part_->FindChildByName2<SStatic>(L"version"))
    version->SetText(SStringW(L"版本：v") + kProductVersion);
}

void SPartBottom::InitAdPanel() {
  ad_ = part_ ? part_->FindChildByName2<SWkeWebkit>(L"ui_ad") : nullptr;
  ::InitAdPanel(*bridge_, ad_, view_ ? view_->GetHwnd() : nullptr, this);
}

void SPartBottom::OnCopyData(WPARAM, LPARAM lParam) {
  RunAdStatusCopyData(ad_, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
}

bool SPartBottom::OpenWebsite(EventCmd*) {
  std::wstring address = GetProductInfo(kInfoWebsite);
  if (address.empty()) address = DefaultProductPage();
  HWND owner = view_ ? view_->GetHwnd() : nullptr;
  return reinterpret_cast<intptr_t>(ShellExecuteW(owner, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

bool SPartBottom::OpenCustomerService(EventCmd*) {
  ::OpenCustomerService(L"pc_button");
  return true;
}

bool SPartBottom::RequestUpdateCheck(EventCmd*) {
  if (view_) PostMessageW(view_->GetHwnd(), WM_COMMAND, 4, 0);
  return true;
}
