// Splitting texts into the framework's string arrays.
#pragma once

#include "core/SArray.h"
#include "core/SString.h"

namespace ORIEL {

// Appends the pieces of text between separators, dropping empty pieces
// (so ",x,,y" gives x and y); an empty text appends nothing. Returns the
// array's count.
template <class C, class Traits>
int SplitByChar(const TStringT<C, Traits>& text, C separator, SArray<TStringT<C, Traits>>& pieces) {
  const C* p = text.c_str();
  const int len = text.GetLength();
  int start = 0;
  for (int i = 0; i <= len; ++i) {
    if (i == len || p[i] == separator) {
      if (i > start) pieces.Add(TStringT<C, Traits>(p + start, i - start));
      start = i + 1;
    }
  }
  return pieces.GetCount();
}

// A resource name "type:name" gives the part before the first ':' and the
// part after it (either may be empty); a text without ':' (or an empty
// text) is appended whole. Returns the array's count.
int ParseResName(const SStringW& text, SStringWArray& parts);

}  // namespace ORIEL

using ORIEL::ParseResName;
using ORIEL::SplitByChar;
