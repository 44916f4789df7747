#include "core/SObject.h"

#include <cwchar>

#include "core/SStringConvert.h"
#include "core/SXml.h"
#include "win32/codepage.h"

namespace ORIEL {

SStringW ObjectAnsiToWide(const SStringA& text) { return ConvertA2W(text, CP_ACP); }

BOOL LoadXmlAttributes(IObject* obj, pugi::xml_node element) {
  if (!element) return FALSE;
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    if (XmlMark(element, a) != 0) continue;
    obj->ApplyAttribute(XmlText(a.name()), XmlText(a.value()), TRUE);
  }
  obj->OnXmlLoaded(element);
  return TRUE;
}

int ParseAttrInt(const SStringW& value) {
  const wchar_t* s = value.c_str();
  while (*s == L' ' || *s == L'\t') ++s;
  bool neg = false;
  if (*s == L'-' || *s == L'+') neg = *s++ == L'-';
  long v;
  if (s[0] == L'0' && (s[1] == L'x' || s[1] == L'X'))
    v = static_cast<long>(wcstoul(s + 2, nullptr, 16));
  else
    v = wcstol(s, nullptr, 10);
  return static_cast<int>(neg ? -v : v);
}

bool ParseAttrBool(const SStringW& value) {
  return !(value == L"0" || value.CompareNoCase(L"false") == 0);
}

bool ParseAttrFloat(const SStringW& value, float& out) {
  return swscanf(value.c_str(), L"%f", &out) == 1;
}

bool AttrNameIs(const SStringW& name, const wchar_t* expected) { return name.CompareNoCase(expected) == 0; }

}  // namespace ORIEL
