#include "core/xml_writer_buff.h"

namespace ORIEL {

void xml_writer_buff::write(const void* data, size_t size) {
  text_.append(static_cast<const wchar_t*>(data), size / sizeof(wchar_t));
}

}  // namespace ORIEL
