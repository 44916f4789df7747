#include "registry/desktop_exec.h"

namespace registry {
namespace {

// Characters that make an argument need quotes in an Exec value.
constexpr wchar_t kReserved[] = L" \t\n\r\"'\\><~|&;$*?#()`";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

std::wstring QuotedArgument(const std::wstring& arg) {
  const bool quote = arg.empty() || arg.find_first_of(kReserved) != std::wstring::npos;
  std::wstring out;
  if (quote) out += L'"';
  for (wchar_t c : arg) {
    if (quote && (c == L'"' || c == L'`' || c == L'$' || c == L'\\')) out += L'\\';
    if (c == L'%') out += L'%';
    // A line break would end the value; a blank keeps the argument whole.
    out += (c == L'\n' || c == L'\r') ? L' ' : c;
  }
  if (quote) out += L'"';
  return out;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
  std::vector<std::wstring> args;
  std::wstring current;
  bool inQuotes = false, any = false;
  for (size_t i = 0; i < commandLine.size(); ++i) {
    const wchar_t c = commandLine[i];
    if (c == L'\\') {
      size_t run = 0;
      while (i + run < commandLine.size() && commandLine[i + run] == L'\\') ++run;
      const bool beforeQuote = i + run < commandLine.size() && commandLine[i + run] == L'"';
      current.append(beforeQuote ? run / 2 : run, L'\\');
      any = true;
      i += run - 1;
      if (beforeQuote && run % 2 == 1) {
        current += L'"';
        ++i;  // the escaped quote is taken
      }
    } else if (c == L'"') {
      inQuotes = !inQuotes;
      any = true;
    } else if (IsBlank(c) && !inQuotes) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

std::wstring DesktopExecValue(const std::vector<std::wstring>& argv) {
  std::wstring exec;
  for (const std::wstring& arg : argv) {
    if (!exec.empty()) exec += L' ';
    exec += QuotedArgument(arg);
  }
  return EscapeDesktopValue(exec);
}

std::wstring EscapeDesktopValue(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\\') out += L"\\\\";
    else if (c == L'\n') out += L"\\n";
    else if (c == L'\t') out += L"\\t";
    else if (c == L'\r') out += L"\\r";
    else out += c;
  }
  return out;
}

}  // namespace registry
