#include <exception>

#include "base/PathHelpers.h"
#include "base/RegistryEx.h"
#include "crt/strcase.h"

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

HKEY RootFor(bool allUsers) { return allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

}  // namespace

bool CWinStartRun::Add(const std::wstring& name, const std::wstring& path, bool allUsers) {
  try {
    CRegistryEx reg(RootFor(allUsers), kRunKey, L"");
    reg.ClearViewChoice(false);
    reg.SetValueName(name);
    reg.SetSz(path);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool CWinStartRun::AddSelf(const std::wstring& name, bool allUsers) {
  std::wstring self;
  if (!GetModuleFilePath(self)) return false;
  return Add(name, self, allUsers);
}

bool CWinStartRun::Remove(const std::wstring& name, bool allUsers) {
  try {
    CRegistryEx reg(RootFor(allUsers), kRunKey, L"");
    reg.ClearViewChoice(false);
    reg.SetValueName(name);
    reg.DeleteValue();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool CWinStartRun::IsSet(const std::wstring& name, const std::wstring& path, bool allUsers) {
  try {
    CRegistryEx reg(RootFor(allUsers), kRunKey, L"");
    reg.ClearViewChoice(false);
    reg.SetValueName(name);
    std::wstring text;
    reg.GetSz(text);
    return !text.empty() && _wcsicmp(text.c_str(), path.c_str()) == 0;
  } catch (const std::exception&) {
    return false;
  }
}

bool CWinStartRun::IsSelfSet(const std::wstring& name, bool allUsers) {
  std::wstring self;
  if (!GetModuleFilePath(self)) return false;
  return IsSet(name, self, allUsers);
}
