// The last-error base, its growable text buffer and the wide formatter.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdint>
#include <ostream>
#include <string>

#include "base/BufferDynamic.h"
#include "base/FormatWString.h"
#include "base/UniteBase.h"
#include "win32/windows.h"

namespace {

std::wstring Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = FormatWStringV(format, args);
  va_end(args);
  return text;
}

bool TryFormat(std::wstring& out, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const bool ok = TryFormatWStringV(out, format, args);
  va_end(args);
  return ok;
}

TEST(FormatWString, UsesTheWindowsWideDialect) {
  EXPECT_EQ(Format(L"Err:%s,路径非法,%d", L"C:/x", 5), L"Err:C:/x,路径非法,5");
  EXPECT_EQ(Format(L"%S|%I64d", "narrow", static_cast<int64_t>(1) << 40), L"narrow|1099511627776");
  EXPECT_EQ(Format(L""), L"");
}

TEST(FormatWString, FailureIsToldApartFromAnEmptyText) {
  std::wstring out = L"before";
  EXPECT_TRUE(TryFormat(out, L"%s", L""));
  EXPECT_EQ(out, L"");

  out = L"before";
  int n = 0;
  EXPECT_FALSE(TryFormat(out, L"abc%n", &n));
  EXPECT_EQ(out, L"before");
  EXPECT_FALSE(TryFormat(out, nullptr));
  // The plain form keeps its contract: failure gives the empty text.
  EXPECT_EQ(Format(L"abc%n", &n), L"");
}

TEST(BufferDynamic, StartsWith260AndTheEmptyText) {
  CBufferDynamic buffer;
  EXPECT_EQ(buffer.getCapacity(), 260u);
  EXPECT_EQ(buffer.getCapacityBytes(), 520u);
  EXPECT_EQ(buffer.getMaxLength(), 259u);
  EXPECT_STREQ(buffer.getBuffer(), L"");
}

TEST(BufferDynamic, FormatSetsCapacityToTheTextAndGrowDoubles) {
  CBufferDynamic buffer;
  wchar_t* block = buffer.getBuffer();
  EXPECT_EQ(buffer.format(L"%s", L"abc"), 3);
  EXPECT_EQ(buffer.getCapacity(), 4u);
  EXPECT_EQ(buffer.getBuffer(), block) << "a text that fits keeps the block";
  EXPECT_STREQ(buffer.getBuffer(), L"abc");

  buffer.grow(10, false);
  EXPECT_EQ(buffer.getCapacity(), 16u);
  EXPECT_STREQ(buffer.getBuffer(), L"abc") << "growing keeps the contents";

  buffer.grow(3, true);
  EXPECT_EQ(buffer.getCapacity(), 16u);
  for (uint32_t i = 0; i < buffer.getCapacity(); ++i) EXPECT_EQ(buffer.getBuffer()[i], L'\0');
}

TEST(BufferDynamic, FormatOfALongTextReallocates) {
  CBufferDynamic buffer;
  const std::wstring text(300, L'录');
  EXPECT_EQ(buffer.format(L"%s", text.c_str()), 300);
  EXPECT_EQ(buffer.getCapacity(), 301u);
  EXPECT_EQ(std::wstring(buffer.getBuffer()), text);
}

TEST(BufferDynamic, RefusedFormatLeavesTheEmptyTextAndSaysSo) {
  CBufferDynamic buffer;
  buffer.format(L"%s", L"old");
  int n = 0;
  EXPECT_LT(buffer.format(L"x%n", &n), 0);
  EXPECT_STREQ(buffer.getBuffer(), L"");
  EXPECT_EQ(buffer.getCapacity(), 1u);
}

TEST(BufferDynamic, EnsureSizeReturnsThePreviousCapacity) {
  CBufferDynamic buffer;
  wchar_t* block = buffer.getBuffer();
  EXPECT_EQ(buffer.ensureSize(100), 260u);
  EXPECT_EQ(buffer.getCapacity(), 100u);
  EXPECT_EQ(buffer.getBuffer(), block) << "a smaller size keeps the block";

  EXPECT_EQ(buffer.ensureSize(300), 100u);
  EXPECT_EQ(buffer.getCapacity(), 300u);
  for (uint32_t i = 0; i < 300; ++i) ASSERT_EQ(buffer.getBuffer()[i], L'\0');
}

