// The task-bar list over the display layer: a window "deleted" from the
// task bar carries _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER,
// which task bars and pagers honour.
#include <atomic>

#include "shell/shobjidl.h"
#include "win32/backend.h"
#include "win32/user32.h"

const CLSID CLSID_TaskbarList = {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
const IID IID_ITaskbarList = {0x56FDF342, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};

namespace {

class TaskbarList : public ITaskbarList {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITaskbarList)) {
      *object = static_cast<ITaskbarList*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE HrInit() override {
    initialised_ = Win32HasDisplay() != FALSE;
    return initialised_ ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE AddTab(HWND hwnd) override { return SetSkip(hwnd, FALSE); }
  HRESULT STDMETHODCALLTYPE DeleteTab(HWND hwnd) override { return SetSkip(hwnd, TRUE); }
  HRESULT STDMETHODCALLTYPE ActivateTab(HWND hwnd) override {
    if (!initialised_) return E_UNEXPECTED;
    return IsWindow(hwnd) ? S_OK : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND hwnd) override { return ActivateTab(hwnd); }

 private:
  HRESULT SetSkip(HWND hwnd, BOOL skip) {
    if (!initialised_) return E_UNEXPECTED;
    if (!IsWindow(hwnd)) return E_INVALIDARG;
    return Win32SetSkipTaskbar(hwnd, skip) ? S_OK : E_FAIL;
  }

  std::atomic<ULONG> refs_{1};
  bool initialised_ = false;
};

}  // namespace

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* outer, DWORD context, REFIID riid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!IsEqualGUID(rclsid, CLSID_TaskbarList) || !(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  auto* list = new TaskbarList();
  const HRESULT hr = list->QueryInterface(riid, object);
  list->Release();
  return hr;
}
