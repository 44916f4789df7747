// RegisterClassExW/RegisterClassW/UnregisterClassW and class queries. One
// module per process, so a class is known by its name alone.
#include <cwchar>
#include <vector>

#include "atoms.h"
#include "win32/errors.h"
#include "win32/user32.h"
#include "window_class.h"

namespace win32::detail {
namespace {

struct ClassRegistry {
  std::mutex mutex;
  std::vector<std::shared_ptr<WindowClass>> classes;
};

ClassRegistry& registry() {
  static ClassRegistry* r = new ClassRegistry();
  return *r;
}

std::shared_ptr<WindowClass> findClassLocked(LPCWSTR nameOrAtom) {
  for (auto& cls : registry().classes) {
    if (IS_INTRESOURCE(nameOrAtom)
            ? cls->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(nameOrAtom))
            : sameNameIgnoringCase(cls->name.c_str(), nameOrAtom))
      return cls;
  }
  return nullptr;
}

ATOM registerClass(const std::shared_ptr<WindowClass>& cls, LPCWSTR name) {
  if (!name || IS_INTRESOURCE(name) || !*name || !cls->proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ClassRegistry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (findClassLocked(name)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  cls->name = name;
  cls->atom = addAtom(name);
  if (!cls->atom) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  r.classes.push_back(cls);
  return cls->atom;
}

}  // namespace

std::shared_ptr<WindowClass> findClass(LPCWSTR nameOrAtom) {
  if (!nameOrAtom) return nullptr;
  std::lock_guard<std::mutex> lock(registry().mutex);
  return findClassLocked(nameOrAtom);
}

}  // namespace win32::detail

using namespace win32::detail;

namespace {

// The fields both class records share; the small icon exists only in the
// extended record.
template <typename ClassRecord>
std::shared_ptr<WindowClass> classFrom(const ClassRecord& wc) {
  auto cls = std::make_shared<WindowClass>();
  cls->style = wc.style;
  cls->proc = wc.lpfnWndProc;
  cls->instance = wc.hInstance;
  cls->icon = wc.hIcon;
  cls->cursor = wc.hCursor;
  cls->background = wc.hbrBackground;
  cls->classExtra = wc.cbClsExtra > 0 ? wc.cbClsExtra : 0;
  cls->windowExtra = wc.cbWndExtra > 0 ? wc.cbWndExtra : 0;
  return cls;
}

}  // namespace

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto cls = classFrom(*wc);
  cls->iconSmall = wc->hIconSm;
  return registerClass(cls, wc->lpszClassName);
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return registerClass(classFrom(*wc), wc->lpszClassName);
}

BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE) {
  if (!lpClassName) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  auto& r = win32::detail::registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  std::shared_ptr<WindowClass> cls = findClassLocked(lpClassName);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> windows(windowLock());
    if (cls->windowCount > 0) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
  }
  std::erase(r.classes, cls);
  return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE, LPCWSTR lpszClass, LPWNDCLASSEXW lpwcx) {
  auto cls = findClass(lpszClass);
  if (!cls || !lpwcx) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  lpwcx->style = cls->style;
  lpwcx->lpfnWndProc = cls->proc;
  lpwcx->cbClsExtra = cls->classExtra;
  lpwcx->cbWndExtra = cls->windowExtra;
  lpwcx->hInstance = cls->instance;
  lpwcx->hIcon = cls->icon;
  lpwcx->hCursor = cls->cursor;
  lpwcx->hbrBackground = cls->background;
  lpwcx->lpszMenuName = nullptr;
  lpwcx->lpszClassName = cls->name.c_str();  // lives as long as the class
  lpwcx->hIconSm = cls->iconSmall;
  return cls->atom;
}

int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount) {
  auto window = lookupWindow(hWnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!lpClassName || nMaxCount <= 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const std::wstring& name = window->windowClass->name;
  const size_t n = std::min(name.size(), static_cast<size_t>(nMaxCount - 1));
  std::wmemcpy(lpClassName, name.c_str(), n);
  lpClassName[n] = L'\0';
  return static_cast<int>(n);
}

const wchar_t* win32::detail::registerLayerClass(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassExW(&wc);
  return name;
}
