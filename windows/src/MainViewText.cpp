#include "windows/MainViewText.h"

#include "core/SAccelerator.h"

SStringW HotKeyHint(const std::map<int32_t, CHotKeyItem>& hotkeys, int id) {
  auto it = hotkeys.find(id);
  if (it == hotkeys.end()) return ORIEL::CAccelerator(0u, false, false, false).FormatHotkey();
  return ORIEL::CAccelerator((static_cast<DWORD>(it->second.mod) << 16) | it->second.vk).FormatHotkey();
}

bool FormatElapsedTime(int64_t elapsedMs, SStringW& out) {
  if (elapsedMs < 0) return false;
  const int64_t s = elapsedMs / 1000;
  const int64_t h = s / 3600;
  const int64_t m = (s - 3600 * h) / 60;
  const int64_t sec = s - 3600 * h - 60 * m;
  out.Format(L"%02d:%02d:%02d", static_cast<int>(h), static_cast<int>(m), static_cast<int>(sec));
  return true;
}

SStringW FormatDescription(int channels, int formatId, const SStringW& label, int sampleRate, double quality) {
  const SStringW channelText = channels == 1 ? L"单声道" : L"双声道";
  SStringW text;
  if (formatId == 1)
    text.Format(L"录制声道：%s     输出格式：%s      采样率：%dHz ", channelText.c_str(), label.c_str(), sampleRate);
  else if (formatId == 2 || formatId == 3)
    text.Format(L"录制声道：%s     输出格式：%s      采样率：%dHz     质量参数：%0.2f", channelText.c_str(), label.c_str(),
                sampleRate, quality);
  else
    text.Format(L"录制声道：%s     输出格式：%s      采样率：%dHz     比特率：%0.2fkbps", channelText.c_str(), label.c_str(),
                sampleRate, quality);
  return text;
}

SStringW RecordText(bool recording, bool paused, const SStringW& startStopHint, const SStringW& pauseHint) {
  SStringW text;
  if (!recording)
    text.Format(L"开始\n%s", startStopHint.c_str());
  else if (paused)
    text.Format(L"继续\n%s", pauseHint.c_str());
  else
    text.Format(L"暂停\n%s", pauseHint.c_str());
  return text;
}

SStringW StopText(const SStringW& startStopHint) {
  SStringW text;
  text.Format(L"停止\n%s", startStopHint.c_str());
  return text;
}

bool WaveRowsForMode(int mode, WaveRowLayout& out) {
  static const WaveRowLayout kRows[] = {
      {L"0,0", L"0", L"-2,138", L"1", L"0,0"},
      {L"-2,138", L"1", L"0,0", L"0", L"0,0"},
      {L"-2,138", L"1", L"-2,138", L"1", L"-2,2"},
  };
  if (mode < 0 || mode > 2) return false;
  out = kRows[mode];
  return true;
}

int VolumeToSlider(double volume) { return static_cast<int>(volume * 100); }
const wchar_t* MicSkinFor(int v) { return v > 0 ? L"md_btn_volume_micNormal" : L"md_btn_volume_micMuted"; }
const wchar_t* SpeakerSkinFor(int v) { return v > 0 ? L"md_btn_volume_speakerNormal" : L"md_btn_volume_speakerMuted"; }
float SliderToVolume(int position) { return static_cast<float>(position) / 100.0f; }
double ToggleMute(double volume) { return volume > 0 ? 0.0 : 1.0; }

SStringW OutputFolderForChoice(const SStringW& chosen) {
  SStringW folder = chosen + L"/Velmora电脑录音软件";
  while (folder.Find(L"//") >= 0) folder.Replace(L"//", L"/");
  return folder;
}

CloseAction DecideClose(int promptResult, bool exitChosen, bool remember, int32_t& showCloseTip, int32_t& closeHide) {
  if (promptResult == kClosePromptCancelled) return CloseAction::kCancel;
  showCloseTip = remember ? 0 : 1;
  closeHide = exitChosen ? 0 : 1;
  return CloseBySetting(closeHide);
}

RecordingErrorTip MakeRecordingErrorTip(const SStringW& errorText) {
  RecordingErrorTip tip;
  tip.title = L"提示";
  tip.lines.push_back(L"录制过程出现异常！");
  // The text goes in as an argument, never as the format itself.
  SStringW detail;
  detail.Format(L"错误详情：%s", errorText.c_str());
  tip.lines.push_back(detail);
  tip.okText = L"确认";
  tip.noText = L"取消";
  return tip;
}
