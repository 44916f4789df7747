#include "core/SXml.h"

#include <mutex>
#include <strings.h>

#include "core/SStringConvert.h"
#include "core/xml_writer_buff.h"
#include "win32/codepage.h"

namespace ORIEL {
namespace {

std::mutex g_docsMutex;
std::unordered_map<const void*, SXmlDoc*>& Docs() {
  static std::unordered_map<const void*, SXmlDoc*> docs;
  return docs;
}

bool EqualNoCase(const char* a, const wchar_t* b) {
  for (;; ++a, ++b) {
    wchar_t ca = static_cast<unsigned char>(*a), cb = *b;
    if (ca >= 'A' && ca <= 'Z') ca += 32;
    if (cb >= 'A' && cb <= 'Z') cb += 32;
    if (ca != cb) return false;
    if (!ca) return true;
  }
}

}  // namespace

SXmlDoc::SXmlDoc() {
  std::lock_guard<std::mutex> lock(g_docsMutex);
  Docs()[internal_object()] = this;
}

SXmlDoc::~SXmlDoc() {
  std::lock_guard<std::mutex> lock(g_docsMutex);
  Docs().erase(internal_object());
}

bool SXmlDoc::LoadBuffer(const void* data, size_t size) {
  marks_.clear();
  return load_buffer(data, size, pugi::parse_default, pugi::encoding_utf8);
}

bool SXmlDoc::LoadFile(const wchar_t* path) {
  marks_.clear();
  SStringA utf8 = ConvertW2A(SStringW(path), CP_UTF8);
  return load_file(utf8.c_str(), pugi::parse_default, pugi::encoding_utf8);
}

SXmlDoc* SXmlDoc::Of(pugi::xml_node node) {
  if (!node) return nullptr;
  std::lock_guard<std::mutex> lock(g_docsMutex);
  auto it = Docs().find(node.root().internal_object());
  return it == Docs().end() ? nullptr : it->second;
}

int SXmlDoc::Mark(const void* item) const {
  auto it = marks_.find(item);
  return it == marks_.end() ? 0 : it->second;
}

void SXmlDoc::SetMark(const void* item, int mark) {
  if (mark == 0)
    marks_.erase(item);
  else
    marks_[item] = mark;
}

bool XmlNameIs(const char* xmlName, const wchar_t* name) { return EqualNoCase(xmlName ? xmlName : "", name); }

pugi::xml_node XmlChild(pugi::xml_node node, const wchar_t* name) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && EqualNoCase(c.name(), name)) return c;
  }
  return pugi::xml_node();
}

pugi::xml_node XmlChild(pugi::xml_node node, const char* name) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
    if (c.type() == pugi::node_element && strcasecmp(c.name(), name) == 0) return c;
  }
  return pugi::xml_node();
}

pugi::xml_attribute XmlAttr(pugi::xml_node node, const wchar_t* name) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    if (EqualNoCase(a.name(), name)) return a;
  }
  return pugi::xml_attribute();
}

pugi::xml_attribute XmlAttr(pugi::xml_node node, const char* name) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    if (strcasecmp(a.name(), name) == 0) return a;
  }
  return pugi::xml_attribute();
}

int XmlMark(pugi::xml_node owner, pugi::xml_attribute attr) {
  SXmlDoc* doc = SXmlDoc::Of(owner);
  return doc && attr ? doc->Mark(attr.internal_object()) : 0;
}

void XmlSetMark(pugi::xml_node owner, pugi::xml_attribute attr, int mark) {
  SXmlDoc* doc = SXmlDoc::Of(owner);
  if (doc && attr) doc->SetMark(attr.internal_object(), mark);
}

int XmlMark(pugi::xml_node element) {
  SXmlDoc* doc = SXmlDoc::Of(element);
  return doc ? doc->Mark(element.internal_object()) : 0;
}

void XmlSetMark(pugi::xml_node element, int mark) {
  SXmlDoc* doc = SXmlDoc::Of(element);
  if (doc) doc->SetMark(element.internal_object(), mark);
}

SStringW XmlText(const char* utf8) {
  if (!utf8 || !*utf8) return SStringW();
  return ConvertA2W(SStringA(utf8), CP_UTF8);
}

SStringA XmlUtf8(const SStringW& text) { return ConvertW2A(text, CP_UTF8); }

SStringW XmlToString(pugi::xml_node node, const char* indent) {
  xml_writer_buff out;
  node.print(out, indent, pugi::format_default, pugi::encoding_wchar);
  return SStringW(out.buffer(), static_cast<int>(out.size()));
}

}  // namespace ORIEL
