// The process-wide device server. Every capture-device operation runs on its
// one task thread: listing, opening, closing, and the restart of default
// devices after a default-device change. It keeps a registry of every live
// CAudioDev and tells its listener windows when the default device changes.
#pragma once

#include "audio/AudioDev.h"
#include "audio/HotSwappingInterface.h"
#include "base/TaskThreadPool.h"
#include "win32/windows.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Posted to every listener window on a default-device change; wParam and
// lParam 0.
constexpr UINT UM_DEVICES_CHANGED = 0x2F0E;

class CServerAudioDev : public HotSwappingInterface {
public:
    // Open and close wait for the task thread; their result is the device's
    // (0, or the capture failure that was logged).
    int OpenDevice(CAudioDev* device);
    int CloseDevice(CAudioDev* device);
    // The capture endpoints and the loopback twins, each a closed device
    // with its name, id and loopback selector set.
    std::vector<std::shared_ptr<CAudioDev>> GetDevices();
    bool IsDeviceAvailable(const std::wstring& name, const std::wstring& id);
    bool IsDeviceAvailable(CAudioDev* device);

    void AddListener(HWND window);
    void RemoveListener(HWND window);
    void RegisterDevice(CAudioDev* device);
    void UnregisterDevice(CAudioDev* device);

    // Task thread only: reopens every placeholder device whose default now
    // resolves to another endpoint. Devices named explicitly are left alone.
    void RestartDefaultDevices();

    // Queues the restart without waiting and posts UM_DEVICES_CHANGED.
    // Called on the endpoint watcher's thread.
    void OnDefaultDeviceChanged(const CEndpointInfo& info, const std::wstring& flow) override;

private:
    friend CServerAudioDev* GetServerAudioDev();
    CServerAudioDev();
    ~CServerAudioDev() override;

    // Runs `task` on the task thread under a fresh name and waits for it.
    void RunAndWait(const wchar_t* kind, std::atomic<unsigned>& counter,
                    const std::shared_ptr<ITask>& task, HANDLE done);
    static std::wstring TaskName(const wchar_t* kind, std::atomic<unsigned>& counter);

    CTaskThreadPool m_pool;
    std::mutex m_registryMutex;
    std::map<CAudioDev*, CAudioDev*> m_registry;
    std::mutex m_listenerMutex;
    std::map<HWND, HWND> m_listeners;
    std::atomic<unsigned> m_openCount{0};
    std::atomic<unsigned> m_closeCount{0};
    std::atomic<unsigned> m_listCount{0};
    std::atomic<unsigned> m_restartCount{0};
};

CServerAudioDev* GetServerAudioDev();
int PostOpenDevice(CAudioDev* device);
int PostCloseDevice(CAudioDev* device);
