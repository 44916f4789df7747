#include "base/RegistryEx.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <vector>

#include "base/CodePage.h"

namespace {

std::string Oem(const std::wstring& text) { return WStringToOemRet(text); }

[[noreturn]] void Throw(const std::string& text) { throw std::runtime_error(text); }

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  char buffer[1024];
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

CRegistryEx::CRegistryEx(HKEY root, const std::wstring& subKey, const std::wstring& valueName) : m_root(root) {
  if (!subKey.empty()) Key(subKey.c_str());
  m_valueName = valueName;
}

CRegistryEx::~CRegistryEx() {
  Close();
  FreeBinary();
}

void CRegistryEx::Fail(LONG code, const std::wstring& what, const char* method) const {
  Throw(Format("Err:%d,%s,%s", static_cast<int>(code), Oem(what).c_str(), method));
}

void CRegistryEx::Key(const wchar_t* subKey) {
  Close();
  // This machine is 64-bit: the wish for the 64-bit view is passed on as
  // it would be there; the store has a single view anyway.
  REGSAM wow = m_viewChoice ? KEY_WOW64_64KEY : 0;
  HKEY key = nullptr;
  LONG result = RegOpenKeyExW(m_root, subKey, 0, 0x2001F | wow, &key);
  if (result != ERROR_SUCCESS) result = RegOpenKeyExW(m_root, subKey, 0, KEY_READ | wow, &key);
  if (result != ERROR_SUCCESS) Fail(result, subKey ? subKey : L"", "CRegistryEx::Key");
  m_key = key;
}

DWORD CRegistryEx::GetDword(DWORD defaultValue) {
  if (!m_key)
    Throw(Format("Err:hKey is null,%s,%s", Oem(m_valueName).c_str(), "CRegistryEx::GetDword"));
  // Room for the two UTF-16 units a 4-byte string value holds.
  wchar_t units[2] = {0, 0};
  DWORD type = 0, size = 4;
  LONG result = RegQueryValueExW(m_key, m_valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(units), &size);
  if (result == ERROR_FILE_NOT_FOUND) return defaultValue;
  if (result == ERROR_MORE_DATA) {
    std::wstring text;
    GetSz(text);
    return text.empty() ? defaultValue : static_cast<DWORD>(std::wcstol(text.c_str(), nullptr, 10));
  }
  if (result != ERROR_SUCCESS) Fail(result, m_valueName, "CRegistryEx::GetDword");
  if (size != 4)
    Throw(Format("Err:%d != %d,%s,%s", static_cast<int>(size), 4, Oem(m_valueName).c_str(), "CRegistryEx::GetDword"));
  if (IsStringType(type))  // the 4 bytes as they lie in the store
    return (static_cast<DWORD>(units[0]) & 0xFFFF) | ((static_cast<DWORD>(units[1]) & 0xFFFF) << 16);
  DWORD value = 0;
  std::memcpy(&value, units, 4);
  return value;
}

BYTE* CRegistryEx::GetBinary(DWORD* outSize) {
  FreeBinary();
  if (!m_key)
    Throw(Format("Err:hRegKey is null,%s,%s", Oem(m_valueName).c_str(), "CRegistryEx::GetBinary"));
  DWORD type = 0, size = 0;
  LONG result = RegQueryValueExW(m_key, m_valueName.c_str(), nullptr, &type, nullptr, &size);
  if (result == ERROR_FILE_NOT_FOUND) return nullptr;
  if (result != ERROR_SUCCESS) Fail(result, m_valueName, "CRegistryEx::GetBinary");
  if (type != REG_BINARY)
    Throw(Format("Err:type not match(%d),%s,%s", static_cast<int>(type), Oem(m_valueName).c_str(),
                 "CRegistryEx::GetBinary"));
  BYTE* block = static_cast<BYTE*>(std::calloc(size ? size : 1, 1));
  if (!block) Fail(ERROR_NOT_ENOUGH_MEMORY, m_valueName, "CRegistryEx::GetBinary");
  result = RegQueryValueExW(m_key, m_valueName.c_str(), nullptr, &type, block, &size);
  if (result != ERROR_SUCCESS) {
    std::free(block);
    Fail(result, m_valueName, "CRegistryEx::GetBinary");
  }
  m_binary = block;
  if (outSize) *outSize = size;
  return m_binary;
}

void CRegistryEx::GetSz(std::wstring& out) {
  if (!m_key) Throw(Format("Err:hKey is null,%s,%s", Oem(m_valueName).c_str(), "CRegistryEx::GetSz"));
  out.clear();
  DWORD type = 0, size = 0;
  LONG result = RegQueryValueExW(m_key, m_valueName.c_str(), nullptr, &type, nullptr, &size);
  if (result == ERROR_FILE_NOT_FOUND) return;
  if (result != ERROR_SUCCESS) Fail(result, m_valueName, "CRegistryEx::GetSz");
  if (!IsStringType(type))
    Throw(Format("Err:type not match(%d),%s,%s", static_cast<int>(type), Oem(m_valueName).c_str(),
                 "CRegistryEx::GetSz"));
  size &= ~1u;
  std::vector<wchar_t> buffer(size / 2 + 1, 0);
  result = RegQueryValueExW(m_key, m_valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                            &size);
  if (result != ERROR_SUCCESS) Fail(result, m_valueName, "CRegistryEx::GetSz");
  out = buffer.data();
}

int CRegistryEx::SetRegData(const void* data, DWORD bytes, DWORD type) {
  LONG result = RegSetValueExW(m_key, m_valueName.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
  if (result != ERROR_SUCCESS) Fail(result, m_valueName, "CRegistryEx::SetRegData");
  return 0;
}

int CRegistryEx::SetDword(DWORD value) { return SetRegData(&value, 4, REG_DWORD); }

int CRegistryEx::SetBinary(const void* data, DWORD bytes) { return SetRegData(data, bytes, REG_BINARY); }

int CRegistryEx::SetSz(const std::wstring& text) {
  DWORD bytes = text.empty() ? 0 : static_cast<DWORD>(text.size() * 2 + 2);
  return SetRegData(text.c_str(), bytes, REG_SZ);
}

bool CRegistryEx::DeleteValue() {
  if (!m_key || m_valueName.empty()) return false;
  LONG result = RegDeleteValueW(m_key, m_valueName.c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

LONG CRegistryEx::DeleteSubKey(HKEY under, const wchar_t* subKey, bool recurse, const char* method) {
  if (!under) Throw(Format("Err:hKey ==NULL,%s", method));
  DWORD result = recurse ? SHDeleteKeyW(under, subKey) : SHDeleteEmptyKeyW(under, subKey);
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
    Fail(static_cast<LONG>(result), subKey ? subKey : L"", method);
  return static_cast<LONG>(result);
}

LONG CRegistryEx::DelSubHKey(const wchar_t* subKey) { return DelSubHKey(m_key, subKey); }
LONG CRegistryEx::DelSubHKey(HKEY under, const wchar_t* subKey) {
  return DeleteSubKey(under, subKey, false, "CRegistryEx::DelSubHKey");
}
LONG CRegistryEx::DelSubHKeyRecurse(const wchar_t* subKey) { return DelSubHKeyRecurse(m_key, subKey); }
LONG CRegistryEx::DelSubHKeyRecurse(HKEY under, const wchar_t* subKey) {
  return DeleteSubKey(under, subKey, true, "CRegistryEx::DelSubHKeyRecurse");
}

void CRegistryEx::Close() {
  if (m_key) RegCloseKey(m_key);
  m_key = nullptr;
}

void CRegistryEx::Attach(HKEY key) {
  Close();
  m_key = key;
}

void CRegistryEx::SetRootKey(HKEY root) {
  Close();
  m_root = root;
}

void CRegistryEx::FreeBinary() {
  std::free(m_binary);
  m_binary = nullptr;
}

void CRegistryEx::ClearViewChoice(bool) { m_viewChoice = false; }
