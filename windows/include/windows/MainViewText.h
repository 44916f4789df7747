// What the main window shows, worked out from numbers alone: the elapsed
// time, the description line of the recording format, the waveform rows'
// sizes per source mode, the volume sliders and mute skins, the folder a
// chosen folder turns into, and what a close request does.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "core/SString.h"
#include "logic/FileMoreSetting.h"

// "%02d:%02d:%02d" of whole hours, minutes and seconds (100 hours and more
// show three digits of hours). False, `out` untouched, for a negative time.
bool FormatElapsedTime(int64_t elapsedMs, SStringW& out);

// "录制声道：…     输出格式：…      采样率：…Hz" and, by format, nothing more
// (wav), "     质量参数：%0.2f" (ogg, flac) or "     比特率：%0.2fkbps".
SStringW FormatDescription(int channels, int formatId, const SStringW& label, int sampleRate, double quality);

// The hint of hot key `id`: its modifiers and key ("Ctrl+F2"), "无" for an
// entry without key and modifiers or no entry at all.
SStringW HotKeyHint(const std::map<int32_t, CHotKeyItem>& hotkeys, int id);

// The record and stop texts: a verb, a line break and the hot key's hint.
SStringW RecordText(bool recording, bool paused, const SStringW& startStopHint, const SStringW& pauseHint);
SStringW StopText(const SStringW& startStopHint);

// The "size" and "weight" of the two waveform rows and the "size" of the
// separator for a source mode; false for a mode other than 0 to 2.
struct WaveRowLayout {
  const wchar_t* speakerSize;
  const wchar_t* speakerWeight;
  const wchar_t* micSize;
  const wchar_t* micWeight;
  const wchar_t* lineSize;
};
bool WaveRowsForMode(int mode, WaveRowLayout& out);

// A volume as the slider shows it (truncated hundredths) and the mute
// button's skin for it.
int VolumeToSlider(double volume);
const wchar_t* MicSkinFor(int sliderValue);
const wchar_t* SpeakerSkinFor(int sliderValue);
// A slider position as a volume (single precision, as the recorder takes it).
float SliderToVolume(int position);
// The volume after the mute button: 0 when it was on, else 1.0.
double ToggleMute(double volume);

// The output folder of a chosen folder: the program's own sub-folder in
// it, a doubled separator made single (so a root gives "/Velmora…").
SStringW OutputFolderForChoice(const SStringW& chosen);

// The close prompt's answer turned into what happens: only its close
// button (8) cancels; "确定" (1), Alt+F4 (2) and a recall (100) take the
// choice as it stands, updating the two flags from the prompt's boxes.
enum class CloseAction { kCancel, kHide, kExit };
inline constexpr int kClosePromptCancelled = 8;
CloseAction DecideClose(int promptResult, bool exitChosen, bool remember, int32_t& showCloseTip, int32_t& closeHide);
// Without a prompt, the setting alone decides.
inline CloseAction CloseBySetting(int32_t closeHide) { return closeHide ? CloseAction::kHide : CloseAction::kExit; }

// The tip shown when a recording ends in error: its title, its lines (the
// second carries the recorder's own text), its confirm and cancel texts.
struct RecordingErrorTip {
  SStringW title;
  std::vector<SStringW> lines;
  SStringW okText;
  SStringW noText;
};
RecordingErrorTip MakeRecordingErrorTip(const SStringW& errorText);
