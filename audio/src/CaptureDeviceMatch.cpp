#include "audio/CaptureDeviceMatch.h"

#include "base/CodePage.h"

const wchar_t* const kDeviceInDefault = L"__device_in_default";
const wchar_t* const kDeviceOutDefault = L"__device_out_default";

bool IsDefaultPlaceholder(const std::wstring& name) {
    return name == kDeviceInDefault || name == kDeviceOutDefault;
}

std::size_t HasLoopbackMark(const std::wstring& text) { return text.find(L"loopback"); }

int FindCaptureDevice(const capture_host::DeviceList& list, std::wstring& name, std::wstring& id,
                      int selector) {
    int index = -1;
    int fallback = name == kDeviceInDefault    ? list.defaultInputDevice
                   : name == kDeviceOutDefault ? list.defaultOutputDevice
                                               : -1;
    if (fallback >= 0 && fallback < static_cast<int>(list.devices.size())) {
        index = fallback;
        name = Utf8ToWStringRet(list.devices[fallback].name);
        id = Utf8ToWStringRet(list.devices[fallback].id);
    }
    for (std::size_t i = 0; i < list.devices.size(); ++i) {
        const capture_host::DeviceInfo& d = list.devices[i];
        if (d.maxInputChannels <= 0 || d.name.empty()) continue;
        std::wstring deviceName = Utf8ToWStringRet(d.name);
        std::wstring deviceId = Utf8ToWStringRet(d.id);
        // The host marks twins itself: a microphone whose name happens to
        // contain "loopback" (ALSA's loopback cards do) is still a microphone.
        bool selectorMatches = (selector == 1 && d.loopback) || (selector == 0 && !d.loopback);
        if (deviceName.find(name) != std::wstring::npos && deviceId == id && selectorMatches) {
            index = static_cast<int>(i);
            break;
        }
    }
    return index;
}
