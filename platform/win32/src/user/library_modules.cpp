// LoadLibraryW and FreeLibrary over dlopen, with the program's map from the
// Windows build's module names to our shared objects.
#include <dlfcn.h>

#include <cwctype>
#include <map>
#include <mutex>
#include <string>

#include "crt/utf8.h"
#include "win32/errors.h"
#include "win32/modules.h"

namespace {

struct Registry {
  std::mutex lock;
  std::map<std::wstring, std::wstring> fileMap;  // lower-case module name → file name
  std::map<void*, int> loads;                    // dlopen handle → loads not yet freed
};

Registry& registry() {
  static Registry* r = new Registry;  // lives past static destruction: modules may be freed late
  return *r;
}

thread_local std::wstring t_loadError;

std::wstring lower(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) out += static_cast<wchar_t>(towlower(c));
  return out;
}

std::wstring programFolder() {
  wchar_t path[4096];
  const DWORD n = GetModuleFileNameW(nullptr, path, 4096);
  if (n == 0 || n >= 4096) return L".";
  std::wstring p(path, n);
  const size_t slash = p.rfind(L'/');
  return slash == std::wstring::npos ? L"." : p.substr(0, slash);
}

// The file a module name stands for.
std::wstring resolve(const std::wstring& name) {
  if (name.find(L'/') != std::wstring::npos) return name;
  std::wstring file;
  {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.fileMap.find(lower(name));
    if (it != r.fileMap.end()) file = it->second;
  }
  if (file.empty()) {
    file = name;
    if (file.size() > 4 && lower(file.substr(file.size() - 4)) == L".dll") file = file.substr(0, file.size() - 4) + L".so";
  }
  return programFolder() + L"/" + file;
}

}  // namespace

void Win32SetModuleFileMap(const Win32ModuleFileMapEntry* entries, size_t count) {
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.fileMap.clear();
  for (size_t i = 0; i < count; ++i) {
    if (entries[i].moduleName && entries[i].fileName) r.fileMap[lower(entries[i].moduleName)] = entries[i].fileName;
  }
}

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
  if (!lpLibFileName || !*lpLibFileName) {
    t_loadError = L"no module name";
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  const std::wstring path = resolve(lpLibFileName);
  void* handle = dlopen(crt::WideToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    t_loadError = crt::Utf8ToWide(why ? why : "cannot load");
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  ++r.loads[handle];
  return static_cast<HMODULE>(handle);
}

BOOL FreeLibrary(HMODULE hLibModule) {
  Registry& r = registry();
  {
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.loads.find(hLibModule);
    if (it == r.loads.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (--it->second == 0) r.loads.erase(it);
  }
  dlclose(hLibModule);
  return TRUE;
}

const wchar_t* Win32ModuleLoadError() { return t_loadError.c_str(); }

// For GetProcAddress: the symbol of a module LoadLibraryW gave, else null.
FARPROC Win32LibrarySymbol(HMODULE module, const char* name) {
  {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    if (r.loads.find(module) == r.loads.end()) return nullptr;
  }
  return reinterpret_cast<FARPROC>(dlsym(module, name));
}
