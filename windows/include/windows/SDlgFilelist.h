#pragma once
// The modeless window that lists the finished recordings. Made once,
// hidden, with the main view; closing only hides it. It holds no data: its
// list view shows the file-list adapter, and its page switch shows the
// "empty" page while there is no recording.

#include "control/SListView.h"
#include "control/STabCtrl.h"
#include "controls/SDlgBase.h"

class CAdpaterFilelist;

class SDlgFilelist : public ORIEL::SDlgBaseWnd {
 public:
  // The adapter the list shows; the program's own when none is given.
  explicit SDlgFilelist(CAdpaterFilelist* adapter = nullptr);
  ~SDlgFilelist() override;

  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
  BOOL OnHostEvent(ORIEL::EventArgs* e) override;

  // Restores, raises (topmost and back, so it is not left above others),
  // activates, centres on the top modal dialog or the main window, and
  // shows the page by the count.
  void ShowAndActivate();
  // Page 1 (the list) when there is a recording, else page 0.
  void RefreshPage();

  ORIEL::SListView* GetListView() const { return list_; }
  ORIEL::STabCtrl* GetPages() const { return pages_; }

 private:
  void OnInitDialog();
  void OnDestroy();

  CAdpaterFilelist* adapter_;
  ORIEL::SListView* list_ = nullptr;
  ORIEL::STabCtrl* pages_ = nullptr;
};
