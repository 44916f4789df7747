// The file-backed registry: keys and values by case-insensitive names,
// typed data, UTF-16 byte counts for strings, and the hive file on disk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "registry/registry.h"

namespace {

std::string Narrow(const std::wstring& w) {
  std::string out;
  for (wchar_t c : w) out += static_cast<char>(c);  // test paths are ASCII
  return out;
}

std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(Narrow(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

LONG SetSz(HKEY key, const wchar_t* name, const std::wstring& text) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * 2));
}

std::wstring GetSz(HKEY key, const wchar_t* name, LONG* result = nullptr) {
  DWORD type = 0, size = 0;
  LONG r = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
  if (r == ERROR_SUCCESS) {
    std::vector<wchar_t> buffer(size / 2 + 1, 0);
    r = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result) *result = r;
    return r == ERROR_SUCCESS ? std::wstring(buffer.data()) : L"";
  }
  if (result) *result = r;
  return L"";
}

TEST(RegistryStore, RunKeyExistsInAFreshHiveAndOtherKeysDoNot) {
  HKEY run = nullptr, missing = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                          KEY_ALL_ACCESS, &run),
            ERROR_SUCCESS);
  EXPECT_NE(run, nullptr);
  EXPECT_EQ(RegCloseKey(run), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(run), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Nobody", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing, nullptr);
}

TEST(RegistryStore, TypedValuesRoundTripWithNamesInAnyCase) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quorvale\\Test", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));

  ASSERT_EQ(SetSz(key, L"Name", L"录音 \U0001F3B5 ok"), ERROR_SUCCESS);
  DWORD number = 0xDEADBEEF;
  ASSERT_EQ(RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);
  const BYTE blob[] = {0, 1, 2, 0xFF};
  ASSERT_EQ(RegSetValueExW(key, L"Blob", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);

  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\QUORVALE\\test", 0, KEY_READ, &again), ERROR_SUCCESS);
  EXPECT_EQ(GetSz(again, L"NAME"), L"录音 \U0001F3B5 ok");

  // The size is the UTF-16 byte count: 7 characters take 8 units (one is a
  // surrogate pair), then the ending zero.
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExW(again, L"name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, (8u + 1u) * 2u);

  DWORD read = 0, cb = 4;
  ASSERT_EQ(RegQueryValueExW(again, L"count", nullptr, &type, reinterpret_cast<BYTE*>(&read), &cb), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(read, 0xDEADBEEFu);

  BYTE small[2];
  cb = sizeof small;
  EXPECT_EQ(RegQueryValueExW(again, L"blob", nullptr, &type, small, &cb), ERROR_MORE_DATA);
  EXPECT_EQ(cb, 4u);
  BYTE back[4] = {};
  cb = sizeof back;
  ASSERT_EQ(RegQueryValueExW(again, L"blob", nullptr, &type, back, &cb), ERROR_SUCCESS);
  EXPECT_EQ(std::vector<BYTE>(back, back + 4), std::vector<BYTE>(blob, blob + 4));

  EXPECT_EQ(RegDeleteValueW(again, L"COUNT"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(again, L"count"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(again, L"count", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(again);
  RegCloseKey(key);
}

TEST(RegistryStore, HiveFileIsUtf16LeAndADamagedOneIsSetAside) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Q", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetSz(key, L"v", L"abc"), ERROR_SUCCESS);
  std::wstring file = registry::HiveFilePath(HKEY_CURRENT_USER);
  std::string bytes = ReadBytes(file);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));
  EXPECT_NE(bytes.find(std::string("[\0S\0o\0f\0t\0w\0a\0r\0e\0\\\0\\\0Q\0]\0", 26)), std::string::npos);

  std::ofstream(Narrow(file), std::ios::binary | std::ios::trunc) << "not a hive";
  EXPECT_EQ(GetSz(key, L"v").size(), 0u);  // the key went with the damaged file
  EXPECT_EQ(ReadBytes(file + L".damaged"), "not a hive");
  // A second damaged file keeps the first one's rescue copy.
  std::ofstream(Narrow(file), std::ios::binary | std::ios::trunc) << "damaged again";
  EXPECT_EQ(GetSz(key, L"v").size(), 0u);
  EXPECT_EQ(ReadBytes(file + L".damaged"), "not a hive");
  EXPECT_EQ(ReadBytes(file + L".damaged(1)"), "damaged again");
  HKEY run = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_READ,
                          &run),
            ERROR_SUCCESS);
  RegCloseKey(run);
  RegCloseKey(key);
}

TEST(RegistryStore, AHandEditedOddLengthTextNeverWritesPastTheCallersBuffer) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Odd", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  // Three bytes of REG_SZ: one unit and half of another.
  std::wstring file = registry::HiveFilePath(HKEY_CURRENT_USER);
  std::string text = "Quorvale registry 1\r\n[Software\\\\Odd]\r\n\"v\"=1:410042\r\n", bytes = "\xFF\xFE";
  for (char c : text) bytes += std::string{c, '\0'};
  std::ofstream(Narrow(file), std::ios::binary | std::ios::trunc) << bytes;

  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Odd", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExW(key, L"v", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  // A buffer of size / 2 characters, as the byte count promises, and a
  // guard behind it.
  wchar_t buffer[3] = {L'#', L'#', L'#'};
  ASSERT_EQ(RegQueryValueExW(key, L"v", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
  EXPECT_EQ(buffer[0], L'A');
  EXPECT_EQ(buffer[1], L'#');
  RegCloseKey(key);
}

TEST(RegistryStore, DeletingKeysEmptyOnlyOrWithEverythingUnder) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tree\\Leaf", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetSz(key, L"x", L"1"), ERROR_SUCCESS);
  EXPECT_EQ(SHDeleteEmptyKeyW(HKEY_CURRENT_USER, L"Software\\Tree\\Leaf"), static_cast<DWORD>(ERROR_KEY_HAS_CHILDREN));
  EXPECT_EQ(SHDeleteEmptyKeyW(HKEY_CURRENT_USER, L"Software\\Tree"), static_cast<DWORD>(ERROR_KEY_HAS_CHILDREN));
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tree"), ERROR_KEY_HAS_CHILDREN);
  EXPECT_EQ(SHDeleteEmptyKeyW(HKEY_CURRENT_USER, L"Software\\Nothing"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(SHDeleteKeyW(HKEY_CURRENT_USER, L"software\\tree"), static_cast<DWORD>(ERROR_SUCCESS));
  HKEY gone = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Tree\\Leaf", 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"x", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  RegCloseKey(key);
}

}  // namespace
