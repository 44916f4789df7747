#include "logic/TimertaskInfo.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "base/CodePage.h"

namespace {

// Numbers in the C locale whatever the process's locale: a comma decimal
// separator must never reach the file.
std::string FormatG(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

// "inf" and "nan" read as numbers but are none a recording can use: the
// encoder turns the quality into an integer bit rate.
bool ParseReal(const char* text, double& out) {
  const char* end = text + std::strlen(text);
  double value = 0;
  auto result = std::from_chars(text, end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return false;
  out = value;
  return true;
}

template <class T>
bool ParseInteger(const char* text, T& out) {
  const char* end = text + std::strlen(text);
  auto result = std::from_chars(text, end, out);
  return result.ec == std::errc() && result.ptr == end;
}

void SetNumber(pugi::xml_node node, const char* name, long long value) {
  node.append_attribute(name).set_value(std::to_string(value).c_str());
}

}  // namespace

bool CTimertaskInfo::Save(pugi::xml_node parent) const {
  pugi::xml_node rec = parent.append_child("dataRec");
  rec.append_attribute("name").set_value(WStringToUtf8Ret(name.c_str()).c_str());
  pugi::xml_node d = rec.append_child("date");
  SetNumber(d, "year", date.start.wYear);
  SetNumber(d, "month", date.start.wMonth);
  SetNumber(d, "day", date.start.wDay);
  SetNumber(d, "hour", date.start.wHour);
  SetNumber(d, "minute", date.start.wMinute);
  SetNumber(d, "second", date.start.wSecond);
  // Every bit of the duration; a reader of 32 bits would cut long tasks.
  d.append_attribute("duration").set_value(std::to_string(static_cast<uint64_t>(date.duration)).c_str());
  d.append_attribute("everyday").set_value(date.IsEveryDay() ? "true" : "false");
  pugi::xml_node o = rec.append_child("outputArgument");
  SetNumber(o, "type", output.output_device);
  SetNumber(o, "format", output.output_format);
  o.append_attribute("quality").set_value(FormatG(output.output_quality).c_str());
  SetNumber(o, "samplerate", output.output_samplerate);
  SetNumber(o, "channelNum", output.output_channel);
  return true;
}

bool CTimertaskInfo::Load(pugi::xml_node node) {
  name = Utf8ToWStringRet(node.attribute("name").as_string()).c_str();
  pugi::xml_node d = node.child("date");
  date = CTimerDate();
  uint64_t duration = 0;
  if (!ParseInteger(d.attribute("duration").as_string("0"), duration)) duration = 0;
  date.duration = static_cast<int64_t>(duration);
  date.everyday = d.attribute("everyday").as_bool() ? 1 : 0;
  WORD* fields[] = {&date.start.wYear, &date.start.wMonth, &date.start.wDay,
                    &date.start.wHour, &date.start.wMinute, &date.start.wSecond};
  const char* names[] = {"year", "month", "day", "hour", "minute", "second"};
  for (int i = 0; i < 6; ++i) *fields[i] = static_cast<WORD>(d.attribute(names[i]).as_int());

  pugi::xml_node o = node.child("outputArgument");
  int number = 0;
  if (ParseInteger(o.attribute("type").as_string(""), number)) output.output_device = number;
  if (ParseInteger(o.attribute("format").as_string(""), number)) output.output_format = number;
  if (ParseInteger(o.attribute("samplerate").as_string(""), number) && number > 0) output.output_samplerate = number;
  if (ParseInteger(o.attribute("channelNum").as_string(""), number) && number > 0) output.output_channel = number;
  double quality = 0;
  if (ParseReal(o.attribute("quality").as_string(""), quality)) output.output_quality = quality;
  return date.IsValid();
}
