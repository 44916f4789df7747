// The text as paragraphs. A position counts code points, and a line break
// between two paragraphs is one position. Edits report which paragraphs
// they touched so that only those are laid out again.
#pragma once

#include <string>
#include <vector>

#include "PrefixSums.h"

namespace richedit {

// The stored break character: WM_GETTEXT writes "\r\n" for it.
constexpr wchar_t kBreak = L'\r';

class TextStore {
 public:
  TextStore();

  long length() const { return starts_.total() - 1; }
  size_t paragraphCount() const { return paragraphs_.size(); }
  const std::wstring& paragraph(size_t i) const { return paragraphs_[i]; }
  long paragraphStart(size_t i) const { return starts_.prefix(i); }
  // The paragraph holding `pos` (a position at a paragraph's end belongs to it).
  size_t paragraphAt(long pos) const { return starts_.find(pos); }

  // The text from `start` to `end` with kBreak for each break.
  std::wstring slice(long start, long end) const;
  std::wstring all() const { return slice(0, length()); }
  // The text as WM_GETTEXT gives it, "\r\n" for each break.
  std::wstring withCrLf() const;
  long crLfLength() const { return length() + static_cast<long>(paragraphs_.size()) - 1; }
  wchar_t at(long pos) const;

  // Replaces [start, end) by `text` (breaks as kBreak). Answers the first
  // paragraph touched; paragraphs after it up to `firstTouched +
  // insertedBreaks` are new or changed, `removedBreaks` were merged away.
  struct Change {
    size_t firstParagraph = 0;
    size_t removedBreaks = 0;
    size_t insertedBreaks = 0;
  };
  Change replace(long start, long end, const std::wstring& text);

 private:
  void rebuildStarts();

  std::vector<std::wstring> paragraphs_;
  PrefixSums starts_;  // paragraph length + 1 each
};

// Turns "\r\n", "\n" and "\r" into kBreak.
std::wstring normaliseBreaks(const std::wstring& text);
// The text up to its first break.
std::wstring firstLineOf(const std::wstring& text);

}  // namespace richedit
