// Finding the capture device that a device record names.
#pragma once

#include "capture-host/CaptureHost.h"

#include <string>

// Stand for whichever endpoint is the default when the device is opened:
// the default capture endpoint, and the twin of the default render endpoint.
extern const wchar_t* const kDeviceInDefault;   // "__device_in_default"
extern const wchar_t* const kDeviceOutDefault;  // "__device_out_default"

bool IsDefaultPlaceholder(const std::wstring& name);

// Position of "loopback" in the text, or std::wstring::npos.
std::size_t HasLoopbackMark(const std::wstring& text);

// Looks up `name` (a placeholder, or a part of a device's name), `id` (the
// exact endpoint id) and the selector (1: a loopback twin, 0: anything
// else) in `list`. A placeholder is first replaced by the default device's
// name and id. Returns the index in `list`, or -1.
int FindCaptureDevice(const capture_host::DeviceList& list, std::wstring& name, std::wstring& id,
                      int selector);
