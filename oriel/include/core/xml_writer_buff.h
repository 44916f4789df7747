// Collects the XML text of a node written with pugixml in wide characters
// (encoding_wchar). The buffer grows with the text, so a long template is
// written whole.
#pragma once

#include <pugixml.hpp>

#include <string>

namespace ORIEL {

class xml_writer_buff : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override;
  // Zero-terminated after every write.
  const wchar_t* buffer() const { return text_.c_str(); }
  size_t size() const { return text_.size(); }

 private:
  std::wstring text_;
};

}  // namespace ORIEL