TEST(BufferDynamic, AllocateAndResetSizeGiveEmptyBlocksOfTheSize) {
  CBufferDynamic buffer;
  buffer.format(L"%s", L"text");
  EXPECT_STREQ(buffer.allocate(50), L"");
  EXPECT_EQ(buffer.getCapacity(), 50u);
  buffer.format(L"%s", L"text");
  wchar_t* block = buffer.resetSize(20);
  EXPECT_EQ(buffer.getCapacity(), 20u);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(block[i], L'\0');
}

TEST(BufferDynamic, CopiesOwnTheirBlock) {
  CBufferDynamic a;
  a.format(L"%s", L"first");
  CBufferDynamic b(a);
  a.format(L"%s", L"second");
  EXPECT_STREQ(b.getBuffer(), L"first");
  b = a;
  EXPECT_STREQ(b.getBuffer(), L"second");
  EXPECT_NE(a.getBuffer(), b.getBuffer());
}

// Capacity after one set on a new object, by text length.
struct CapacityCase {
  size_t length;
  uint32_t capacity;
};

class UniteBaseCapacityTest : public ::testing::TestWithParam<CapacityCase> {};

// Exposes the buffers' capacities, which the setters manage.
struct CapacityProbe : CUniteBase {
  uint32_t errorCapacity() const { return lastError_.getCapacity(); }
  uint32_t responseCapacity() const { return response_.getCapacity(); }
};

TEST_P(UniteBaseCapacityTest, GrowsByDoublingUntilTheTextFits) {
  const std::wstring text(GetParam().length, L'x');
  CapacityProbe lower;
  EXPECT_EQ(lower.setLastError(L"%s", text.c_str()), static_cast<int>(text.size()));
  EXPECT_EQ(lower.setResponse(L"%s", text.c_str()), static_cast<int>(text.size()));
  EXPECT_EQ(std::wstring(lower.getLastError()), text);
  EXPECT_EQ(std::wstring(lower.getResponse()), text);
  EXPECT_EQ(lower.errorCapacity(), GetParam().capacity);
  EXPECT_EQ(lower.responseCapacity(), GetParam().capacity);

  CapacityProbe upper;
  EXPECT_EQ(upper.SetLastError(L"%s", text.c_str()), static_cast<int>(text.size()));
  EXPECT_EQ(upper.SetResponse(L"%s", text.c_str()), static_cast<int>(text.size()));
  EXPECT_EQ(std::wstring(upper.GetLastError()), text);
  EXPECT_EQ(std::wstring(upper.GetResponse()), text);
  EXPECT_EQ(upper.errorCapacity(), GetParam().capacity);
  EXPECT_EQ(upper.responseCapacity(), GetParam().capacity);
}

INSTANTIATE_TEST_SUITE_P(Lengths, UniteBaseCapacityTest,
                         ::testing::Values(CapacityCase{0, 260}, CapacityCase{259, 260},
                                           CapacityCase{260, 520}, CapacityCase{519, 520},
                                           CapacityCase{520, 1040}, CapacityCase{1000, 1040}));

TEST(UniteBase, CapacityOnlyGrows) {
  CapacityProbe probe;
  const std::wstring longText(1000, L'x');
  probe.SetLastError(L"%s", longText.c_str());
  probe.SetLastError(L"%s", L"short");
  EXPECT_STREQ(probe.GetLastError(), L"short");
  EXPECT_EQ(probe.errorCapacity(), 1040u);
}

TEST(UniteBase, GetAfterConstructionOrClearIsEmpty) {
  CUniteBase base;
  EXPECT_STREQ(base.GetLastError(), L"");
  EXPECT_STREQ(base.getResponse(), L"");
  base.SetLastError(L"Err:%s,%d", L"打开失败", 2);
  base.setResponse(L"{\"code\":%d}", 200);
  EXPECT_STREQ(base.getLastError(), L"Err:打开失败,2");
  EXPECT_STREQ(base.GetResponse(), L"{\"code\":200}");
  base.ClearLastError();
  base.clearResponse();
  EXPECT_STREQ(base.GetLastError(), L"");
  EXPECT_STREQ(base.GetResponse(), L"");
}

