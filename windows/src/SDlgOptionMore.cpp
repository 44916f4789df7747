#include "windows/SDlgOptionMore.h"

#include "audio/ServerAudioDev.h"
#include "event/SWndEvents.h"
#include "logic/BllMain.h"
#include "online/UsageEvents.h"
#include "richedit/richedit.h"
#include "windows/MicrophoneList.h"
#include "windows/SplitMinutes.h"

using namespace ORIEL;

namespace {
const wchar_t* const kPageNames[3] = {L"btn_common", L"btn_hotkey", L"btn_id3"};
const wchar_t* const kHotKeyNames[4] = {L"hk_startMain", L"hk_startRecord", L"hk_pauseRecord", L"hk_showFlow"};

int IndexOf(const wchar_t* const* names, int count, const SStringW& name) {
  for (int i = 0; i < count; ++i)
    if (name == names[i]) return i;
  return -1;
}

// The ID3 field an edit stands for, or null.
std::wstring* Id3Field(CArgOutput& out, const SStringW& name) {
  if (name == L"edit_title") return &out.output_id3_title;
  if (name == L"edit_artist") return &out.output_id3_artist;
  if (name == L"edit_genre") return &out.output_id3_genre;
  if (name == L"edit_album") return &out.output_id3_album;
  if (name == L"edit_year") return &out.output_id3_date;
  return nullptr;
}
}  // namespace

SDlgOptionMore::~SDlgOptionMore() {
  if (listening_) GetServerAudioDev()->RemoveListener(GetHwnd());
}

void SDlgOptionMore::OnInit() {
  initialised_ = false;
  tab_ = FindChildByName2<STabCtrl>(L"tab_main");
  for (int i = 0; i < 3; ++i) pageButtons_[i] = FindDescendantByName(kPageNames[i]);
  duration_ = FindChildByName2<SEdit>(L"edit_duration");
  mic_ = FindChildByName2<SComboBox>(L"cbx_mic");
  split_ = FindChildByName2<SCheckBox>(L"check_split");
  flowDesktop_ = FindChildByName2<SCheckBox>(L"check_showFlowDesktop");
  flowRecording_ = FindChildByName2<SCheckBox>(L"check_showFlowRecording");
  autoOpen_ = FindChildByName2<SCheckBox>(L"check_autoOpen");
  for (int i = 0; i < 4; ++i) hotkeys_[i] = FindChildByName2<SHotKeyCtrl>(kHotKeyNames[i]);

  OnPage(kPageNames[0]);
  CBllMain& bll = CBllMain::Instance();
  CArgOutput& out = bll.GetOutput();
  CFileMoreSetting& more = bll.GetMoreSetting();
  if (duration_) duration_->SetText(FormatSplitMinutes(out.output_split_time).c_str());
  if (split_) split_->SetChecked(out.output_open_split);
  if (autoOpen_) autoOpen_->SetChecked(more.common_auto_open != 0);
  if (flowDesktop_) flowDesktop_->SetChecked(more.common_showflow_desktop != 0);
  if (flowRecording_) flowRecording_->SetChecked(more.common_showflow_recording != 0);
  FillMicrophones();
  for (int i = 0; i < 4; ++i) {
    auto key = more.hotkeys.find(i);
    if (hotkeys_[i] && key != more.hotkeys.end()) hotkeys_[i]->SetHotKey(key->second.vk, key->second.mod);
  }
  for (const wchar_t* name : {L"edit_title", L"edit_artist", L"edit_album", L"edit_genre", L"edit_year"})
    if (auto* edit = FindChildByName2<SEdit>(name)) edit->SetText(Id3Field(out, name)->c_str());
  initialised_ = true;
}

void SDlgOptionMore::FillMicrophones() {
  CServerAudioDev* server = GetServerAudioDev();
  server->AddListener(GetHwnd());
  listening_ = true;
  devices_ = server->GetDevices();
  if (!mic_) return;
  std::vector<MicDeviceFacts> facts;
  for (const auto& device : devices_) facts.push_back({device->GetName(), device->GetId(), device->GetLoopback() != 0});
  const CArgOutput& out = CBllMain::Instance().GetOutput();
  const MicList list = BuildMicrophoneList(facts, out.output_mic_name, out.output_mic_id);
  SEventSet* events = mic_->GetEventSet();
  ++events->muted;
  mic_->CloseUp();
  mic_->SetCurSel(-1);
  mic_->ResetContent();
  for (const MicItem& item : list.items) mic_->InsertItem(-1, item.text.c_str(), -1, item.data);
  mic_->SetCurSel(list.selected);
  mic_->SetTipText(mic_->GetText());
  --events->muted;
}

void SDlgOptionMore::OnMicrophoneChosen() {
  if (!mic_) return;
  const int sel = mic_->GetCurSel();
  const LPARAM data = sel >= 0 ? mic_->GetItemData(sel) : kMicItemAbsent;
  CArgOutput& out = CBllMain::Instance().GetOutput();
  if (data == kMicItemDefault) {
    out.output_mic_id.clear();
    out.output_mic_name = kDefaultMicName;
  } else if (data >= 0 && static_cast<size_t>(data) < devices_.size()) {
    out.output_mic_id = devices_[static_cast<size_t>(data)]->GetId();
    out.output_mic_name = devices_[static_cast<size_t>(data)]->GetName();
  }
  SEventSet* events = mic_->GetEventSet();
  ++events->muted;
  for (int i = mic_->GetCount() - 1; i >= 0; --i)
    if (mic_->GetItemData(i) == kMicItemAbsent) mic_->DeleteString(i);
  mic_->SetTipText(mic_->GetText());
  --events->muted;
}

