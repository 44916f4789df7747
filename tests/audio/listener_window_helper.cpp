#include "listener_window_helper.h"

#include "audio/ServerAudioDev.h"

namespace audio_test {

ListenerThread::ListenerThread() {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this, ready] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &ListenerThread::Proc;
        wc.lpszClassName = L"AudioTestListener";
        RegisterClassExW(&wc);
        hwnd_ = CreateWindowExW(0, L"AudioTestListener", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                nullptr, nullptr);
        if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        threadId_ = GetCurrentThreadId();
        SetEvent(ready);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        if (hwnd_) DestroyWindow(hwnd_);
    });
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
}

ListenerThread::~ListenerThread() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

LRESULT CALLBACK ListenerThread::Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<ListenerThread*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (m == UM_DEVICES_CHANGED && self) {
        if (w != 0 || l != 0 || GetCurrentThreadId() != self->threadId_) ++self->badNotices_;
        ++self->notices_;
        return 0;
    }
    return DefWindowProcW(h, m, w, l);
}

}  // namespace audio_test
