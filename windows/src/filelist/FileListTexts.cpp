#include "windows/FileListTexts.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cwchar>
#include <cwctype>

#include "base/CodePage.h"
#include "base/Formatting.h"
#include "base/RenameNoReplace.h"
#include "crt/wprintf.h"

std::wstring FormatRecordSize(uint64_t bytes) {
  static const wchar_t* const kUnits[] = {L"B", L"KB", L"MB", L"GB"};
  constexpr size_t kLast = sizeof(kUnits) / sizeof(kUnits[0]) - 1;
  double value = static_cast<double>(bytes);
  size_t unit = 0;
  while (value >= 1024.0 && unit < kLast) {
    value /= 1024.0;
    ++unit;
  }
  return crt::Format(L"%.2f%s", value, kUnits[unit]).value_or(L"");
}

std::wstring FormatRecordDuration(double seconds) {
  if (!(seconds >= 0.0)) return FormatDuration(-1);
  return FormatDuration(static_cast<int>(std::trunc(seconds)));
}

const wchar_t* RenameFaultText(RenameFault fault) {
  switch (fault) {
    case RenameFault::kNone:
      return L"";
    case RenameFault::kEmpty:
      return L"重命名失败，文件名不能为空";
    case RenameFault::kIllegalCharacter:
      return L"重命名失败，文件名含有非法字符";
    case RenameFault::kExists:
      return L"重命名失败，已存在该文件";
    case RenameFault::kMoveFailed:
      break;
  }
  return L"重命名失败";
}

namespace {

size_t NameStart(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? 0 : slash + 1;
}

}  // namespace

std::wstring RenameCueText(const std::wstring& filePath) {
  const std::wstring name = filePath.substr(NameStart(filePath));
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

std::wstring RenameTargetPath(const std::wstring& filePath, const std::wstring& name) {
  const size_t start = NameStart(filePath);
  const std::wstring file = filePath.substr(start);
  const size_t dot = file.rfind(L'.');
  const std::wstring ext = dot == std::wstring::npos ? std::wstring() : file.substr(dot + 1);
  return filePath.substr(0, start) + name + L"." + ext;
}

RenameFault CheckRename(const std::wstring& name, const std::wstring& targetPath) {
  bool blank = true;
  for (wchar_t c : name)
    if (!std::iswspace(static_cast<wint_t>(c))) blank = false;
  if (blank) return RenameFault::kEmpty;
  if (name.find_first_of(L"/\\:*?\"<>|") != std::wstring::npos) return RenameFault::kIllegalCharacter;
  struct stat st;
  if (lstat(WStringToUtf8Ret(targetPath).c_str(), &st) == 0) return RenameFault::kExists;
  return RenameFault::kNone;
}

RenameFault RenameRecordingFile(const std::wstring& filePath, const std::wstring& name, std::wstring& newPath) {
  // newPath may be the very string filePath refers to.
  const std::wstring source = filePath;
  const std::wstring target = RenameTargetPath(source, name);
  newPath = target;
  const RenameFault fault = CheckRename(name, target);
  if (fault != RenameFault::kNone) return fault;
  const int error = RenameNoReplace(source, target);
  if (error == EEXIST) return RenameFault::kExists;
  return error == 0 ? RenameFault::kNone : RenameFault::kMoveFailed;
}

bool UpdateButtonShown(const std::wstring& channel) { return std::wcscmp(channel.c_str(), L"360") >= 0; }
