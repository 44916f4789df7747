#include "audio/ServerAudioDev.h"

#include "AudioLog.h"
#include "DeviceTasks.h"
#include "audio/CaptureDeviceMatch.h"
#include "audio/DeviceNotifier.h"
#include "base/CodePage.h"

#include <sstream>

using namespace capture_host;

CServerAudioDev* GetServerAudioDev() {
    // Never destroyed: devices and the endpoint watcher may reach it until
    // the process ends.
    static CServerAudioDev* server = new CServerAudioDev();
    return server;
}

CServerAudioDev::CServerAudioDev() : m_pool(1) { AddDeviceListener(this); }

CServerAudioDev::~CServerAudioDev() { RemoveDeviceListener(this); }

std::wstring CServerAudioDev::TaskName(const wchar_t* kind, std::atomic<unsigned>& counter) {
    // The pool drops a task whose key it already holds, and the caller would
    // then wait for ever: every name is new.
    std::wostringstream name;
    name << kind << ++counter;
    return name.str();
}

void CServerAudioDev::RunAndWait(const wchar_t* kind, std::atomic<unsigned>& counter,
                                 const std::shared_ptr<ITask>& task, HANDLE done) {
    m_pool.AddTask(TaskName(kind, counter), task);
    WaitForSingleObject(done, INFINITE);
    CloseHandle(done);
}

int CServerAudioDev::OpenDevice(CAudioDev* device) {
    auto task = std::make_shared<CtaskOpenDev>();
    task->device = device;
    task->done = CreateSemaphoreW(nullptr, 0, 1, nullptr);
    RunAndWait(L"启动设备", m_openCount, task, task->done);
    return task->result;
}

int CServerAudioDev::CloseDevice(CAudioDev* device) {
    auto task = std::make_shared<CtaskCloseDev>();
    task->device = device;
    task->done = CreateSemaphoreW(nullptr, 0, 1, nullptr);
    RunAndWait(L"关闭设备", m_closeCount, task, task->done);
    return task->result;
}

std::vector<std::shared_ptr<CAudioDev>> CServerAudioDev::GetDevices() {
    std::vector<std::shared_ptr<CAudioDev>> devices;
    auto task = std::make_shared<CTaskGetdevs>();
    task->output = &devices;
    task->done = CreateSemaphoreW(nullptr, 0, 1, nullptr);
    RunAndWait(L"获取设备", m_listCount, task, task->done);
    return devices;
}

bool CServerAudioDev::IsDeviceAvailable(const std::wstring& name, const std::wstring& id) {
    if (IsDefaultPlaceholder(name)) return true;
    for (const auto& device : GetDevices())
        if (device->GetName() == name && device->GetId() == id) return true;
    return false;
}

bool CServerAudioDev::IsDeviceAvailable(CAudioDev* device) {
    return IsDeviceAvailable(device->GetName(), device->GetId());
}

void CServerAudioDev::AddListener(HWND window) {
    std::lock_guard<std::mutex> guard(m_listenerMutex);
    m_listeners[window] = window;
}

void CServerAudioDev::RemoveListener(HWND window) {
    std::lock_guard<std::mutex> guard(m_listenerMutex);
    m_listeners.erase(window);
}

void CServerAudioDev::RegisterDevice(CAudioDev* device) {
    std::lock_guard<std::mutex> guard(m_registryMutex);
    m_registry[device] = device;
}

void CServerAudioDev::UnregisterDevice(CAudioDev* device) {
    std::lock_guard<std::mutex> guard(m_registryMutex);
    m_registry.erase(device);
}

void CServerAudioDev::OnDefaultDeviceChanged(const CEndpointInfo&, const std::wstring&) {
    m_pool.AddTask(TaskName(L"重启设备", m_restartCount), std::make_shared<CtaskRestartAll>());
    std::lock_guard<std::mutex> guard(m_listenerMutex);
    for (const auto& [window, same] : m_listeners) PostMessageW(window, UM_DEVICES_CHANGED, 0, 0);
}

void CServerAudioDev::RestartDefaultDevices() {
    std::lock_guard<std::mutex> guard(m_registryMutex);
    // One fresh listing tells where every placeholder points now.
    DeviceList list;
    if (Initialize() != NoError) return;  // logged by the capture host
    int listed = ListDevices(list);
    Terminate();
    if (listed != NoError) return;
    for (const auto& [device, same] : m_registry) {
        if (!device->IsWanted()) continue;
        std::wstring name = device->GetName();
        if (!IsDefaultPlaceholder(name)) continue;  // keeps recording without a gap
        std::wstring id = device->GetId();
        int index = FindCaptureDevice(list, name, id, device->GetLoopback());
        std::wstring resolved = index >= 0 ? Utf8ToWStringRet(list.devices[index].id) : L"";
        int resolvedLoopback = index >= 0 && list.devices[index].loopback ? 1 : 0;
        if (device->IsOpened() && resolved == device->GetOpenedId() &&
            resolvedLoopback == device->GetOpenedLoopback())
            continue;
        device->Close();
        device->Open();
    }
}

int PostOpenDevice(CAudioDev* device) { return GetServerAudioDev()->OpenDevice(device); }

int PostCloseDevice(CAudioDev* device) { return GetServerAudioDev()->CloseDevice(device); }
