#pragma once
// Usage events: one JSON record per reported user action (a recording
// ended, the settings window closed, a timer task made, a recording
// renamed), handed with an event id to the usage-event sink. Nothing is
// built while no sink is installed or the sink is off.

#include <string>

#include "base/JsonBuilder.h"
#include "logic/ArgOutput.h"

class CFileMoreSetting;


// A record: "window", "button", "type" and the details object "ext_data".
class CCodeData : public CjJsonCpp {
 public:
  void SetWindow(const std::wstring& text) { SetString(L"window", text); }
  void SetButton(const std::wstring& text) { SetString(L"button", text); }
  void SetType(const std::wstring& text) { SetString(L"type", text); }
  void SetExtString(const std::wstring& key, const std::wstring& text) { m_ext.SetString(key, text); }
  void SetExtStringArray(const std::wstring& key, const std::vector<std::wstring>& texts) {
    m_ext.SetStringArray(key, texts);
  }
  void SetExtObject(const std::wstring& key, const CjJsonCpp& object) { m_ext.SetObject(key, object); }
  CjJsonCpp& Ext() { return m_ext; }

  // One line, members in key order, every character below U+0020 or from
  // U+0080 up as a lower-case \u escape (surrogate pairs above U+FFFF);
  // "ext_data" is always there, {} when empty.
  std::string ToString() override;

 private:
  CjJsonCpp m_ext;
};

// Where records go; the sink decides whether and how.
struct IUsageEventSink {
  virtual ~IUsageEventSink() = default;
  virtual bool IsEnabled() = 0;
  // Both texts NUL-terminated wide text; the outcome is not reported.
  virtual void Send(const wchar_t* eventId, const wchar_t* json) = 0;
};

// The process's sink; null (the default) reports nothing. The caller keeps
// ownership and uninstalls it before destroying it.
void SetUsageEventSink(IUsageEventSink* sink);
IUsageEventSink* GetUsageEventSink();

// The record's text, as wide text, to the sink.
void SendUsageEvent(const std::wstring& eventId, CCodeData& record);

// The text of a source kind (0 microphone, 1 system sound, 2 both); empty
// for any other.
std::wstring GetRecordSourceText(int sourceKind);

void ReportStopRecordEvent(CArgOutput output, int resultCode);
void ReportMoreOptionEvent(const CFileMoreSetting& more, const CArgOutput& output);
void ReportTaskWindowEvent(bool timerTask, bool rename);
// A prepared log record: its "log_type" is the event id, its "log_content"
// what is sent ("window" filled with "MainWnd" when asked and empty).
void ForwardLogRecord(const std::wstring& json, bool fillWindow);
