// config-more.ini: window behaviour flags (section "Common") and the four
// global hot keys (section "HotKey"). Read when constructed, written when
// destroyed.
#pragma once

#include <cstdint>
#include <map>

#include "base/FileIni.h"

// One global hot key: its id (the hot-key number), the virtual-key code and
// the modifiers as hot-key registration takes them (1 Alt, 2 Ctrl, 4 Shift).
struct CHotKeyItem {
  int32_t id = 0;
  uint16_t vk = 0;
  uint16_t mod = 0;
};

// Hot-key numbers and what the main window does with them.
enum HotKeyId { kHotKeyOpenMain = 0, kHotKeyStartEnd = 1, kHotKeyPaused = 2, kHotKeyShowFlow = 3 };

class CFileMoreSetting : public CFileIni {
 public:
  // Binds config-more.ini (created empty when missing) and reads it.
  CFileMoreSetting();
  virtual ~CFileMoreSetting();

  bool Read();
  // False when there is no file or a key could not be written.
  bool Write();

  // Each 0 or 1.
  int32_t common_showflow_desktop = 1;
  int32_t common_showflow_recording = 1;
  int32_t common_show_closetip = 1;
  int32_t common_close_hide = 0;
  int32_t common_auto_open = 0;
  // Numbers 0 to 3; Ctrl+F1 to Ctrl+F4 by default.
  std::map<int32_t, CHotKeyItem> hotkeys;

 private:
  bool m_bound = false;
};
