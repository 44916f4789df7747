// The Reg* and SH*Key calls over the hive store.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>

#include "autostart_entry.h"
#include "hive_store.h"
#include "registry/registry.h"
#include "text_codec.h"

using namespace registry::detail;

namespace {

struct OpenKey {
  HKEY root;
  std::wstring path;
};

std::mutex g_handleLock;
std::map<uintptr_t, OpenKey> g_handles;
uintptr_t g_nextHandle = 0x10000;

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

bool IsPredefined(HKEY key) {
  return key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE || key == HKEY_CLASSES_ROOT ||
         key == HKEY_USERS;
}

bool Resolve(HKEY key, OpenKey& out) {
  if (IsPredefined(key)) {
    out = {key, L""};
    return true;
  }
  std::lock_guard<std::mutex> lock(g_handleLock);
  auto it = g_handles.find(reinterpret_cast<uintptr_t>(key));
  if (it == g_handles.end()) return false;
  out = it->second;
  return true;
}

HKEY NewHandle(HKEY root, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(g_handleLock);
  uintptr_t id = g_nextHandle;
  g_nextHandle += 4;
  g_handles[id] = {root, path};
  return reinterpret_cast<HKEY>(id);
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

void MakeFolders(const std::wstring& file) {
  std::string path = ToUtf8(file);
  for (size_t pos = 1; (pos = path.find('/', pos)) != std::string::npos; ++pos)
    mkdir(path.substr(0, pos).c_str(), 0700);
}

// Loads the hive under its lock, lets change work on it and saves it when
// change reports a change. The Run keys exist in every hive.
LONG WithHive(HKEY root, const std::function<LONG(Hive&, bool&)>& change) {
  std::wstring file = registry::HiveFilePath(root);
  if (file.empty()) return ERROR_PATH_NOT_FOUND;
  MakeFolders(file);
  HiveLock lock(file);
  Hive hive;
  if (!LoadHive(file, hive)) return ERROR_BADDB;
  hive.Create(kRunKey, nullptr);
  bool changed = false;
  LONG result = change(hive, changed);
  if (result == ERROR_SUCCESS && changed && !SaveHive(file, hive)) return ERROR_WRITE_FAULT;
  return result;
}

std::wstring TextOf(const std::string& utf16) {
  std::wstring text = FromUtf16Le(utf16);
  size_t nul = text.find(L'\0');
  return nul == std::wstring::npos ? text : text.substr(0, nul);
}

const Value* FindValue(const Hive& hive, const std::wstring& keyPath, const std::wstring& name) {
  auto key = hive.keys.find(FoldCase(keyPath));
  if (key == hive.keys.end()) return nullptr;
  auto value = key->second.values.find(FoldCase(name));
  return value == key->second.values.end() ? nullptr : &value->second;
}

// Brings the autostart entry in line with the Run value; on failure the
// hive file is put back as it was, so the two never disagree.
LONG SyncAutostart(HKEY root, const std::wstring& keyPath, const std::wstring& name, const Hive& before,
                   const Hive& after) {
  if (root != HKEY_CURRENT_USER || !IsUserRunKey(keyPath)) return ERROR_SUCCESS;
  const Value* value = FindValue(after, keyPath, name);
  // The entry carries the name as it was created, whatever case the caller used.
  const Value* old = FindValue(before, keyPath, name);
  std::wstring stored = value ? value->name : old ? old->name : name;
  // Only a text that names a program starts something at logon.
  bool starts = value && (value->type == REG_SZ || value->type == REG_EXPAND_SZ) &&
                IsCommand(TextOf(value->data));
  bool ok = starts ? WriteAutostartEntry(stored, TextOf(value->data)) : DeleteAutostartEntry(stored);
  if (ok) return ERROR_SUCCESS;
  SaveHive(registry::HiveFilePath(root), before);
  return ERROR_WRITE_FAULT;
}

}  // namespace

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  OpenKey base;
  if (!Resolve(hKey, base)) return ERROR_INVALID_HANDLE;
  std::wstring path = JoinKeyPath(base.path, lpSubKey ? lpSubKey : L"");
  std::wstring stored;
  LONG result = WithHive(base.root, [&](Hive& hive, bool&) -> LONG {
    if (!base.path.empty() && !hive.Find(base.path)) return ERROR_KEY_DELETED;
    Key* key = hive.Find(path);
    if (!key) return ERROR_FILE_NOT_FOUND;
    stored = key->path;
    return ERROR_SUCCESS;
  });
  if (result == ERROR_SUCCESS) *phkResult = NewHandle(base.root, stored);
  return result;
}

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM, const LPSECURITY_ATTRIBUTES,
                     PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  OpenKey base;
  if (!Resolve(hKey, base)) return ERROR_INVALID_HANDLE;
  std::wstring path = JoinKeyPath(base.path, lpSubKey ? lpSubKey : L"");
  std::wstring stored;
  bool created = false;
  LONG result = WithHive(base.root, [&](Hive& hive, bool& changed) -> LONG {
    if (!base.path.empty() && !hive.Find(base.path)) return ERROR_KEY_DELETED;
    stored = hive.Create(path, &created).path;
    changed = created;
    return ERROR_SUCCESS;
  });
  if (result != ERROR_SUCCESS) return result;
  *phkResult = NewHandle(base.root, stored);
  if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
  if (IsPredefined(hKey)) return ERROR_SUCCESS;
  std::lock_guard<std::mutex> lock(g_handleLock);
  return g_handles.erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  OpenKey base;
  if (!Resolve(hKey, base)) return ERROR_INVALID_HANDLE;
  if (cbData && !lpData) return ERROR_INVALID_PARAMETER;
  Value value;
  value.name = lpValueName ? lpValueName : L"";
  value.type = dwType;
  if (IsStringType(dwType)) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(lpData);
    value.data = ToUtf16Le(std::wstring(text ? text : L"", cbData / 2));
  } else if (cbData) {
    value.data.assign(reinterpret_cast<const char*>(lpData), cbData);
  }
  Hive before, after;
  LONG result = WithHive(base.root, [&](Hive& hive, bool& changed) -> LONG {
    Key* key = hive.Find(base.path);
    if (!key) return ERROR_KEY_DELETED;
    before = hive;
    key->values[FoldCase(value.name)] = value;
    after = hive;
    changed = true;
    return ERROR_SUCCESS;
  });
  if (result != ERROR_SUCCESS) return result;
  return SyncAutostart(base.root, base.path, value.name, before, after);
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  OpenKey base;
  if (!Resolve(hKey, base)) return ERROR_INVALID_HANDLE;
  if (lpData && !lpcbData) return ERROR_INVALID_PARAMETER;
  Value found;
  LONG result = WithHive(base.root, [&](Hive& hive, bool&) -> LONG {
    Key* key = hive.Find(base.path);
    if (!key) return ERROR_KEY_DELETED;
    auto it = key->values.find(FoldCase(lpValueName ? lpValueName : L""));
    if (it == key->values.end()) return ERROR_FILE_NOT_FOUND;
    found = it->second;
    return ERROR_SUCCESS;
  });
  if (result != ERROR_SUCCESS) return result;
  if (lpType) *lpType = found.type;
  DWORD size = static_cast<DWORD>(found.data.size());
  if (!lpData) {
    if (lpcbData) *lpcbData = size;
    return ERROR_SUCCESS;
  }
  DWORD capacity = *lpcbData;
  *lpcbData = size;
  if (capacity < size) return ERROR_MORE_DATA;
  if (IsStringType(found.type)) {
    // A hand-edited hive can hold an odd byte count, whose last half unit
    // decodes to a character of its own: never more than capacity / 2.
    std::wstring text = FromUtf16Le(found.data);
    size_t count = std::min<size_t>(text.size(), capacity / 2);
    std::memcpy(lpData, text.data(), count * sizeof(wchar_t));
  } else {
    std::memcpy(lpData, found.data.data(), size);
  }
  return ERROR_SUCCESS;
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  OpenKey base;
  if (!Resolve(hKey, base)) return ERROR_INVALID_HANDLE;
  std::wstring name = lpValueName ? lpValueName : L"";
  Hive before, after;
  LONG result = WithHive(base.root, [&](Hive& hive, bool& changed) -> LONG {
    Key* key = hive.Find(base.path);
    if (!key) return ERROR_KEY_DELETED;
    before = hive;
    if (!key->values.erase(FoldCase(name))) return ERROR_FILE_NOT_FOUND;
    after = hive;
    changed = true;
    return ERROR_SUCCESS;
  });
  if (result != ERROR_SUCCESS) return result;
  return SyncAutostart(base.root, base.path, name, before, after);
}

