#include "windows/MicrophoneList.h"

MicList BuildMicrophoneList(const std::vector<MicDeviceFacts>& devices, const std::wstring& storedName,
                            const std::wstring& storedId) {
  MicList list;
  list.items.push_back({L"系统默认", kMicItemDefault});
  int match = -1;
  for (size_t i = 0; i < devices.size(); ++i) {
    const MicDeviceFacts& device = devices[i];
    if (device.loopback) continue;
    list.items.push_back({device.name, static_cast<int>(i)});
    // A later device of the same name and id wins, as the stored one can
    // only be one of them.
    if (device.name == storedName && device.id == storedId) match = static_cast<int>(list.items.size()) - 1;
  }
  if (storedName == kDefaultMicName) {
    list.selected = 0;
  } else if (match >= 0) {
    list.selected = match;
  } else {
    list.items.push_back({L"不存在的设备：" + storedName, kMicItemAbsent});
    list.selected = static_cast<int>(list.items.size()) - 1;
  }
  return list;
}
