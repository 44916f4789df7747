#include "windows/SViewMain.h"

#include "windows/SDlgFlow.h"

#include "audio/AudioFormatTable.h"
#include "audio/ServerAudioDev.h"
#include "core/SAccelerator.h"
#include "core/SLog.h"
#include "windows/MainViewText.h"

using namespace ORIEL;

namespace {

void SetAttr(SWindow* w, const wchar_t* name, const SStringW& value) {
  if (w) w->ApplyAttribute(SStringW(name), value, FALSE);
}

// A part initialises its handler when it takes it; without the part the
// handler initialises alone.
void InstallPartHandler(SCtrlPart* part, ISCtrlPartHandler& handler) {
  if (part)
    part->SetHandler(&handler);
  else
    handler.OnInit();
}

}  // namespace

SViewMain::SViewMain(LPCWSTR layout) : SDlgBaseWnd(layout) {}

SViewMain::~SViewMain() = default;

template <class T>
T* SViewMain::FindElement(const wchar_t* name, bool required) {
  SWindow* found = FindDescendantByName(name);
  if (found && found->IsClass(T::GetClassName())) return static_cast<T*>(found);
  if (required) {
    missing_.emplace_back(name);
    SLOGW(SLOG_LEVEL_WARN, "SViewMain::CreateChildWindows",
          found ? L"element [%s] is not of class [%s]" : L"element [%s] (class [%s]) is missing", name,
          T::GetClassName());
  }
  return nullptr;
}

void SViewMain::CreateChildWindows(CArgOutput& settings) {
  outputPart_.SetOwner(this);
  outputPart_.SetRoot(this);
  outputPart_.SetRecord(&settings);
  outputPart_.OnInit();

  missing_.clear();
  partCaption_ = FindDescendantByName(L"part_caption");
  partBottom_ = FindDescendantByName(L"part_bottom");
  waveSpeaker_ = FindElement<SCtrlAudio>(L"wave_speaker");
  waveMic_ = FindElement<SCtrlAudio>(L"wave_mic");
  rowSpeaker_ = FindElement<SWindow>(L"wnd_speaker");
  rowMic_ = FindElement<SWindow>(L"wnd_mic");
  rowLine_ = FindElement<SWindow>(L"wnd_devLine");
  errorSpeaker_ = FindElement<SWindow>(L"wnd_error_spkear");
  errorMic_ = FindElement<SWindow>(L"wnd_error_mic");
  describe_ = FindElement<SWindow>(L"wnd_devDescribe");
  editPath_ = FindElement<SEdit>(L"edit_path");
  txtState_ = FindElement<SWindow>(L"txt_state");
  txtEnd_ = FindElement<SWindow>(L"txt_end");
  txtTime_ = FindElement<SStatic>(L"txt_time");
  btnStart_ = FindElement<SButton>(L"btn_start");
  btnStop_ = FindElement<SButton>(L"btn_stop");
  barMic_ = FindElement<SSliderBar>(L"bar_mic");
  barSpeak_ = FindElement<SSliderBar>(L"bar_speak");
  btnMic_ = FindElement<SButton>(L"btn_mic");
  btnSpeak_ = FindElement<SButton>(L"btn_speak");
  tabDevInfo_ = FindElement<STabCtrl>(L"tab_devInfo");

  // The parts hear the window's commands, timers and private messages.
  if (partCaption_) AddListener(partCaption_);
  if (partBottom_) AddListener(partBottom_);
  auto* captionPart = dynamic_cast<SCtrlPart*>(partCaption_);
  caption_ = std::make_unique<SPartCaption>(this, captionPart);
  InstallPartHandler(captionPart, *caption_);
  auto* bottomPart = dynamic_cast<SCtrlPart*>(partBottom_);
  bottom_ = std::make_unique<SPartBottom>(this, bottomPart);
  InstallPartHandler(bottomPart, *bottom_);

  if (waveMic_)
    for (int slot = 0; slot < 8; ++slot) waveMic_->SetChannelBrush(slot, kMicBrush);

  outputPart_.ReloadLists();
}

void SViewMain::RefreshRecordState(COutputRecorder& recorder, CFileMoreSetting& more) {
  const SStringW startHint = HotKeyHint(more.hotkeys, kHotKeyStartEnd);
  const SStringW pauseHint = HotKeyHint(more.hotkeys, kHotKeyPaused);
  const SStringW stopText = StopText(startHint);
  if (txtEnd_) txtEnd_->SetText(stopText);
  SetAttr(btnStop_, L"tip", stopText);

  const uint32_t state = recorder.GetState();
  const bool recording = (state & kRecorderRecording) != 0;
  const bool paused = (state & kRecorderPaused) != 0;
  const SStringW recordText = RecordText(recording, paused, startHint, pauseHint);
  if (btnStart_) btnStart_->SetEnabled(TRUE, TRUE);
  SetAttr(btnStart_, L"skin", recording && !paused ? L"md_btn_recordPause" : L"md_btn_recordStart");
  SetAttr(btnStart_, L"tip", recordText);
  if (txtState_) txtState_->SetText(recordText);
  if (btnStop_) btnStop_->SetEnabled(recording ? TRUE : FALSE, TRUE);

  const CArgOutput settings = recorder.settings;
  if (describe_)
    describe_->SetText(FormatDescription(settings.output_channel, settings.output_format,
                                         GetFormatById(settings.output_format).label, settings.output_samplerate,
                                         settings.output_quality));
  RefreshElapsedTime(recorder);
  ApplyOutputArg(recorder);
  if (auto* flow = dynamic_cast<SDlgFlow*>(flow_)) flow->UpdateState(recorder.state.load());
}

