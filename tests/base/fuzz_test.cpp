// Random and mutated input for the parsers that read outside text: the JSON
// reader, the URL decoder and normaliser, and the command-line parser. Each
// case must end (no crash, no hang, no exception) with a defined result.
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/CmdLineParse.h"
#include "base/JsonReader.h"
#include "base/StringHelpers.h"
#include "base/UrlCoding.h"

namespace {

constexpr int kCases = 4000;

class Fuzz {
 public:
  explicit Fuzz(uint32_t seed) : rng_(seed) {}

  size_t Below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

  std::string Bytes(size_t maxLength) {
    std::string s(Below(maxLength + 1), '\0');
    for (char& c : s) c = static_cast<char>(Below(256));
    return s;
  }

  // A sample with a few bytes replaced, inserted, removed or repeated.
  std::string Mutate(const std::string& sample, const std::string& alphabet) {
    std::string s = sample;
    for (size_t edits = 1 + Below(6); edits > 0; --edits) {
      size_t pos = s.empty() ? 0 : Below(s.size() + 1);
      char c = Below(4) == 0 ? static_cast<char>(Below(256)) : alphabet[Below(alphabet.size())];
      switch (Below(4)) {
        case 0: if (pos < s.size()) s[pos] = c; break;
        case 1: s.insert(pos, 1, c); break;
        case 2: if (pos < s.size()) s.erase(pos, 1); break;
        default: s.insert(pos, s.substr(pos, Below(16))); break;
      }
    }
    return s;
  }

  std::wstring Wide(const std::string& alphabet, size_t maxLength) {
    std::wstring s;
    for (size_t n = Below(maxLength + 1); n > 0; --n) {
      switch (Below(4)) {
        case 0: s += static_cast<wchar_t>(Below(0x80)); break;
        case 1: s += static_cast<wchar_t>(0x4E00 + Below(0x5000)); break;  // CJK
        case 2: s += static_cast<wchar_t>(Below(0x110000)); break;
        default: s += static_cast<wchar_t>(alphabet[Below(alphabet.size())]); break;
      }
    }
    return s;
  }

 private:
  std::mt19937 rng_;
};

TEST(FuzzJsonReader, RandomAndMutatedTextsGiveADefinedResult) {
  Fuzz fuzz(20261210);
  const std::vector<std::string> samples = {
      R"({"code":-1,"msg":"成功","data":{"a":[1,2]},"ok":true,"r":1.5e10})",
      R"({"a":"\u4e2d\ud83c\udfb5","b":null,"c":"esc\"aped\\"})",
      R"([{"x":1},{"y":[[[[]]]]}])", "null", R"({"big":18446744073709551616})"};
  const std::string alphabet = "{}[]\":,-+.eE0123456789tfnul\\ ";
  for (int i = 0; i < kCases; ++i) {
    std::string text = i % 2 ? fuzz.Bytes(200) : fuzz.Mutate(samples[fuzz.Below(samples.size())], alphabet);
    CJsonCppReader reader;
    std::map<std::string, std::string> members;
    bool ok = false;
    ASSERT_NO_THROW(ok = reader.parse(text, members)) << text;
    if (!ok && members.empty() && reader.GetParseError().empty()) {
      // Refused without a parse error: the text was JSON, and its first
      // member could not be flattened, or the top-level value was wrong.
      Json::Value root;
      std::string error;
      Json::CharReaderBuilder builder;
      std::unique_ptr<Json::CharReader> plain(builder.newCharReader());
      ASSERT_TRUE(plain->parse(text.data(), text.data() + text.size(), &root, &error)) << text;
      ASSERT_TRUE(root.isObject()) << text;
    }
    if (ok) {
      for (const auto& [name, value] : members) {
        ASSERT_NE(value, "jcr_value_array");
        ASSERT_NE(value, "jcr_value_object");
      }
    }
  }
}

TEST(FuzzUrlDecoding, RandomAndMutatedUrlsGiveADefinedResult) {
  Fuzz fuzz(1101);
  const std::vector<std::string> samples = {
      "http://h/%E4%B8%AD%e6%96%87?a=1&b=%2F+x", "%F0%9F%8E%B5%", "a+b%zz%4%%41",
      "http://h/\xD6\xD0\xCE\xC4/\xE4\xB8\xAD"};
  const std::string alphabet = "%+0123456789ABCDEFabcdef/?&=:#";
  for (int i = 0; i < kCases; ++i) {
    std::string text = i % 2 ? fuzz.Bytes(120) : fuzz.Mutate(samples[fuzz.Below(samples.size())], alphabet);
    std::string decoded = UrlDecode(text);
    // Decoding only ever shortens: an escape of three bytes becomes one.
    ASSERT_LE(decoded.size(), text.size());
    std::string normal = NormalizeUrlEncoding(text);
    // Everything left is a kept character or a complete escape.
    for (size_t k = 0; k < normal.size(); ++k) {
      unsigned char c = static_cast<unsigned char>(normal[k]);
      if (c == '%') {
        ASSERT_LT(k + 2, normal.size()) << normal;
        ASSERT_TRUE(isxdigit(normal[k + 1]) && isxdigit(normal[k + 2])) << normal;
      } else {
        ASSERT_TRUE(isalnum(c) || strchr(".-_*/:?&=+", c)) << normal;
      }
    }
    // Normalising is stable: a second pass changes nothing.
    ASSERT_EQ(NormalizeUrlEncoding(normal), normal) << text;
    // Strict encoding reads back through the decoder's escapes.
    ASSERT_EQ(UrlEncode(text, false).find_first_not_of(
                  "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.-_*%+"),
              std::string::npos);
  }
}

TEST(FuzzCmdLineParser, RandomAndMutatedLinesGiveADefinedResult) {
  Fuzz fuzz(118);
  const std::string alphabet = "/=\"\\ \tab";
  for (int i = 0; i < kCases; ++i) {
    std::wstring text = fuzz.Wide(alphabet, 80);
    CCmdLineParse cmd;
    bool ok = cmd.parseCmdLine(text);
    if (ok) {
      ASSERT_FALSE(cmd.values().empty());
      for (const auto& [key, value] : cmd.values()) {
        ASSERT_GE(key.size(), 2u);
        ASSERT_EQ(key[0], L'/');
      }
    } else {
      ASSERT_TRUE(cmd.values().empty());
      ASSERT_EQ(std::wstring(cmd.getLastError()).rfind(L"Err:", 0), 0u);
    }

    // Whatever the value, the builder's text reads back to it.
    CCmdLineParse builder;
    std::wstring value = fuzz.Wide(alphabet, 30);
    builder.setValue(L"/v", value);
    builder.setValue(L"/w", L"end");
    std::wstring line;
    ASSERT_TRUE(builder.toCmdLine(line));
    CCmdLineParse reader;
    ASSERT_TRUE(reader.parseCmdLine(line)) << reader.getLastError();
    std::wstring back;
    ASSERT_TRUE(reader.getValue(L"/v", back));
    ASSERT_EQ(back, value);
    ASSERT_TRUE(reader.getValue(L"/w", back));
    ASSERT_EQ(back, L"end");
  }
}

}  // namespace
