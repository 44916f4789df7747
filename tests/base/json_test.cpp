// The JSON builder, data store and reader over jsoncpp.
#include <json/value.h>

#include <map>
#include <stdexcept>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

#include "base/JsonBuilder.h"
#include "base/JsonData.h"
#include "base/JsonReader.h"

namespace {

TEST(JsonBuilder, WritesOneCompactLineInKeyOrder) {
  CjJsonCpp json;
  json.SetString(L"b", L"2");
  json.SetString(L"a", L"1");
  json.AppendString(L"list", L"x");
  json.AppendString(L"list", L"y");
  EXPECT_EQ(json.ToString(), R"({"a":"1","b":"2","list":["x","y"]})");
}

TEST(JsonBuilder, NestedObjectsArraysAndEmptyObjects) {
  CjJsonCpp inner;
  inner.SetString(L"k", L"v");
  CjJsonCpp json;
  json.SetObject(L"d", inner);
  json.SetObject(L"e", CjJsonCpp());
  json.SetObjectArray(L"rows", {inner, inner});
  EXPECT_EQ(json.ToString(), R"({"d":{"k":"v"},"e":null,"rows":[{"k":"v"},{"k":"v"}]})");
  EXPECT_EQ(CjJsonCpp().ToString(), "null");
}

TEST(JsonBuilder, ChineseTextStaysUtf8AndSpecialCharactersAreEscaped) {
  CjJsonCpp json;
  json.SetString(L"名", L"录音\"\\\n");
  EXPECT_EQ(json.ToString(), "{\"\xE5\x90\x8D\":\"\xE5\xBD\x95\xE9\x9F\xB3\\\"\\\\\\n\"}");
  EXPECT_EQ(json.ToWString(), L"{\"名\":\"录音\\\"\\\\\\n\"}");
}

TEST(JsonBuilder, KeyInTwoContainersTakesTheLaterStepWithoutFailing) {
  CjJsonCpp object;
  object.SetString(L"z", L"1");
  CjJsonCpp json;
  json.SetString(L"k", L"text");
  json.AppendString(L"k", L"item");   // the array replaces the text
  json.SetObject(L"o", object);
  json.SetObjectArray(L"o", {object});  // likewise for an object
  json.SetStringArray(L"s", {L"a"});
  json.SetObjectArray(L"s", {object});  // appended to the text array
  EXPECT_EQ(json.ToString(), R"({"k":["item"],"o":[{"z":"1"}],"s":["a",{"z":"1"}]})");
}

class EventRecord : public CjJsonCpp {
 public:
  std::string ToString() override { return "{\"derived\":true}"; }
};

TEST(JsonBuilder, WideTextComesFromTheDerivedWriter) {
  EventRecord record;
  record.SetString(L"a", L"1");
  EXPECT_EQ(record.ToWString(), L"{\"derived\":true}");
}

TEST(JsonBuilder, CopiesAreDeepAndSelfAssignmentKeepsTheObject) {
  CjJsonCpp json;
  json.ObjectAt(L"n").SetString(L"k", L"1");
  CjJsonCpp copy(json);
  json.ObjectAt(L"n").SetString(L"k", L"2");
  EXPECT_EQ(copy.ToString(), R"({"n":{"k":"1"}})");
  copy.Assign(copy);
  EXPECT_EQ(copy.ToString(), R"({"n":{"k":"1"}})");
  copy = json;
  EXPECT_EQ(copy.ToString(), R"({"n":{"k":"2"}})");
}

TEST(JsonData, WritesEveryContainer) {
  EXPECT_EQ(CJsonCppData().toString(), L"");
  CJsonCppData data;
  data.SetRecord(L"empty", {});
  data.SetRecord(L"rec", {{L"x", L"1"}});
  data.SetText(L"t", L"文本");
  data.AddToTextList(L"tl", L"a");
  data.AddToRecordList(L"rl", {});
  data.AddToRecordList(L"rl", {{L"y", L"2"}});
  EXPECT_EQ(data.toString(),
            L"{\"empty\":[],\"rec\":{\"x\":\"1\"},\"rl\":[{\"y\":\"2\"}],\"t\":\"文本\",\"tl\":[\"a\"]}");
}

TEST(JsonData, RowsMakeAnArrayAndCannotBeMixedWithMembers) {
  CJsonCppData rows;
  rows.AddRow({{L"a", L"1"}});
  rows.AddRow({});
  rows.AddRow({{L"b", L"2"}});
  EXPECT_EQ(rows.toString(), L"[{\"a\":\"1\"},{\"b\":\"2\"}]");

  CJsonCppData mixed;
  mixed.SetText(L"t", L"x");
  mixed.AddRow({{L"a", L"1"}});
  EXPECT_EQ(mixed.toString(), L"");
}

struct ParseCase {
  const char* name;
  const char* text;
  bool ok;
  std::map<std::string, std::string> members;
};

class JsonReaderParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(JsonReaderParse, FlattensTopLevelMembers) {
  const ParseCase& c = GetParam();
  CJsonCppReader reader;
  std::map<std::string, std::string> out;
  EXPECT_EQ(reader.parse(c.text, out), c.ok);
  EXPECT_EQ(out, c.members);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonReaderParse,
    ::testing::Values(
        ParseCase{"Null", "null", true, {}},
        ParseCase{"Scalars", R"({"s":"文本","t":true,"f":false,"n":null,"i":7,"r":2.5})", true,
                  {{"s", "文本"}, {"t", "1"}, {"f", "0"}, {"n", "null"}, {"i", "7"}, {"r", "2.5"}}},
        ParseCase{"NegativeCode", R"({"code":-1})", true, {{"code", "-1"}}},
        ParseCase{"SixtyFourBit", R"({"big":9007199254740993,"neg":-9223372036854775808,"u":18446744073709551615})",
                  true, {{"big", "9007199254740993"}, {"neg", "-9223372036854775808"}, {"u", "18446744073709551615"}}},
        ParseCase{"FullPrecisionReal", R"({"pi":3.141592653589793,"tiny":1e-300})", true,
                  {{"pi", "3.141592653589793"}, {"tiny", "1e-300"}}},
        // Members are read in name order; the array stops the walk.
        ParseCase{"StopsAtArray", R"({"a":"1","c":"3","b":[1]})", false, {{"a", "1"}}},
        ParseCase{"StopsAtObject", R"({"z":{},"a":"1"})", false, {{"a", "1"}}},
        ParseCase{"NotJson", "{\"a\":", false, {}},
        ParseCase{"TopLevelArray", "[1,2]", false, {}},
        ParseCase{"TopLevelNumber", "42", false, {}},
        ParseCase{"Empty", "", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The reader owns its jsoncpp reader: a copy would free it a second time.
static_assert(!std::is_copy_constructible_v<CJsonCppReader> &&
              !std::is_copy_assignable_v<CJsonCppReader>);

TEST(JsonReader, ReleaseDropsTheReaderOnlyOnce) {
  CJsonCppReader reader;
  EXPECT_NE(reader.GetReader(), nullptr);
  EXPECT_TRUE(reader.Release());
  EXPECT_EQ(reader.GetReader(), nullptr);
  EXPECT_TRUE(reader.Release());
  std::map<std::string, std::string> out;
  EXPECT_TRUE(reader.parse(R"({"a":1})", out));  // parsing never needed the kept reader
}

TEST(JsonReader, TooDeepNestingIsAnErrorNotACrash) {
  std::string deep = "{\"a\":" + std::string(5000, '[') + std::string(5000, ']') + "}";
  CJsonCppReader reader;
  std::map<std::string, std::string> out;
  EXPECT_FALSE(reader.parse(deep, out));
  EXPECT_FALSE(reader.GetParseError().empty());
}

TEST(JsonReader, ValueToStringTable) {
  struct Case {
    Json::Value value;
    const char* text;
    bool ok;
  } cases[] = {
      {Json::Value(), "null", true},
      {Json::Value(true), "1", true},
      {Json::Value(2.5), "2.5", true},
      {Json::Value(0.1), "0.1", true},
      {Json::Value(Json::Int64(-5)), "-5", true},
      {Json::Value(Json::UInt64(4294967296ULL)), "4294967296", true},
      {Json::Value("x"), "x", true},
      {Json::Value(Json::arrayValue), "jcr_value_array", false},
      {Json::Value(Json::objectValue), "jcr_value_object", false},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(CJsonCppReader::valueToString(c.value, out), c.ok) << c.text;
    EXPECT_EQ(out, c.text);
  }
}

TEST(JsonReader, CheckMemberThrowsItsMessages) {
  Json::Value object(Json::objectValue);
  object["k"] = 1;
  EXPECT_NO_THROW(CJsonCppReader::checkMember(object, "k"));
  try {
    CJsonCppReader::checkMember(Json::Value(1), "k");
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Error:json 不是对象");
  }
  try {
    CJsonCppReader::checkMember(object, "missing");
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Error:json对象key不存在\r\nmissing");
  }
}

}  // namespace
