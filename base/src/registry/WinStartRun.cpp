#include <exception>

#include "base/CmdLineParse.h"
#include "base/PathHelpers.h"
#include "base/RegistryEx.h"
#include "crt/strcase.h"

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

HKEY RootFor(bool allUsers) { return allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// Opens the Run key (the view wish dropped afterwards, as every operation
// here does), names the value and lets work do the rest; whatever throws
// answers false.
template <class Work>
bool OnRunValue(const std::wstring& name, bool allUsers, Work work) {
  try {
    CRegistryEx reg(RootFor(allUsers), kRunKey, L"");
    reg.ClearViewChoice(false);
    reg.SetValueName(name);
    return work(reg);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool CWinStartRun::Add(const std::wstring& name, const std::wstring& path, bool allUsers) {
  return OnRunValue(name, allUsers, [&](CRegistryEx& reg) {
    reg.SetSz(CCmdLineParse::QuoteValue(path));
    return true;
  });
}

bool CWinStartRun::AddSelf(const std::wstring& name, bool allUsers) {
  std::wstring self;
  if (!GetModuleFilePath(self)) return false;
  return Add(name, self, allUsers);
}

bool CWinStartRun::Remove(const std::wstring& name, bool allUsers) {
  return OnRunValue(name, allUsers, [](CRegistryEx& reg) {
    reg.DeleteValue();
    return true;
  });
}

bool CWinStartRun::IsSet(const std::wstring& name, const std::wstring& path, bool allUsers) {
  return OnRunValue(name, allUsers, [&](CRegistryEx& reg) {
    std::wstring text;
    reg.GetSz(text);
    if (text.empty()) return false;
    return _wcsicmp(text.c_str(), CCmdLineParse::QuoteValue(path).c_str()) == 0 ||
           _wcsicmp(text.c_str(), path.c_str()) == 0;
  });
}

bool CWinStartRun::IsSelfSet(const std::wstring& name, bool allUsers) {
  std::wstring self;
  if (!GetModuleFilePath(self)) return false;
  return IsSet(name, self, allUsers);
}
