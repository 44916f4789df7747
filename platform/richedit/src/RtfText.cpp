#include "RtfText.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "TextStore.h"
#include "crt/utf8.h"
#include "win32/codepage.h"

namespace richedit {
namespace {

bool isIgnoredDestination(const std::string& word) {
  static const char* const kNames[] = {"fonttbl", "colortbl", "stylesheet", "info", "pict", "object",
                                       "header", "footer", "headerl", "headerr", "footerl", "footerr",
                                       "listtable", "listoverridetable", "rsidtbl", "generator",
                                       "xmlnstbl", "themedata", "colorschememapping", "latentstyles",
                                       "datastore", "filetbl", "revtbl", "fldinst"};
  for (const char* name : kNames)
    if (word == name) return true;
  return false;
}

std::wstring decodeBytes(const std::string& bytes, unsigned codePage) {
  if (bytes.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n > 0) {
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
  }
  std::wstring latin1;  // a code page we cannot convert: bytes as Latin-1
  for (unsigned char b : bytes) latin1.push_back(static_cast<wchar_t>(b));
  return latin1;
}

class RtfReader {
 public:
  explicit RtfReader(const std::string& in) : in_(in) {}

  std::wstring read() {
    groups_.push_back(Group{});
    while (i_ < in_.size()) {
      const char c = in_[i_];
      if (c == '{') {
        flushBytes();
        groups_.push_back(groups_.back());
        groups_.back().starDestination = false;
        ++i_;
      } else if (c == '}') {
        flushBytes();
        if (groups_.size() > 1) groups_.pop_back();
        ++i_;
      } else if (c == '\\') {
        controlWord();
      } else if (c == '\r' || c == '\n') {
        ++i_;
      } else {
        flushBytes();
        ++i_;
        if (skipFallback()) continue;
        emit(static_cast<unsigned char>(c));
      }
    }
    flushBytes();
    return out_;
  }

 private:
  struct Group {
    bool skip = false;
    bool starDestination = false;
    int uc = 1;
  };

  bool skipping() const { return groups_.back().skip; }

  // Characters standing in for the last \u in readers without Unicode.
  bool skipFallback() {
    if (fallbackLeft_ <= 0) return false;
    --fallbackLeft_;
    return true;
  }

  void emit(wchar_t ch) {
    if (skipping()) return;
    if (ch >= 0xDC00 && ch <= 0xDFFF && !out_.empty() && out_.back() >= 0xD800 && out_.back() <= 0xDBFF) {
      out_.back() = static_cast<wchar_t>(0x10000 + ((out_.back() - 0xD800) << 10) + (ch - 0xDC00));
      return;
    }
    out_.push_back(ch);
  }

  void flushBytes() {
    if (bytes_.empty()) return;
    for (wchar_t ch : decodeBytes(bytes_, codePage_)) emit(ch);
    bytes_.clear();
  }

  void controlWord() {
    ++i_;  // the backslash
    if (i_ >= in_.size()) return;
    const char c = in_[i_];
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      ++i_;
      if (c == '\'') {
        if (i_ + 2 <= in_.size()) {
          const std::string hex = in_.substr(i_, 2);
          i_ += 2;
          if (skipFallback()) return;
          if (!skipping()) bytes_.push_back(static_cast<char>(std::strtol(hex.c_str(), nullptr, 16)));
        }
        return;
      }
      flushBytes();
      if (c == '*') {
        groups_.back().starDestination = true;
        groups_.back().skip = true;
      } else if (c == '\\' || c == '{' || c == '}') {
        if (!skipFallback()) emit(static_cast<wchar_t>(c));
      } else if (c == '~') {
        emit(0xA0);
      } else if (c == '_') {
        emit(L'-');
      } else if (c == '\r' || c == '\n') {
        emit(kBreak);
      }
      return;
    }
    std::string word;
    while (i_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[i_]))) word.push_back(in_[i_++]);
    bool hasNumber = false;
    long number = 0;
    const size_t numberStart = i_;
    if (i_ < in_.size() && (in_[i_] == '-' || std::isdigit(static_cast<unsigned char>(in_[i_])))) {
      ++i_;
      while (i_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[i_]))) ++i_;
      number = std::strtol(in_.substr(numberStart, i_ - numberStart).c_str(), nullptr, 10);
      hasNumber = true;
    }
    if (i_ < in_.size() && in_[i_] == ' ') ++i_;
    flushBytes();
    if (isIgnoredDestination(word)) {
      groups_.back().skip = true;
      return;
    }
    if (word == "u" && hasNumber) {
      long cp = number < 0 ? number + 65536 : number;
      emit(static_cast<wchar_t>(cp));
      fallbackLeft_ = groups_.back().uc;
    } else if (word == "uc" && hasNumber) {
      groups_.back().uc = static_cast<int>(number);
    } else if (word == "ansicpg" && hasNumber) {
      codePage_ = static_cast<unsigned>(number);
    } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
      emit(kBreak);
    } else if (word == "tab") {
      emit(L'\t');
    } else if (word == "emdash") {
      emit(0x2014);
    } else if (word == "endash") {
      emit(0x2013);
    } else if (word == "bullet") {
      emit(0x2022);
    } else if (word == "lquote") {
      emit(0x2018);
    } else if (word == "rquote") {
      emit(0x2019);
    } else if (word == "ldblquote") {
      emit(0x201C);
    } else if (word == "rdblquote") {
      emit(0x201D);
    }
  }

  const std::string& in_;
  size_t i_ = 0;
  std::vector<Group> groups_;
  std::wstring out_;
  std::string bytes_;
  unsigned codePage_ = 1252;
  int fallbackLeft_ = 0;
};

void appendEscaped(std::string& out, wchar_t ch) {
  if (ch == L'\\' || ch == L'{' || ch == L'}') {
    out.push_back('\\');
    out.push_back(static_cast<char>(ch));
  } else if (ch >= 0x20 && ch < 0x7F) {
    out.push_back(static_cast<char>(ch));
  } else {
    auto unit = [&](unsigned u) {
      out += "\\u" + std::to_string(u >= 0x8000 ? static_cast<long>(u) - 65536 : static_cast<long>(u)) + "?";
    };
    const unsigned cp = static_cast<unsigned>(ch);
    if (cp > 0xFFFF) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
  }
}

}  // namespace

std::wstring rtfToText(const std::string& bytes) {
  size_t start = 0;
  while (start < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[start]))) ++start;
  if (bytes.compare(start, 5, "{\\rtf") != 0) {
    std::wstring text;
    if (crt::Utf8ToWideStrict(bytes, text)) return normaliseBreaks(text);
    return normaliseBreaks(decodeBytes(bytes, CP_ACP));
  }
  return RtfReader(bytes).read();
}

std::string textToRtf(const std::wstring& text, const std::wstring& face) {
  std::string out = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil ";
  for (wchar_t ch : face) appendEscaped(out, ch);
  out += ";}}\\uc1\\pard\\f0 ";
  for (wchar_t ch : text) {
    if (ch == kBreak) {
      out += "\\par\n";
    } else if (ch == L'\t') {
      out += "\\tab ";
    } else {
      appendEscaped(out, ch);
    }
  }
  out += "}";
  return out;
}

}  // namespace richedit