// Each setter names itself in its failure text and returns a negative result.
struct FailureCase {
  const char* name;
  int (*set)(CUniteBase&, const wchar_t*, int*);
  const wchar_t* (*get)(CUniteBase&);
  const wchar_t* text;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class UniteBaseFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(UniteBaseFailureTest, RefusedFormatLeavesTheErrTextAndANegativeResult) {
  CUniteBase base;
  int n = 0;
  const int result = GetParam().set(base, L"100%n", &n);
  EXPECT_LT(result, 0);
  EXPECT_STREQ(GetParam().get(base), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Setters, UniteBaseFailureTest,
    ::testing::Values(
        FailureCase{"setLastError", [](CUniteBase& b, const wchar_t* f, int* n) { return b.setLastError(f, n); },
                    [](CUniteBase& b) { return b.getLastError(); },
                    L"Err:_vsctprintf,CUniteBase::setLastError"},
        FailureCase{"SetLastError", [](CUniteBase& b, const wchar_t* f, int* n) { return b.SetLastError(f, n); },
                    [](CUniteBase& b) { return b.getLastError(); },
                    L"Err:_vsctprintf,CUniteBase::SetLastError"},
        FailureCase{"setResponse", [](CUniteBase& b, const wchar_t* f, int* n) { return b.setResponse(f, n); },
                    [](CUniteBase& b) { return b.getResponse(); },
                    L"Err:_vsctprintf,CUniteBase::setResponse"},
        FailureCase{"SetResponse", [](CUniteBase& b, const wchar_t* f, int* n) { return b.SetResponse(f, n); },
                    [](CUniteBase& b) { return b.getResponse(); },
                    L"Err:_vsctprintf,CUniteBase::SetResponse"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UniteBase, PlainTextSettersNeverReadPercentSigns) {
  CUniteBase base;
  const std::wstring message = L"100%n done, %s %d 未知";
  EXPECT_EQ(base.SetLastErrorText(message), static_cast<int>(message.size()));
  EXPECT_EQ(std::wstring(base.GetLastError()), message);
  EXPECT_EQ(base.SetResponseText(message), static_cast<int>(message.size()));
  EXPECT_EQ(std::wstring(base.GetResponse()), message);
}

TEST(UniteBase, UpperCaseOperationsGoThroughTheLowerCaseOnes) {
  struct Derived : CUniteBase {
    const wchar_t* getLastError() override { return L"derived error"; }
    void clearLastError() override { ++clears; }
    const wchar_t* getResponse() override { return L"derived response"; }
    void clearResponse() override { ++clears; }
    int clears = 0;
  } derived;
  CUniteBase& base = derived;
  EXPECT_STREQ(base.GetLastError(), L"derived error");
  EXPECT_STREQ(base.GetResponse(), L"derived response");
  base.ClearLastError();
  base.ClearResponse();
  EXPECT_EQ(derived.clears, 2);
}

TEST(UniteBase, PlainTextSettersUseTheDerivedSetter) {
  struct Derived : CUniteBase {
    int SetLastError(const wchar_t* format, ...) override {
      lastFormat = format;
      return 7;
    }
    std::wstring lastFormat;
  } derived;
  EXPECT_EQ(derived.SetLastErrorText(L"50%"), 7);
  EXPECT_EQ(derived.lastFormat, L"%s");
}

TEST(UniteBase, DerivedClassesReportTheSystemErrorBesideTheirOwnText) {
  // The members hide the Win32 functions of the same names inside derived
  // classes; the system's last error stays reachable as ::GetLastError.
  struct Opener : CUniteBase {
    bool Open() {
      ::SetLastError(ERROR_FILE_NOT_FOUND);
      SetLastError(L"Err:%s,%lu,%s", L"CFile::Open", ::GetLastError(), L"文件不存在");
      return false;
    }
  } opener;
  EXPECT_FALSE(opener.Open());
  EXPECT_STREQ(opener.GetLastError(), L"Err:CFile::Open,2,文件不存在");
}

TEST(UniteBase, CopiesKeepTheirOwnTexts) {
  CUniteBase a;
  a.SetLastError(L"%s", L"one");
  CUniteBase b(a);
  a.SetLastError(L"%s", L"two");
  EXPECT_STREQ(b.GetLastError(), L"one");
  EXPECT_STREQ(a.GetLastError(), L"two");
}

}  // namespace
