// Tables of named values (colours, strings, dimensions, window ids), kept
// sorted by name for binary search, and the value syntaxes.
#pragma once

#include <pugixml.hpp>

#include <algorithm>
#include <cwchar>

#include "core/SArray.h"
#include "core/SLayoutSize.h"
#include "core/SString.h"
#include "core/SXml.h"
#include "win32/types.h"

namespace ORIEL {

// Names hold at most 49 characters (a 50-character copy limit with the
// terminator) in a field of 52; longer names are never stored or found.
constexpr int kNamedValueField = 52;
constexpr int kNamedValueMaxName = 49;

struct SNamedIdRecord {
  wchar_t name[kNamedValueField];
  int id;
};

// Colour syntax: "#rrggbb[aa]" (groups of up to two hex digits), "rgb(r,g,b)",
// "rgba(r,g,b,a)", any case. False when fewer than three numbers are read.
bool ParseColor(const SStringW& text, COLORREF& out);

struct SColorParser {
  static bool Parse(const SStringW& text, COLORREF& out) { return ParseColor(text, out); }
};
struct SStringParser {
  static bool Parse(const SStringW& text, SStringW& out) {
    out = text;
    return true;
  }
};
struct SDimensionParser {
  static bool Parse(const SStringW& text, SLayoutSize& out) {
    out = SLayoutSize::FromString(text);
    return true;
  }
};
struct SIntParser {
  static bool Parse(const SStringW& text, int& out);
};

template <class T, class Parser>
class SNamedValue {
 public:
  struct Entry {
    wchar_t name[kNamedValueField];
    T value;
  };
  virtual ~SNamedValue() = default;

  // Every child element makes one entry (its name, its "value" attribute
  // parsed); the table is then sorted. 0 for an empty node.
  virtual int Init(pugi::xml_node node) {
    if (!node) return 0;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      const SStringW name = XmlName(c);
      if (name.GetLength() > kNamedValueMaxName) continue;
      Entry e{};
      if (!Parser::Parse(XmlValue(XmlAttr(c, L"value")), e.value)) continue;
      wcsncpy(e.name, name.c_str(), kNamedValueMaxName);
      items_.Add(e);
    }
    Sort();
    return 1;
  }
  void SetItems(const Entry* entries, int count, bool sorted) {
    items_.RemoveAll();
    for (int i = 0; i < count; ++i) items_.Add(entries[i]);
    if (!sorted) Sort();
  }
  // The entry of `name` (exact case); null for a miss or a name too long.
  const T* Find(const SStringW& name) const {
    if (name.GetLength() > kNamedValueMaxName || items_.IsEmpty()) return nullptr;
    const Entry* first = items_.GetData();
    const Entry* last = first + items_.GetCount();
    const Entry* it = std::lower_bound(first, last, name.c_str(),
                                       [](const Entry& e, const wchar_t* key) { return wcscmp(e.name, key) < 0; });
    if (it == last || wcscmp(it->name, name.c_str()) != 0) return nullptr;
    return &it->value;
  }
  int GetCount() const { return items_.GetCount(); }

 private:
  void Sort() {
    Entry* data = items_.GetData();
    std::stable_sort(data, data + items_.GetCount(),
                     [](const Entry& a, const Entry& b) { return wcscmp(a.name, b.name) < 0; });
  }
  SArray<Entry> items_;
};

using SNamedColor = SNamedValue<COLORREF, SColorParser>;
using SNamedString = SNamedValue<SStringW, SStringParser>;
using SNamedDimension = SNamedValue<SLayoutSize, SDimensionParser>;
using SNamedID = SNamedValue<int, SIntParser>;

}  // namespace ORIEL
