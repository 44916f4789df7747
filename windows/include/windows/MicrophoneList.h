// The items of the settings dialog's microphone box: the system's default
// first, then every capture device that is not a loopback twin, then, when
// the stored microphone is not among them, an entry naming it as absent.
#pragma once

#include <string>
#include <vector>

// The name stored for "the system's default microphone".
inline constexpr const wchar_t* kDefaultMicName = L"__device_in_default";
// Item data: the default entry, an absent stored device; a device's is its
// index in the device list.
inline constexpr int kMicItemDefault = -1;
inline constexpr int kMicItemAbsent = -2;

struct MicDeviceFacts {
  std::wstring name;
  std::wstring id;
  bool loopback = false;
};

struct MicItem {
  std::wstring text;
  int data = kMicItemDefault;
};

struct MicList {
  std::vector<MicItem> items;
  int selected = 0;
};

MicList BuildMicrophoneList(const std::vector<MicDeviceFacts>& devices, const std::wstring& storedName,
                            const std::wstring& storedId);