namespace {

enum class DeleteMode { kNoSubKeys, kEmptyOnly, kRecursive };

LONG DeleteKey(HKEY hKey, LPCWSTR subKey, DeleteMode mode) {
  OpenKey base;
  if (!hKey) return ERROR_INVALID_HANDLE;
  if (!Resolve(hKey, base)) return ERROR_INVALID_HANDLE;
  std::wstring path = JoinKeyPath(base.path, subKey ? subKey : L"");
  if (path.empty()) return ERROR_ACCESS_DENIED;  // a hive's root stays
  std::vector<std::wstring> runValues;
  Hive before;
  LONG result = WithHive(base.root, [&](Hive& hive, bool& changed) -> LONG {
    Key* key = hive.Find(path);
    if (!key) return ERROR_FILE_NOT_FOUND;
    bool children = hive.HasSubKeys(path);
    if (mode != DeleteMode::kRecursive && children) return ERROR_KEY_HAS_CHILDREN;
    if (mode == DeleteMode::kEmptyOnly && !key->values.empty()) return ERROR_KEY_HAS_CHILDREN;
    before = hive;
    for (const auto& [folded, key2] : hive.keys) {
      bool under = folded == FoldCase(path) || folded.compare(0, FoldCase(path).size() + 1, FoldCase(path) + L"\\") == 0;
      if (under && base.root == HKEY_CURRENT_USER && IsUserRunKey(key2.path))
        for (const auto& [vf, v] : key2.values) runValues.push_back(v.name);
    }
    hive.Remove(path, true);
    changed = true;
    return ERROR_SUCCESS;
  });
  if (result != ERROR_SUCCESS) return result;
  for (const std::wstring& name : runValues) {
    if (!DeleteAutostartEntry(name)) {
      SaveHive(registry::HiveFilePath(base.root), before);
      return ERROR_WRITE_FAULT;
    }
  }
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) { return DeleteKey(hKey, lpSubKey, DeleteMode::kNoSubKeys); }

DWORD SHDeleteKeyW(HKEY hKey, LPCWSTR pszSubKey) {
  return static_cast<DWORD>(DeleteKey(hKey, pszSubKey, DeleteMode::kRecursive));
}

DWORD SHDeleteEmptyKeyW(HKEY hKey, LPCWSTR pszSubKey) {
  return static_cast<DWORD>(DeleteKey(hKey, pszSubKey, DeleteMode::kEmptyOnly));
}