void SViewMain::RefreshElapsedTime(COutputRecorder& recorder) {
  SStringW text;
  if (!FormatElapsedTime(recorder.GetElapsedMs(), text)) return;
  // Idle, the time stands still: the same text is not laid out and painted
  // again every second in both windows.
  if (txtTime_ && txtTime_->GetText(true) != text) txtTime_->SetText(text);
  if (auto* flow = dynamic_cast<SDlgFlow*>(flow_)) flow->SetTimeText(text);
}

void SViewMain::MonitorDevice(SCtrlAudio* wave, bool loopback, const std::wstring& name, const std::wstring& id) {
  if (!wave) return;
  CAudioRecoder& monitor = wave->Monitor();
  const bool monitoring = wave->IsMonitoring();
  if (monitoring && monitor.GetName() == name && monitor.GetId() == id) return;
  monitor.SetLoopback(loopback ? 1 : 0);
  monitor.SetName(name);
  monitor.SetId(id);
  if (monitoring)
    monitor.Restart();
  else
    wave->StartMonitor();
}

void SViewMain::ApplyOutputArg(COutputRecorder& recorder) {
  const CArgOutput settings = recorder.settings;
  const uint32_t state = recorder.GetState();
  const bool recording = (state & kRecorderRecording) != 0;
  const int mode = settings.output_device;
  WaveRowLayout rows{};
  if (recording && WaveRowsForMode(mode, rows)) {
    // The order of the changes keeps the visible row's size from jumping.
    if (mode == 1) {
      SetAttr(rowMic_, L"size", rows.micSize);
      SetAttr(rowMic_, L"weight", rows.micWeight);
      SetAttr(rowSpeaker_, L"size", rows.speakerSize);
      SetAttr(rowSpeaker_, L"weight", rows.speakerWeight);
    } else {
      SetAttr(rowSpeaker_, L"size", rows.speakerSize);
      SetAttr(rowSpeaker_, L"weight", rows.speakerWeight);
      SetAttr(rowMic_, L"size", rows.micSize);
      SetAttr(rowMic_, L"weight", rows.micWeight);
    }
    SetAttr(rowLine_, L"size", rows.lineSize);
  }
  if (tabDevInfo_) tabDevInfo_->SetCurSel(recording ? 1 : 0);
  if (recording) {
    if (mode == 1 || mode == 2)
      MonitorDevice(waveSpeaker_, true, settings.output_speaker_name, settings.output_speaker_id);
    if (mode == 0 || mode == 2) MonitorDevice(waveMic_, false, settings.output_mic_name, settings.output_mic_id);
    CServerAudioDev* server = GetServerAudioDev();
    if (errorSpeaker_ && waveSpeaker_)
      errorSpeaker_->SetVisible(
          !server->IsDeviceAvailable(waveSpeaker_->Monitor().GetName(), waveSpeaker_->Monitor().GetId()), TRUE);
    if (errorMic_ && waveMic_)
      errorMic_->SetVisible(!server->IsDeviceAvailable(waveMic_->Monitor().GetName(), waveMic_->Monitor().GetId()),
                            TRUE);
  } else {
    if (waveSpeaker_) waveSpeaker_->StopMonitor();
    if (waveMic_) waveMic_->StopMonitor();
  }
  const bool paused = (state & kRecorderPaused) != 0;
  if (waveSpeaker_) waveSpeaker_->SetHold(paused);
  if (waveMic_) waveMic_->SetHold(paused);
}

void SViewMain::ShowOutputFolder(const SStringW& folder) {
  if (editPath_) editPath_->SetText(folder);
}

void SViewMain::RefreshVolumeState(CArgOutput& settings) {
  outputPart_.SelectCurrent();
  if (editPath_) editPath_->SetText(settings.output_dir.c_str());
  const int mic = VolumeToSlider(settings.output_mic_volume);
  const int speak = VolumeToSlider(settings.output_speaker_volume);
  if (barMic_) barMic_->SetValue(mic);
  if (barSpeak_) barSpeak_->SetValue(speak);
  SetAttr(btnMic_, L"skin", MicSkinFor(mic));
  SetAttr(btnSpeak_, L"skin", SpeakerSkinFor(speak));
}

void SViewMain::RegisterHotKeys(std::map<int32_t, CHotKeyItem>& hotkeys, bool reg) {
  for (const auto& [key, item] : hotkeys) {
    if (reg)
      RegisterHotKey(GetHwnd(), item.id, item.mod, item.vk);
    else
      UnregisterHotKey(GetHwnd(), item.id);
  }
}

void SViewMain::ShowAndActivate() {
  if (ownedFileList_ && fileList_ == ownedFileList_.get()) {
    ownedFileList_->ShowAndActivate();
    return;
  }
  if (!fileList_ || !IsWindow(fileList_->GetHwnd())) return;
  ShowWindow(fileList_->GetHwnd(), SW_SHOW);
}

void SViewMain::CreateFileListWindow() {
  auto list = std::make_unique<SDlgFilelist>();
  HWND hwnd = list->Create(nullptr, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, 0);
  if (!hwnd) return;
  SendMessageW(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(hwnd), 0);
  ShowWindow(hwnd, SW_HIDE);
  fileList_ = list.get();
  ownedFileList_ = std::move(list);
}

void SViewMain::ShowFloatingWindow(bool show) {
  if (flow_ && IsWindow(flow_->GetHwnd())) ShowWindow(flow_->GetHwnd(), show ? SW_SHOW : SW_HIDE);
}

void SViewMain::DestroyChildWindows() {
  if (fileList_ && IsWindow(fileList_->GetHwnd())) fileList_->DestroyHostWindow();
  if (flow_ && IsWindow(flow_->GetHwnd())) flow_->DestroyHostWindow();
  // A refresh after this (a timer still due) must not reach a window that
  // is gone.
  flow_ = nullptr;
}
