#include <json/writer.h>

#include "online/UsageEvents.h"

std::string CCodeData::ToString() {
  Json::Value record = ToValue();
  if (record.isNull()) record = Json::Value(Json::objectValue);
  Json::Value details = m_ext.ToValue();
  record["ext_data"] = details.isNull() ? Json::Value(Json::objectValue) : details;
  // emitUTF8 off: jsoncpp writes everything outside ASCII as lower-case
  // \u escapes, the form the usage service reads.
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  writer["emitUTF8"] = false;
  return Json::writeString(writer, record);
}
