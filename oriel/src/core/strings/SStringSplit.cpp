#include "core/SStringSplit.h"

namespace ORIEL {

int ParseResName(const SStringW& text, SStringWArray& parts) {
  const int colon = text.Find(L':');
  if (text.IsEmpty() || colon < 0) {
    parts.Add(text);
  } else {
    parts.Add(text.Left(colon));
    parts.Add(text.Mid(colon + 1));
  }
  return parts.GetCount();
}

}  // namespace ORIEL