void SDlgOptionMore::OnPage(const SStringW& name) {
  const int page = IndexOf(kPageNames, 3, name);
  if (page < 0) return;
  for (SWindow* button : pageButtons_)
    if (button) button->SetChecked(FALSE);
  if (pageButtons_[page]) pageButtons_[page]->SetChecked(TRUE);
  if (tab_) tab_->SetCurSel(page);
}

void SDlgOptionMore::OnCheck(const SStringW& name) {
  CBllMain& bll = CBllMain::Instance();
  CFileMoreSetting& more = bll.GetMoreSetting();
  if (name == L"check_split" && split_) {
    bll.GetOutput().output_open_split = split_->IsChecked() != FALSE;
  } else if (name == L"check_autoOpen" && autoOpen_) {
    more.common_auto_open = autoOpen_->IsChecked() ? 1 : 0;
    SetAutoStart(more.common_auto_open != 0);
  } else if (name == L"check_showFlowDesktop" && flowDesktop_) {
    more.common_showflow_desktop = flowDesktop_->IsChecked() ? 1 : 0;
    bll.ShowFloatingWindow(more.common_showflow_desktop != 0);
  } else if (name == L"check_showFlowRecording" && flowRecording_) {
    more.common_showflow_recording = flowRecording_->IsChecked() ? 1 : 0;
  }
}

void SDlgOptionMore::OnHotKey(const SStringW& name) {
  const int index = IndexOf(kHotKeyNames, 4, name);
  if (index < 0 || !hotkeys_[index]) return;
  CBllMain& bll = CBllMain::Instance();
  WORD key = 0, modifiers = 0;
  hotkeys_[index]->GetHotKey(key, modifiers);
  CHotKeyItem& item = bll.GetMoreSetting().hotkeys[index];
  item.id = index;
  item.vk = key;
  item.mod = modifiers;
  bll.ReRegisterHotKeys();
}

void SDlgOptionMore::OnEditChanged(const SStringW& name) {
  CArgOutput& out = CBllMain::Instance().GetOutput();
  if (name == L"edit_duration") {
    if (!duration_) return;
    const SplitMinutesInput input = ParseSplitMinutes(duration_->GetText().c_str());
    if (input.milliseconds) out.output_split_time = *input.milliseconds;
    if (input.replacement) duration_->SetText(input.replacement->c_str());
    return;
  }
  if (std::wstring* field = Id3Field(out, name)) {
    if (auto* edit = FindChildByName2<SEdit>(name)) *field = edit->GetText().c_str();
  }
}

void SDlgOptionMore::Leave() {
  if (listening_) GetServerAudioDev()->RemoveListener(GetHwnd());
  listening_ = false;
  CBllMain& bll = CBllMain::Instance();
  ReportMoreOptionEvent(bll.GetMoreSetting(), bll.GetOutput());
}

void SDlgOptionMore::OnOK() {
  if (listening_) GetServerAudioDev()->RemoveListener(GetHwnd());
  listening_ = false;
  EndDialog(1);
}

BOOL SDlgOptionMore::OnHostEvent(EventArgs* e) {
  if (!e) return FALSE;
  const SStringW& name = e->nameFrom;
  const int id = e->GetId();
  if (id == EventCmd::EventID) {
    if (name == L"btn_close") {
      Leave();
      EndDialog(8);
    } else if (IndexOf(kPageNames, 3, name) >= 0) {
      OnPage(name);
    } else if (name == L"check_split" || name == L"check_autoOpen" || name == L"check_showFlowDesktop" ||
               name == L"check_showFlowRecording") {
      OnCheck(name);
    } else {
      return SDlgBase::OnHostEvent(e);
    }
  } else if (id == EventCBSelChange::EventID && name == L"cbx_mic") {
    OnMicrophoneChosen();
  } else if (id == EventSetHotKey::EventID && IndexOf(kHotKeyNames, 4, name) >= 0) {
    OnHotKey(name);
  } else if (id == EventRENotify::EventID &&
             (name == L"edit_duration" || Id3Field(CBllMain::Instance().GetOutput(), name))) {
    if (initialised_ && static_cast<EventRENotify*>(e)->iNotify == EN_CHANGE) OnEditChanged(name);
  } else {
    return SDlgBase::OnHostEvent(e);
  }
  e->handled++;
  return TRUE;
}

BOOL SDlgOptionMore::HandleWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                                         DWORD mapId) {
  if (mapId == 0) {
    if (msg == WM_INITDIALOG) {
      OnInit();
    } else if (msg == UM_DEVICES_CHANGED) {
      FillMicrophones();
      result = 0;
      return TRUE;
    } else if (msg == WM_CLOSE) {
      Leave();
    }
  }
  return SDlgBase::HandleWindowMessage(hwnd, msg, wParam, lParam, result, mapId);
}
