#include "online/UsageEvents.h"

#include <json/reader.h>
#include <json/writer.h>

#include <atomic>
#include <cstdarg>
#include <cwchar>
#include <memory>

#include "audio/AudioFormatTable.h"
#include "base/CodePage.h"
#include "core/SAccelerator.h"
#include "logic/FileMoreSetting.h"

namespace {
std::atomic<IUsageEventSink*> g_sink{nullptr};

// The sink when it reports, else null: builders stop before building.
IUsageEventSink* EnabledSink() {
  IUsageEventSink* sink = g_sink.load();
  return sink && sink->IsEnabled() ? sink : nullptr;
}

std::wstring Printf(const wchar_t* format, ...) {
  wchar_t buffer[64];
  va_list args;
  va_start(args, format);
  const int n = std::vswprintf(buffer, 64, format, args);
  va_end(args);
  return n < 0 ? std::wstring() : std::wstring(buffer, static_cast<size_t>(n));
}

std::wstring Flag(bool value) { return value ? L"1" : L"0"; }

void SendTo(IUsageEventSink* sink, const std::wstring& eventId, CCodeData& record) {
  std::wstring json;
  if (!Utf8ToWString(record.ToString(), json)) json.clear();
  sink->Send(eventId.c_str(), json.c_str());
}
}  // namespace

void SetUsageEventSink(IUsageEventSink* sink) { g_sink.store(sink); }
IUsageEventSink* GetUsageEventSink() { return g_sink.load(); }

void SendUsageEvent(const std::wstring& eventId, CCodeData& record) {
  if (IUsageEventSink* sink = g_sink.load()) SendTo(sink, eventId, record);
}

std::wstring GetRecordSourceText(int sourceKind) {
  switch (sourceKind) {
    case 0:
      return L"麦克风设备";
    case 1:
      return L"系统声音设备";
    case 2:
      return L"系统声音和麦克风设备";
    default:
      return std::wstring();
  }
}

void ReportStopRecordEvent(CArgOutput output, int resultCode) {
  if (!EnabledSink()) return;
  CCodeData record;
  record.SetWindow(L"");
  record.SetButton(L"<停止>按钮");
  record.SetType(L"click");
  record.SetExtString(L"output_device", GetRecordSourceText(output.output_device));
  record.SetExtString(L"output_samplerate", Printf(L"%d", output.output_samplerate));
  record.SetExtString(L"output_channel", Printf(L"%d", output.output_channel));
  const CAudioFormat format = GetFormatById(output.output_format);
  record.SetExtString(L"output_format", format.id == kUnknownFormatId ? std::wstring() : format.label.c_str());
  record.SetExtString(L"output_quality", Printf(L"%f", output.output_quality));
  record.SetExtString(L"output_result", resultCode == 0 || resultCode == -1 ? L"成功" : L"失败");
  SendUsageEvent(L"1", record);
}

void ReportMoreOptionEvent(const CFileMoreSetting& more, const CArgOutput& output) {
  if (!EnabledSink()) return;
  CCodeData record;
  record.SetWindow(L"MoreOptionWindow");
  record.SetButton(L"<关闭>按钮");
  record.SetType(L"click");
  CjJsonCpp& ext = record.Ext();
  ext.SetString(L"setting_microphone", output.output_mic_name);
  ext.SetString(L"setting_split", Flag(output.output_open_split));
  ext.SetString(L"setting_flow_desktop", Flag(more.common_showflow_desktop != 0));
  ext.SetString(L"setting_recording_desktop", Flag(more.common_showflow_recording != 0));
  ext.SetString(L"setting_auto_open", Flag(more.common_auto_open != 0));
  // A hot key missing from the map reads as one without key or modifiers.
  auto hotkeyText = [&more](int id) {
    auto it = more.hotkeys.find(id);
    const DWORD packed = it == more.hotkeys.end() ? 0 : (static_cast<DWORD>(it->second.mod) << 16) | it->second.vk;
    return std::wstring(ORIEL::CAccelerator(packed).FormatHotkey().c_str());
  };
  CjJsonCpp hotkeys;
  hotkeys.SetString(L"hotkey_start_stop", hotkeyText(kHotKeyStartEnd));
  hotkeys.SetString(L"hotkey_pause_continue", hotkeyText(kHotKeyPaused));
  hotkeys.SetString(L"hotkey_open_main", hotkeyText(kHotKeyOpenMain));
  hotkeys.SetString(L"hotkey_show_flow", hotkeyText(kHotKeyShowFlow));
  ext.SetObject(L"setting_hotkey", hotkeys);
  CjJsonCpp id3;
  id3.SetString(L"id3_artist", output.output_id3_artist);
  id3.SetString(L"id3_album", output.output_id3_album);
  id3.SetString(L"id3_date", output.output_id3_date);
  id3.SetString(L"id3_style", output.output_id3_genre);
  id3.SetString(L"id3_title", output.output_id3_title);
  ext.SetObject(L"setting_id3", id3);
  SendUsageEvent(L"1", record);
}

void ReportTaskWindowEvent(bool timerTask, bool rename) {
  if (!EnabledSink()) return;
  CCodeData record;
  record.SetWindow(rename ? L"RenameFileWindow" : L"TimerTaskWindow");
  record.SetButton(rename ? L"<重命名>icon" : L"<创建任务>按扭");
  record.SetType(L"click");
  record.SetExtString(L"operate_rename", Flag(rename));
  if (timerTask) record.SetExtString(L"operate_timer_task", L"1");
  SendUsageEvent(L"1", record);
}

void ForwardLogRecord(const std::wstring& json, bool fillWindow) {
  IUsageEventSink* sink = g_sink.load();
  if (!sink) return;
  std::string utf8;
  if (!WStringToUtf8(json, utf8)) return;
  Json::CharReaderBuilder readerBuilder;
  readerBuilder["collectComments"] = false;
  std::unique_ptr<Json::CharReader> reader(readerBuilder.newCharReader());
  Json::Value root;
  std::string errors;
  if (!reader->parse(utf8.data(), utf8.data() + utf8.size(), &root, &errors) || !root.isObject()) return;
  const Json::Value& type = root["log_type"];
  const std::string eventId = type.isString() ? type.asString() : std::string();
  Json::Value content = root["log_content"];
  if (fillWindow && content.isObject()) {
    const Json::Value& window = content["window"];
    if (!window.isString() || window.asString().empty()) content["window"] = "MainWnd";
  }
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  writer["emitUTF8"] = false;
  std::wstring wideId, wideContent;
  if (!Utf8ToWString(eventId, wideId)) wideId.clear();
  if (!Utf8ToWString(Json::writeString(writer, content), wideContent)) wideContent.clear();
  sink->Send(wideId.c_str(), wideContent.c_str());
}
