#include "base/TrevalinDll.h"

#include <dlfcn.h>
#include <unistd.h>

#include "win32/windows.h"

namespace {

// The module lies outside the program: its absence is told, and the
// program goes on without it. Without a display the message box is written
// to standard error and answered at once.
void ShowNotice(const std::wstring& text) { MessageBoxW(nullptr, text.c_str(), L"提示", MB_OK); }

// dlopen does not search the program's folder for a bare name.
std::string ModuleInProgramFolder() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return TREVALIN_MODULE_FILE;
  std::string path(buf, static_cast<size_t>(n));
  return path.substr(0, path.find_last_of('/') + 1) + TREVALIN_MODULE_FILE;
}

}  // namespace

CTrevalinDll::CTrevalinDll() : CTrevalinDll(ModuleInProgramFolder()) {}

CTrevalinDll::CTrevalinDll(const std::string& modulePath) : m_path(modulePath) { loadSteps(); }

bool CTrevalinDll::loadSteps() {
  m_module = dlopen(m_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!m_module) {
    ShowNotice(L"无法加载DLL,Trevalin.dll");
    return false;
  }
  m_export = reinterpret_cast<GetBLLDumpCatchMgrExportInterfaceFn>(
      dlsym(m_module, TREVALIN_EXPORT_NAME));
  if (!m_export) {
    ShowNotice(L"无法获取导出函数,getBLLDumpCatchMgrExportInterface");
    return false;
  }
  m_interface = m_export();
  if (!m_interface) {
    ShowNotice(L"函数返回空,getBLLDumpCatchMgrExportInterface");
    return false;
  }
  return true;
}

bool CTrevalinDll::unload() {
  if (m_module) dlclose(m_module);
  reset();
  return true;
}

bool CTrevalinDll::load() {
  release();
  return loadSteps();
}

bool CTrevalinDll::freeModule() {
  if (!m_module) return true;
  bool ok = dlclose(m_module) == 0;
  m_module = nullptr;
  return ok;
}

void CTrevalinDll::reset() {
  m_module = nullptr;
  m_export = nullptr;
  m_interface = nullptr;
}

void CTrevalinDll::release() {
  if (m_module) dlclose(m_module);
  reset();
}
