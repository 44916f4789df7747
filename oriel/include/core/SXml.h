// The framework's access layer over pugixml. Every lookup of a child
// element or an attribute by name ignores case, and every element and
// attribute of a document made as an SXmlDoc carries one integer mark
// (0 at first) that the framework sets and clears; the marks live in a side
// table owned with the document.
#pragma once

#include <pugixml.hpp>

#include <unordered_map>

#include "core/SString.h"

namespace ORIEL {

class SXmlDoc : public pugi::xml_document {
 public:
  SXmlDoc();
  ~SXmlDoc();
  SXmlDoc(const SXmlDoc&) = delete;
  SXmlDoc& operator=(const SXmlDoc&) = delete;

  // Parses UTF-8 text with the library's default options; marks are reset.
  bool LoadBuffer(const void* data, size_t size);
  // Parses a file (UTF-8 path); marks are reset.
  bool LoadFile(const wchar_t* path);

  // The document an element or attribute belongs to, when it is an SXmlDoc.
  static SXmlDoc* Of(pugi::xml_node node);

  int Mark(const void* item) const;
  void SetMark(const void* item, int mark);

 private:
  std::unordered_map<const void*, int> marks_;
};

// Case-insensitive lookups (ASCII letters; names are compared whole).
pugi::xml_node XmlChild(pugi::xml_node node, const wchar_t* name);
pugi::xml_node XmlChild(pugi::xml_node node, const char* name);
pugi::xml_attribute XmlAttr(pugi::xml_node node, const wchar_t* name);
pugi::xml_attribute XmlAttr(pugi::xml_node node, const char* name);
bool XmlNameIs(const char* xmlName, const wchar_t* name);

// The mark of an attribute of `owner`, or of an element; 0 outside an SXmlDoc.
int XmlMark(pugi::xml_node owner, pugi::xml_attribute attr);
void XmlSetMark(pugi::xml_node owner, pugi::xml_attribute attr, int mark);
int XmlMark(pugi::xml_node element);
void XmlSetMark(pugi::xml_node element, int mark);

// Texts between the XML (UTF-8) and the framework's wide strings.
SStringW XmlText(const char* utf8);
SStringA XmlUtf8(const SStringW& text);
inline SStringW XmlName(pugi::xml_node node) { return XmlText(node.name()); }
inline SStringW XmlValue(pugi::xml_attribute attr) { return XmlText(attr.value()); }

// The node and its subtree written out as XML text with `indent`.
SStringW XmlToString(pugi::xml_node node, const char* indent);

}  // namespace ORIEL
