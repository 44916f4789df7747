#include "logic/FileMoreSetting.h"

#include "SettingsFileLog.h"
#include "logic/DataFiles.h"

namespace {

const wchar_t* const kKeyNames[4] = {L"hotkey_openmain_key", L"hotkey_startend_key", L"hotkey_paused_key",
                                     L"hotkey_showflow_key"};
const wchar_t* const kModNames[4] = {L"hotkey_openmain_mod", L"hotkey_startend_mod", L"hotkey_paused_mod",
                                     L"hotkey_showflow_mod"};
const int kVkF1 = 0x70;
const int kModControl = 2;

}  // namespace

CFileMoreSetting::CFileMoreSetting() {
  for (int id = 0; id < 4; ++id)
    hotkeys[id] = {id, static_cast<uint16_t>(kVkF1 + id), static_cast<uint16_t>(kModControl)};
  std::wstring path = GetMoreIniPath();
  if (!path.empty()) {
    EnsureDataFolder();
    logic::SetAsideDamagedSettings(path);
    SetFile(path.c_str());
    m_bound = true;
    Read();
  }
}

CFileMoreSetting::~CFileMoreSetting() { Write(); }

bool CFileMoreSetting::Read() {
  if (!m_bound) return true;
  BeginBatch();  // one reading of the file for every key
  SetSection(L"Common");
  common_showflow_desktop = ReadBool(L"common_showflow_desktop", common_showflow_desktop > 0) ? 1 : 0;
  common_showflow_recording = ReadBool(L"common_showflow_recording", common_showflow_recording > 0) ? 1 : 0;
  common_show_closetip = ReadBool(L"common_show_closetip", common_show_closetip > 0) ? 1 : 0;
  common_close_hide = ReadBool(L"common_close_hide", common_close_hide > 0) ? 1 : 0;
  common_auto_open = ReadBool(L"common_auto_open", common_auto_open > 0) ? 1 : 0;
  SetSection(L"HotKey");
  for (int id = 0; id < 4; ++id) {
    CHotKeyItem& item = hotkeys[id];
    item.id = id;
    // The fallbacks are the defaults, not what the entry holds now.
    item.vk = static_cast<uint16_t>(ReadInt(kKeyNames[id], kVkF1 + id) & 0xFFFF);
    item.mod = static_cast<uint16_t>(ReadInt(kModNames[id], kModControl) & 0xFFFF);
  }
  EndBatch();
  return true;
}

bool CFileMoreSetting::Write() {
  if (!m_bound) return false;
  BeginBatch();  // both sections in one replace of the file
  bool ok = true;
  SetSection(L"Common");
  ok &= WriteInt(L"common_showflow_desktop", common_showflow_desktop);
  ok &= WriteInt(L"common_showflow_recording", common_showflow_recording);
  ok &= WriteInt(L"common_show_closetip", common_show_closetip);
  ok &= WriteInt(L"common_close_hide", common_close_hide);
  ok &= WriteInt(L"common_auto_open", common_auto_open);
  SetSection(L"HotKey");
  for (int id = 0; id < 4; ++id) {
    const CHotKeyItem& item = hotkeys[id];
    ok &= WriteInt(kKeyNames[id], item.vk);
    ok &= WriteInt(kModNames[id], item.mod);
  }
  return logic::FinishSettingsSave(*this, ok);
}
