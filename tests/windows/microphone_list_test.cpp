// The settings dialog's microphone box: which items it holds and which one
// is selected for the stored microphone.
#include <gtest/gtest.h>

#include "windows/MicrophoneList.h"

namespace {

const std::vector<MicDeviceFacts> kDevices = {
    {L"microphone", L"src.mic", false},
    {L"speakers", L"sink.speakers.monitor", true},
    {L"USB Headset", L"usb.1", false},
    {L"USB Headset", L"usb.2", false},
};

std::vector<std::wstring> Texts(const MicList& l) {
  std::vector<std::wstring> t;
  for (const MicItem& i : l.items) t.push_back(i.text);
  return t;
}

TEST(MicrophoneList, DefaultDevicesAndLoopbackTwins) {
  const MicList l = BuildMicrophoneList(kDevices, kDefaultMicName, L"");
  EXPECT_EQ(Texts(l), (std::vector<std::wstring>{L"系统默认", L"microphone", L"USB Headset", L"USB Headset"}));
  ASSERT_EQ(l.items.size(), 4u);
  EXPECT_EQ(l.items[0].data, kMicItemDefault);
  // Item data is the index in the device list, the skipped twin counted.
  EXPECT_EQ(l.items[1].data, 0);
  EXPECT_EQ(l.items[2].data, 2);
  EXPECT_EQ(l.items[3].data, 3);
  EXPECT_EQ(l.selected, 0);
  // Stored default wins even over a device of that very name.
  std::vector<MicDeviceFacts> named = kDevices;
  named.push_back({kDefaultMicName, L"", false});
  EXPECT_EQ(BuildMicrophoneList(named, kDefaultMicName, L"").selected, 0);
}

TEST(MicrophoneList, SameNameTwoIdsSelectsOnlyTheStoredId) {
  EXPECT_EQ(BuildMicrophoneList(kDevices, L"USB Headset", L"usb.1").selected, 2);
  EXPECT_EQ(BuildMicrophoneList(kDevices, L"USB Headset", L"usb.2").selected, 3);
  EXPECT_EQ(BuildMicrophoneList(kDevices, L"microphone", L"src.mic").selected, 1);
}

TEST(MicrophoneList, AnAbsentStoredDeviceIsNamedAndSelectedLast) {
  for (const auto& [name, id] : std::vector<std::pair<std::wstring, std::wstring>>{
           {L"Studio Mic", L"studio.1"}, {L"USB Headset", L"usb.9"}, {L"speakers", L"sink.speakers.monitor"}}) {
    const MicList l = BuildMicrophoneList(kDevices, name, id);
    ASSERT_EQ(l.items.size(), 5u);
    EXPECT_EQ(l.items.back().text, L"不存在的设备：" + name);
    EXPECT_EQ(l.items.back().data, kMicItemAbsent);
    EXPECT_EQ(l.selected, 4);
  }
  // No devices at all: the default and the absent entry.
  const MicList none = BuildMicrophoneList({}, L"Studio Mic", L"studio.1");
  EXPECT_EQ(Texts(none), (std::vector<std::wstring>{L"系统默认", L"不存在的设备：Studio Mic"}));
  EXPECT_EQ(none.selected, 1);
}

}  // namespace
