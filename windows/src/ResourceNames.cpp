#include "windows/ResourceNames.h"

#include "core/SApplication.h"

constexpr ORIEL::SNamedIdRecord kNamedIdTable[kNamedIdCount] = {
#define QUORVALE_UI_NAME_RECORD(name, id) {L"" #name, id},
    QUORVALE_NAMED_IDS(QUORVALE_UI_NAME_RECORD)
#undef QUORVALE_UI_NAME_RECORD
};

// Constant data: the table points into the records at compile time, so no
// initialiser has to run before an event map reads it.
constexpr const wchar_t* kElementNames[kNamedIdCount] = {
#define QUORVALE_UI_NAME_POINTER(element, id) kNamedIdTable[static_cast<int>(UiName::element)].name,
    QUORVALE_NAMED_IDS(QUORVALE_UI_NAME_POINTER)
#undef QUORVALE_UI_NAME_POINTER
};

namespace {

constexpr int CompareUnits(const wchar_t* a, const wchar_t* b) {
  for (;; ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
    if (*a == 0) return 0;
  }
}

constexpr int Length(const wchar_t* s) {
  int n = 0;
  while (s[n]) ++n;
  return n;
}

// The framework finds names by binary search, and a name longer than its
// record would be cut short: a table out of order, with a duplicate or with
// a name too long fails the build rather than a lookup.
constexpr bool TableIsWellFormed() {
  for (int i = 0; i < kNamedIdCount; ++i) {
    if (Length(kNamedIdTable[i].name) > kNamedIdMaxName) return false;
    if (i > 0 && CompareUnits(kNamedIdTable[i - 1].name, kNamedIdTable[i].name) >= 0) return false;
  }
  return true;
}
static_assert(TableIsWellFormed(), "named ids must be unique, in code-unit order and fit their records");

}  // namespace

bool IsElementName(const wchar_t* text, UiName name) {
  return text != nullptr && CompareUnits(text, ElementName(name)) == 0;
}

void InstallNamedIdTable(ORIEL::SApplication& app) { app.LoadNamedIdTable(kNamedIdTable, kNamedIdCount, true); }
