#include "DeviceTasks.h"

#include "AudioLog.h"
#include "audio/ServerAudioDev.h"
#include "base/CodePage.h"

using namespace capture_host;

bool CtaskOpenDev::Run() {
    if (device) result = device->Open();
    ReleaseSemaphore(done, 1, nullptr);
    return false;
}

bool CtaskCloseDev::Run() {
    if (device) result = device->Close();
    ReleaseSemaphore(done, 1, nullptr);
    return false;
}

bool CTaskGetdevs::Run() {
    int result = Initialize();
    DeviceList list;
    if (result == NoError) {
        result = ListDevices(list);
        Terminate();
    }
    if (result != NoError) AudioLog("cannot list the capture devices: %s", GetErrorText(result));
    for (const DeviceInfo& info : list.devices) {
        if (info.maxInputChannels <= 0 || info.name.empty()) continue;
        auto device = std::make_shared<CAudioDev>();
        device->SetName(Utf8ToWStringRet(info.name));
        device->SetId(Utf8ToWStringRet(info.id));
        device->SetLoopback(info.loopback ? 1 : 0);
        output->push_back(std::move(device));
    }
    ReleaseSemaphore(done, 1, nullptr);
    return false;
}

bool CtaskRestartAll::Run() {
    GetServerAudioDev()->RestartDefaultDevices();
    return false;
}
