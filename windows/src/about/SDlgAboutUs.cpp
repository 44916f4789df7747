#include "windows/SDlgAboutUs.h"

#include "base/ProductInfo.h"
#include "control/SLink.h"
#include "control/SStatic.h"
#include "windows/CustomerService.h"

using namespace ORIEL;

namespace {
const wchar_t kRightsNotice[] = L"本软件及其图标、界面与文字的权利归开发者所有，保留一切权利。";
}

SDlgAboutUs::SDlgAboutUs() : SDlgBase(L"LAYOUTGLOBAL:XML_ABOUTUS") {}

BOOL SDlgAboutUs::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                      DWORD mapId) {
  if (mapId == 0) {
    if (msg == WM_INITDIALOG) {
      OnInitDialog();
    } else if (msg == WM_CLOSE) {
      EndDialog(8);
      result = 0;
      return TRUE;
    }
  }
  return SDlgBase::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}

BOOL SDlgAboutUs::OnHostEvent(EventArgs* e) {
  if (e && e->GetId() == EventCmd::EventID) {
    if (e->nameFrom == L"btn_close") {
      e->bubbleUp = 0;
      EndDialog(8);
      return TRUE;
    }
    if (e->nameFrom == L"customer") {
      OpenCustomerService(L"pc_menu");
      return TRUE;
    }
  }
  return SHostDialog::OnHostEvent(e);
}

void SDlgAboutUs::OnInitDialog() {
  if (SStatic* version = FindChildByName2<SStatic>(L"version")) version->SetText(SStringW(L"v ") + kProductVersion);
  if (SLink* website = FindChildByName2<SLink>(L"website")) {
    const SStringW address = GetProductInfo(L"website").c_str();
    website->SetText(address);
    website->ApplyAttribute(SStringW(L"href"), address, FALSE);
  }
  if (SStatic* company = FindChildByName2<SStatic>(L"company")) company->SetText(SStringW(kRightsNotice));
}
