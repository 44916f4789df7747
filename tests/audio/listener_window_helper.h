// A window of the messaging layer on a thread of its own that runs
// GetMessageW, and counts the device server's notices (0x2F0E) it is handed.
#pragma once

#include "win32/windows.h"

#include <atomic>
#include <thread>

namespace audio_test {

class ListenerThread {
public:
    ListenerThread();
    ~ListenerThread();
    ListenerThread(const ListenerThread&) = delete;
    ListenerThread& operator=(const ListenerThread&) = delete;
    HWND hwnd() const { return hwnd_; }
    int Notices() const { return notices_.load(); }
    // Notices with parameters, or handled off the window's own thread.
    int BadNotices() const { return badNotices_.load(); }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l);

    std::thread thread_;
    HWND hwnd_ = nullptr;
    DWORD threadId_ = 0;
    std::atomic<int> notices_{0};
    std::atomic<int> badNotices_{0};
};

}  // namespace audio_test
