#include "ini/IniDocument.h"

#include "ini/IniText.h"

namespace base::ini {

IniDocument::Line IniDocument::Classify(std::wstring text) {
  Line line;
  std::wstring_view trimmed = TrimBlanks(text);
  if (!trimmed.empty() && trimmed.front() == L'[') {
    size_t close = trimmed.rfind(L']');
    if (close != std::wstring_view::npos) {
      line.kind = Kind::kSection;
      line.name = std::wstring(TrimBlanks(trimmed.substr(1, close - 1)));
    }
  } else if (!trimmed.empty() && trimmed.front() != L';') {
    size_t eq = text.find(L'=');
    if (eq != std::wstring::npos) {
      line.kind = Kind::kKey;
      line.name = std::wstring(TrimBlanks(std::wstring_view(text).substr(0, eq)));
      line.valueAt = eq + 1;
    }
  }
  line.text = std::move(text);
  return line;
}

IniDocument IniDocument::Parse(std::wstring_view text) {
  IniDocument doc;
  size_t start = 0;
  while (start < text.size()) {
    size_t stop = text.find_first_of(L"\r\n", start);
    if (stop == std::wstring_view::npos) {
      doc.lines_.push_back(Classify(std::wstring(text.substr(start))));
      break;
    }
    doc.lines_.push_back(Classify(std::wstring(text.substr(start, stop - start))));
    start = stop + 1;
    if (text[stop] == L'\r' && start < text.size() && text[start] == L'\n') ++start;
  }
  return doc;
}

std::wstring IniDocument::Serialize() const {
  std::wstring out;
  for (const Line& line : lines_) {
    out += line.text;
    out += L"\r\n";
  }
  return out;
}

std::optional<IniDocument::Span> IniDocument::FindSection(std::wstring_view section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != Kind::kSection || !NamesEqual(lines_[i].name, TrimBlanks(section))) {
      continue;
    }
    size_t end = i + 1;
    while (end < lines_.size() && lines_[end].kind != Kind::kSection) ++end;
    return Span{i, i + 1, end};
  }
  return std::nullopt;
}

std::optional<size_t> IniDocument::FindKey(const Span& span, std::wstring_view key) const {
  for (size_t i = span.first; i < span.end; ++i) {
    if (lines_[i].kind == Kind::kKey && NamesEqual(lines_[i].name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::wstring> IniDocument::Find(std::wstring_view section,
                                              std::wstring_view key) const {
  std::optional<Span> span = FindSection(section);
  if (!span) return std::nullopt;
  std::optional<size_t> at = FindKey(*span, TrimBlanks(key));
  if (!at) return std::nullopt;
  const Line& line = lines_[*at];
  return std::wstring(ValueAsRead(std::wstring_view(line.text).substr(line.valueAt)));
}

std::vector<std::wstring> IniDocument::SectionNames() const {
  std::vector<std::wstring> names;
  for (const Line& line : lines_) {
    if (line.kind != Kind::kSection) continue;
    bool seen = false;
    for (const std::wstring& name : names) seen = seen || NamesEqual(name, line.name);
    if (!seen) names.push_back(line.name);
  }
  return names;
}

std::vector<std::wstring> IniDocument::KeyNames(std::wstring_view section) const {
  std::vector<std::wstring> names;
  std::optional<Span> span = FindSection(section);
  if (!span) return names;
  for (size_t i = span->first; i < span->end; ++i) {
    if (lines_[i].kind == Kind::kKey) names.push_back(lines_[i].name);
  }
  return names;
}

bool IniDocument::Set(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
  std::wstring_view name = TrimBlanks(key);
  std::optional<Span> span = FindSection(section);
  if (!span) {
    lines_.push_back(Classify(L"[" + std::wstring(TrimBlanks(section)) + L"]"));
    lines_.push_back(Classify(std::wstring(name) + L"=" + std::wstring(value)));
    return true;
  }
  if (std::optional<size_t> at = FindKey(*span, name)) {
    Line& line = lines_[*at];
    std::wstring text = line.name + L"=" + std::wstring(value);
    if (text == line.text) return false;
    lines_[*at] = Classify(std::move(text));
    return true;
  }
  size_t insertAt = span->first;
  for (size_t i = span->first; i < span->end; ++i) {
    if (!TrimBlanks(lines_[i].text).empty()) insertAt = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                Classify(std::wstring(name) + L"=" + std::wstring(value)));
  return true;
}

bool IniDocument::RemoveKey(std::wstring_view section, std::wstring_view key) {
  std::optional<Span> span = FindSection(section);
  if (!span) return false;
  std::optional<size_t> at = FindKey(*span, TrimBlanks(key));
  if (!at) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
  return true;
}

bool IniDocument::RemoveSection(std::wstring_view section) {
  std::optional<Span> span = FindSection(section);
  if (!span) return false;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(span->header),
               lines_.begin() + static_cast<std::ptrdiff_t>(span->end));
  return true;
}

}  // namespace base::ini
