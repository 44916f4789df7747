// The lines of one INI file and the edits the profile functions make.
//
// Every line is kept as it was read, so comments, blank lines and keys of
// other sections survive a write untouched. Only the first section of a
// name and the first key of a name in it are seen, as the Windows profile
// functions do.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace base::ini {

class IniDocument {
 public:
  // Splits text at CR LF, LF or a lone CR.
  static IniDocument Parse(std::wstring_view text);
  // Every line followed by CR LF.
  std::wstring Serialize() const;

  // The value as readers see it (trimmed, quotes removed); nullopt when the
  // section or the key is missing.
  std::optional<std::wstring> Find(std::wstring_view section, std::wstring_view key) const;
  std::vector<std::wstring> SectionNames() const;
  // Empty when the section is missing.
  std::vector<std::wstring> KeyNames(std::wstring_view section) const;

  // Updates the key in place (keeping its spelling) or adds it after the
  // last non-blank line of its section; a missing section is added at the
  // end of the file. Returns whether the text changed.
  bool Set(std::wstring_view section, std::wstring_view key, std::wstring_view value);
  // Both return whether something was removed.
  bool RemoveKey(std::wstring_view section, std::wstring_view key);
  // Removes the header and every line up to the next section.
  bool RemoveSection(std::wstring_view section);

 private:
  enum class Kind { kOther, kSection, kKey };
  struct Line {
    std::wstring text;
    Kind kind = Kind::kOther;
    std::wstring name;   // section or key name, trimmed
    size_t valueAt = 0;  // for a key: index just after the '='
  };
  static Line Classify(std::wstring text);
  // [first, end) of the section's body; nullopt when missing.
  struct Span {
    size_t header;
    size_t first;
    size_t end;
  };
  std::optional<Span> FindSection(std::wstring_view section) const;
  std::optional<size_t> FindKey(const Span& span, std::wstring_view key) const;

  std::vector<Line> lines_;
};

}  // namespace base::ini
