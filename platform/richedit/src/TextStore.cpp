#include "TextStore.h"

#include <algorithm>

namespace richedit {

TextStore::TextStore() : paragraphs_(1) { rebuildStarts(); }

void TextStore::rebuildStarts() {
  std::vector<long> lengths;
  lengths.reserve(paragraphs_.size());
  for (const auto& p : paragraphs_) lengths.push_back(static_cast<long>(p.size()) + 1);
  starts_.assign(lengths);
}

wchar_t TextStore::at(long pos) const {
  const size_t i = paragraphAt(pos);
  const long offset = pos - paragraphStart(i);
  if (offset >= static_cast<long>(paragraphs_[i].size())) return kBreak;
  return paragraphs_[i][static_cast<size_t>(offset)];
}

std::wstring TextStore::slice(long start, long end) const {
  std::wstring out;
  start = std::clamp(start, 0L, length());
  end = std::clamp(end, start, length());
  if (start == end) return out;
  size_t i = paragraphAt(start);
  long offset = start - paragraphStart(i);
  long left = end - start;
  while (left > 0) {
    const std::wstring& p = paragraphs_[i];
    const long take = std::min(left, static_cast<long>(p.size()) - offset);
    out.append(p, static_cast<size_t>(offset), static_cast<size_t>(take));
    left -= take;
    if (left > 0) {
      out.push_back(kBreak);
      --left;
    }
    ++i;
    offset = 0;
  }
  return out;
}

std::wstring TextStore::withCrLf() const {
  std::wstring out;
  out.reserve(static_cast<size_t>(crLfLength()));
  for (size_t i = 0; i < paragraphs_.size(); ++i) {
    if (i) out += L"\r\n";
    out += paragraphs_[i];
  }
  return out;
}

TextStore::Change TextStore::replace(long start, long end, const std::wstring& text) {
  start = std::clamp(start, 0L, length());
  end = std::clamp(end, start, length());
  Change change;
  const size_t first = paragraphAt(start);
  const size_t last = paragraphAt(end);
  change.firstParagraph = first;
  change.removedBreaks = last - first;
  const std::wstring head = paragraphs_[first].substr(0, static_cast<size_t>(start - paragraphStart(first)));
  const std::wstring tail = paragraphs_[last].substr(static_cast<size_t>(end - paragraphStart(last)));
  std::vector<std::wstring> pieces;
  std::wstring current = head;
  for (wchar_t ch : text) {
    if (ch == kBreak) {
      pieces.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(ch);
    }
  }
  current += tail;
  pieces.push_back(std::move(current));
  change.insertedBreaks = pieces.size() - 1;
  if (change.removedBreaks == 0 && change.insertedBreaks == 0) {
    // The common keystroke: one paragraph changes length.
    paragraphs_[first] = std::move(pieces.front());
    starts_.set(first, static_cast<long>(paragraphs_[first].size()) + 1);
    return change;
  }
  paragraphs_.erase(paragraphs_.begin() + static_cast<long>(first), paragraphs_.begin() + static_cast<long>(last) + 1);
  paragraphs_.insert(paragraphs_.begin() + static_cast<long>(first), pieces.begin(), pieces.end());
  rebuildStarts();
  return change;
}

std::wstring normaliseBreaks(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t ch = text[i];
    if (ch == L'\r') {
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      out.push_back(kBreak);
    } else if (ch == L'\n') {
      out.push_back(kBreak);
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

std::wstring firstLineOf(const std::wstring& text) {
  const size_t at = text.find(kBreak);
  return at == std::wstring::npos ? text : text.substr(0, at);
}

}  // namespace richedit
