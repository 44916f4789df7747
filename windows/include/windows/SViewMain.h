// The view half of the main window: finds the window's elements once,
// owns the format panel and the caption handler, and turns the recorder's
// state and the settings into what the window shows (record and stop
// buttons with their hot-key hints, elapsed time, format description,
// volume sliders and mute buttons, waveform rows and their error masks).
// Every refresh derives the whole display again; a missing element is
// skipped.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "audio/OutputRecorder.h"
#include "audio/SCtrlAudio.h"
#include "control/SButton.h"
// The scroll codes first: the edit control's text services define them
// as macros only where they are not declared yet.
#include "control/SScrollInfo.h"
#include "control/SEdit.h"
#include "control/SSliderBar.h"
#include "control/SStatic.h"
#include "control/STabCtrl.h"
#include "controls/SDlgBase.h"
#include "logic/ArgOutput.h"
#include "logic/FileMoreSetting.h"
#include "windows/SDlgFilelist.h"
#include "windows/SPartBottom.h"
#include "windows/SPartCaption.h"
#include "windows/SPartOutputArg.h"

class SViewMain : public ORIEL::SDlgBaseWnd {
 public:
  // The layout of the main window.
  static constexpr const wchar_t* kLayout = L"LAYOUT:dlg_main";
  // The microphone waveform's colour.
  static constexpr uint32_t kMicBrush = 0xFF22F2B4;

  explicit SViewMain(LPCWSTR layout = kLayout);
  ~SViewMain() override;

  // One-time set-up when the window initialises: the format panel on the
  // live settings, the elements, the caption handler, the microphone's
  // colour, then the panel's lists.
  void CreateChildWindows(CArgOutput& settings);
  void RefreshRecordState(COutputRecorder& recorder, CFileMoreSetting& more);
  void ApplyOutputArg(COutputRecorder& recorder);
  void RefreshElapsedTime(COutputRecorder& recorder);
  void RefreshVolumeState(CArgOutput& settings);
  // Registers, or with reg false unregisters, every hot key of the map on
  // the main window under its id; failures are ignored.
  void RegisterHotKeys(std::map<int32_t, CHotKeyItem>& hotkeys, bool reg);
  // Brings the list of recordings up, when there is one.
  void ShowAndActivate();
  // The list of recordings: made once, hidden, over the controller's
  // file-list adapter.
  void CreateFileListWindow();
  // The bottom bar's handler; null before the window initialised.
  SPartBottom* GetBottomBar() const { return bottom_.get(); }
  // Shows or hides the floating window, when there is one.
  void ShowFloatingWindow(bool show);
  void DestroyChildWindows();
  void ReloadOutputLists() { outputPart_.ReloadLists(); }

  SPartOutputArg& GetOutputPart() { return outputPart_; }
  SPartCaption* GetCaptionHandler() const { return caption_.get(); }
  // The floating window and the list of recordings, null while the
  // program has none.
  ORIEL::SHostWnd* GetFlowWindow() const { return flow_; }
  ORIEL::SHostWnd* GetFileListWindow() const { return fileList_; }
  // The elements' names that were missing or of another class at set-up.
  const std::vector<std::wstring>& MissingElements() const { return missing_; }

 protected:
  // Takes ownership of windows made by their own modules.
  void SetFlowWindow(ORIEL::SHostWnd* flow) { flow_ = flow; }
  void SetFileListWindow(ORIEL::SHostWnd* list) { fileList_ = list; }
  // Shows the output folder in "edit_path".
  void ShowOutputFolder(const SStringW& folder);

  ORIEL::SHostWnd* flow_ = nullptr;
  ORIEL::SHostWnd* fileList_ = nullptr;
  SPartOutputArg outputPart_;

  ORIEL::SWindow* partCaption_ = nullptr;
  ORIEL::SWindow* partBottom_ = nullptr;
  std::unique_ptr<SPartCaption> caption_;
  std::unique_ptr<SPartBottom> bottom_;
  std::unique_ptr<SDlgFilelist> ownedFileList_;
  SCtrlAudio* waveSpeaker_ = nullptr;
  SCtrlAudio* waveMic_ = nullptr;
  ORIEL::SWindow* rowSpeaker_ = nullptr;
  ORIEL::SWindow* rowMic_ = nullptr;
  ORIEL::SWindow* rowLine_ = nullptr;
  ORIEL::SWindow* errorSpeaker_ = nullptr;
  ORIEL::SWindow* errorMic_ = nullptr;
  ORIEL::SWindow* describe_ = nullptr;
  ORIEL::SEdit* editPath_ = nullptr;
  ORIEL::SWindow* txtState_ = nullptr;
  ORIEL::SWindow* txtEnd_ = nullptr;
  ORIEL::SStatic* txtTime_ = nullptr;
  ORIEL::SButton* btnStart_ = nullptr;
  ORIEL::SButton* btnStop_ = nullptr;
  ORIEL::SSliderBar* barMic_ = nullptr;
  ORIEL::SSliderBar* barSpeak_ = nullptr;
  ORIEL::SButton* btnMic_ = nullptr;
  ORIEL::SButton* btnSpeak_ = nullptr;
  ORIEL::STabCtrl* tabDevInfo_ = nullptr;

 private:
  template <class T>
  T* FindElement(const wchar_t* name, bool required = true);
  void MonitorDevice(SCtrlAudio* wave, bool loopback, const std::wstring& name, const std::wstring& id);

  std::vector<std::wstring> missing_;
};
