#include "base/CmdLineParse.h"

#include <cwctype>

#include "base/CodePage.h"

namespace {

// A key runs from '/' up to '=' (no blank, '=' or '"' inside it, so a
// quoted value holding '=' is never taken for part of the key); the value
// is a quoted run in which \" and \\ are escapes, or a run of non-blanks.
const wchar_t kPairPattern[] = L"(/[^\\s=\"]+)\\s*=(\"(?:[^\"\\\\]|\\\\.)*\"|\\S*)";

bool KeyCanBeReadBack(const std::wstring& key) {
  if (key.size() < 2 || key[0] != L'/') return false;
  for (wchar_t c : key)
    if (std::iswspace(c) || c == L'=' || c == L'"') return false;
  return true;
}

bool NeedsQuotes(const std::wstring& value) {
  for (wchar_t c : value)
    if (std::iswspace(c) || c == L'"') return true;
  return false;
}

}  // namespace

CCmdLineParse::CCmdLineParse() = default;

CCmdLineParse::CCmdLineParse(int argc, wchar_t** argv) {
  for (int i = 1; i < argc && argv; ++i) {
    if (!argv[i]) continue;
    std::wstring arg = argv[i];
    size_t eq = arg.find(L'=');
    if (arg.size() > 1 && arg[0] == L'/' && eq != std::wstring::npos &&
        KeyCanBeReadBack(arg.substr(0, eq)) && NeedsQuotes(arg.substr(eq + 1)))
      arg = arg.substr(0, eq + 1) + QuoteValue(arg.substr(eq + 1));
    if (!m_joined.empty()) m_joined += L' ';
    m_joined += arg;
  }
}

CCmdLineParse::CCmdLineParse(int argc, char** argv) {
  std::vector<std::wstring> wide;
  for (int i = 0; i < argc && argv; ++i) wide.push_back(argv[i] ? Utf8ToWStringRet(argv[i]) : L"");
  std::vector<wchar_t*> pointers;
  for (auto& arg : wide) pointers.push_back(arg.data());
  m_joined = CCmdLineParse(static_cast<int>(pointers.size()), pointers.data()).m_joined;
}

CCmdLineParse::~CCmdLineParse() = default;

void CCmdLineParse::setValue(const std::wstring& key, const std::wstring& value) {
  m_values[key] = value;
}

bool CCmdLineParse::toCmdLine(std::wstring& out) {
  std::wstring work;
  for (auto it = m_values.begin(); it != m_values.end(); ++it) {
    if (!KeyCanBeReadBack(it->first)) {
      SetLastErrorText(L"Err:参数名无效\r\n" + it->first);
      out.clear();
      return false;
    }
    work += it->first + L"=" + QuoteValue(it->second);
    if (std::next(it) != m_values.end()) work += L' ';
  }
  out = work;
  return true;
}

bool CCmdLineParse::parse() { return parseCmdLine(m_joined); }

bool CCmdLineParse::parseCmdLine(const std::wstring& text) {
  m_values.clear();
  std::vector<std::vector<std::wstring>> matches;
  if (!m_regex.fetchAll(matches, kPairPattern, text)) {
    SetLastErrorText(L"Err:无法解析命令行参数\r\n" + text);
    return false;
  }
  for (const auto& match : matches) {
    if (match.size() != 3) {
      SetLastErrorText(L"Err:参数有异常\r\n" + (match.empty() ? std::wstring() : match[0]));
      return false;
    }
    std::wstring key = match[1];
    for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(c));
    m_values[key] = match[2];
  }
  return true;
}

bool CCmdLineParse::getValue(const std::wstring& key, std::wstring& out) const {
  auto it = m_values.find(key);
  if (it == m_values.end()) return false;
  out = UnquoteValue(it->second);
  return true;
}

std::wstring CCmdLineParse::QuoteValue(const std::wstring& value) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : value) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      out.append(backslashes * 2 + 1, L'\\');  // each backslash doubled, then \" for the quote
    } else {
      out.append(backslashes, L'\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');  // they precede the closing quote
  out += L'"';
  return out;
}

std::wstring CCmdLineParse::UnquoteValue(const std::wstring& written) {
  if (written.size() < 2 || written.front() != L'"' || written.back() != L'"') return written;
  std::wstring inner = written.substr(1, written.size() - 2);
  std::wstring out;
  size_t backslashes = 0;
  for (wchar_t c : inner) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      out.append(backslashes / 2, L'\\');
    } else {
      out.append(backslashes, L'\\');
    }
    backslashes = 0;
    out += c;
  }
  out.append(backslashes / 2, L'\\');
  return out;
}

std::vector<std::wstring> CCmdLineParse::SplitArguments(const std::wstring& text) {
  std::vector<std::wstring> args;
  std::wstring current;
  bool inArgument = false;
  bool inQuotes = false;
  size_t backslashes = 0;
  for (wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
      inArgument = true;
      continue;
    }
    if (c == L'"') {
      current.append(backslashes / 2, L'\\');
      if (backslashes % 2) {
        current += L'"';
      } else {
        inQuotes = !inQuotes;
      }
      backslashes = 0;
      inArgument = true;
      continue;
    }
    current.append(backslashes, L'\\');
    backslashes = 0;
    if (!inQuotes && std::iswspace(c)) {
      if (inArgument) args.push_back(current);
      current.clear();
      inArgument = false;
      continue;
    }
    current += c;
    inArgument = true;
  }
  current.append(backslashes, L'\\');
  if (inArgument) args.push_back(current);
  return args;
}
