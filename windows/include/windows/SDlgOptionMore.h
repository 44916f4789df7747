// The settings dialog ("设置"): the microphone, timed splitting, when the
// floating window shows, start at logon, the four global hot keys and the
// ID3 texts. Every change goes at once into the controller's live settings
// (written to the INI files at exit); start at logon, the hot keys and the
// floating window on the desktop also act at once. While open it follows
// the device server, so its microphone list follows plugged devices.
// Results: 8 its close button (and Esc), 2 window close, 100 recalled.
#pragma once

#include <memory>
#include <vector>

#include "audio/AudioDev.h"
#include "control/SCheckBox.h"
#include "control/SComboBox.h"
#include "control/SEdit.h"
#include "control/SHotKeyCtrl.h"
#include "control/STabCtrl.h"
#include "controls/SDlgBase.h"

class SDlgOptionMore : public ORIEL::SDlgBase {
 public:
  static constexpr const wchar_t* kLayout = L"LAYOUT:dlg_option_more";
  SDlgOptionMore() : SDlgBase(kLayout) {}
  ~SDlgOptionMore() override;

  BOOL OnHostEvent(ORIEL::EventArgs* e) override;
  BOOL HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                           DWORD mapId) override;
  // Leaves the device server's listeners and ends with 1; no control of
  // the layout asks for it.
  void OnOK();

 private:
  void OnInit();
  void FillMicrophones();
  void OnMicrophoneChosen();
  void OnPage(const SStringW& name);
  void OnCheck(const SStringW& name);
  void OnHotKey(const SStringW& name);
  void OnEditChanged(const SStringW& name);
  // Leaves the listener list and reports the settings as they stand.
  void Leave();

  ORIEL::STabCtrl* tab_ = nullptr;
  ORIEL::SWindow* pageButtons_[3] = {};
  ORIEL::SEdit* duration_ = nullptr;
  ORIEL::SComboBox* mic_ = nullptr;
  ORIEL::SCheckBox* split_ = nullptr;
  ORIEL::SCheckBox* flowDesktop_ = nullptr;
  ORIEL::SCheckBox* flowRecording_ = nullptr;
  ORIEL::SCheckBox* autoOpen_ = nullptr;
  ORIEL::SHotKeyCtrl* hotkeys_[4] = {};
  bool initialised_ = false;
  bool listening_ = false;
  std::vector<std::shared_ptr<CAudioDev>> devices_;
};
