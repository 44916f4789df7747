#include "windows/SDlgFilelist.h"

#include "controls/CDlgStack.h"
#include "logic/BllMain.h"
#include "windows/CAdpaterFilelist.h"

using namespace ORIEL;

SDlgFilelist::SDlgFilelist(CAdpaterFilelist* adapter)
    : SDlgBaseWnd(L"LAYOUT:dlg_filelist"), adapter_(adapter ? adapter : &CAdpaterFilelist::Instance()) {}

SDlgFilelist::~SDlgFilelist() {
  if (adapter_->GetOwner() == this) adapter_->SetOwner(nullptr);
}

BOOL SDlgFilelist::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                       DWORD mapId) {
  if (mapId == 0) {
    if (msg == WM_INITDIALOG) {
      OnInitDialog();
    } else if (msg == WM_CLOSE) {
      ShowWindow(hwnd, SW_HIDE);
      result = 0;
      return TRUE;
    } else if (msg == WM_DESTROY) {
      OnDestroy();
    }
  }
  return SDlgBaseWnd::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}

BOOL SDlgFilelist::OnHostEvent(EventArgs* e) {
  if (e && e->GetId() == EventCmd::EventID && e->nameFrom == L"btn_close") {
    ShowWindow(GetHwnd(), SW_HIDE);
    return TRUE;
  }
  return SDlgBaseWnd::OnHostEvent(e);
}

void SDlgFilelist::OnInitDialog() {
  list_ = FindChildByName2<SListView>(L"lv_test");
  pages_ = FindChildByName2<STabCtrl>(L"tab_main");
  adapter_->SetOwner(this);
  if (list_) list_->SetAdapter(adapter_);
  RefreshPage();
}

// The window's own teardown runs on after this (the host's WM_DESTROY),
// so the list lets go of the adapter while its rows still exist.
void SDlgFilelist::OnDestroy() {
  if (list_) list_->SetSel(-1, FALSE);
  if (adapter_->GetOwner() == this) adapter_->SetOwner(nullptr);
  if (list_) list_->SetAdapter(nullptr);
}

void SDlgFilelist::RefreshPage() {
  if (pages_) pages_->SetCurSel(adapter_->GetCount() > 0 ? 1 : 0);
}

void SDlgFilelist::ShowAndActivate() {
  HWND hwnd = GetHwnd();
  if (IsWindow(hwnd)) {
    SetActiveWindow(hwnd);
    ::SetFocus(hwnd);
    if (IsIconic(hwnd)) SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    ShowWindow(hwnd, SW_SHOW);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd);
  }
  CenterOnOwner(CDlgStack::Instance().Top());
  RefreshPage();
}
