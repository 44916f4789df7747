// Typed access to one registry value, and the start-at-logon value under
// the Run key built on it.
//
// CRegistryEx reports every failure by throwing std::runtime_error whose
// text names the method ("Err:2,Software\Nobody,CRegistryEx::Key"); names
// in those texts are in the OEM code page. Missing values are no failure:
// they give the default, the empty text or null. CWinStartRun turns every
// exception into false.
#pragma once

#include <string>

#include "registry/registry.h"

class CRegistryEx {
 public:
  // Opens subKey under root when it is not empty (a failed open throws).
  CRegistryEx(HKEY root, const std::wstring& subKey, const std::wstring& valueName);
  virtual ~CRegistryEx();
  CRegistryEx(const CRegistryEx&) = delete;
  CRegistryEx& operator=(const CRegistryEx&) = delete;

  // Closes the open key and opens subKey of the root for reading and
  // writing, else for reading only; a missing key throws. Keys are never
  // created.
  void Key(const wchar_t* subKey);

  // The value as a 32-bit number: exactly 4 stored bytes whatever the
  // type, or the number a longer text starts with; the default when the
  // value is missing or such a text is empty.
  DWORD GetDword(DWORD defaultValue);
  // The bytes of a REG_BINARY value, owned by this object until the next
  // GetBinary, FreeBinary or destruction; null when the value is missing.
  BYTE* GetBinary(DWORD* size = nullptr);
  // The text of a string value up to its first zero; empty when missing.
  void GetSz(std::wstring& out);

  int SetRegData(const void* data, DWORD bytes, DWORD type);
  int SetDword(DWORD value);
  int SetBinary(const void* data, DWORD bytes);
  // The characters and their ending zero; an empty text is stored empty.
  int SetSz(const std::wstring& text);

  // False when no key is open or the name is empty; a missing value is no
  // failure.
  bool DeleteValue();
  // 0 deleted, 2 missing; any other error throws. The key must be empty.
  LONG DelSubHKey(const wchar_t* subKey);
  LONG DelSubHKey(HKEY under, const wchar_t* subKey);
  // The same, with everything under the sub key.
  LONG DelSubHKeyRecurse(const wchar_t* subKey);
  LONG DelSubHKeyRecurse(HKEY under, const wchar_t* subKey);

  void Close();
  void Attach(HKEY key);
  void SetRootKey(HKEY root);
  HKEY GetHKey() const { return m_key; }
  void SetValueName(const std::wstring& name) { m_valueName = name; }
  void FreeBinary();
  // The 64-bit view is asked for while this is true; the store has one view.
  bool GetViewChoice() const { return m_viewChoice; }
  void ClearViewChoice(bool ignored);

 private:
  [[noreturn]] void Fail(LONG code, const std::wstring& what, const char* method) const;
  LONG DeleteSubKey(HKEY under, const wchar_t* subKey, bool recurse, const char* method);

  HKEY m_key = nullptr;
  HKEY m_root = nullptr;
  std::wstring m_valueName;
  BYTE* m_binary = nullptr;
  bool m_viewChoice = true;
};

// The value under "Software\Microsoft\Windows\CurrentVersion\Run" of the
// current user, or of the machine with allUsers, that starts a program at
// logon. Every operation answers false instead of throwing.
class CWinStartRun {
 public:
  virtual ~CWinStartRun() = default;

  // Writes the path as one quoted command-line argument (quotes inside it
  // escaped, backslashes before them doubled), so a path with blanks or
  // quotes starts that one program.
  bool Add(const std::wstring& name, const std::wstring& path, bool allUsers);
  bool AddSelf(const std::wstring& name, bool allUsers);
  bool Remove(const std::wstring& name, bool allUsers);
  // True when the value's text is path, quoted as Add writes it or bare as
  // older versions wrote it, compared without case.
  bool IsSet(const std::wstring& name, const std::wstring& path, bool allUsers);
  bool IsSelfSet(const std::wstring& name, bool allUsers);
};
