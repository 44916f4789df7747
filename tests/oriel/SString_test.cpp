// The framework string: sharing and copy-on-write, exact-size blocks,
// clamped substrings, trimming, case, searching and formatting.
#include "core/SString.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(SString, EmptyStringsShareTheStaticBlockAndNeverCountIt) {
  SStringW a, b(L""), c(static_cast<const wchar_t*>(nullptr)), d(L"abc", 0);
  for (const SStringW* s : {&a, &b, &c, &d}) {
    EXPECT_EQ(s->c_str(), a.c_str());
    EXPECT_EQ(s->GetRefCount(), -1);
    EXPECT_EQ(s->GetLength(), 0);
  }
  SStringW copy(a);
  copy = b;
  EXPECT_EQ(a.GetRefCount(), -1);
  SStringW text(L"x");
  text.Empty();
  EXPECT_EQ(text.c_str(), a.c_str());
}

TEST(SString, CopiesShareUntilOneIsWritten) {
  SStringW first(L"录音文件");
  SStringW second(first);
  EXPECT_EQ(first.c_str(), second.c_str());
  EXPECT_EQ(first.GetRefCount(), 2);
  SStringW third;
  third = second;
  EXPECT_EQ(first.GetRefCount(), 3);

  second.SetAt(0, L'X');
  EXPECT_EQ(first, L"录音文件");
  EXPECT_EQ(second, L"X音文件");
  EXPECT_EQ(first.GetRefCount(), 2);
  third.MakeUpper();
  EXPECT_EQ(first.GetRefCount(), 1);
  wchar_t* buffer = SStringW(first).GetBuffer(2);  // a temporary's buffer is private
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(first.GetRefCount(), 1);
  EXPECT_EQ(first, L"录音文件");
}

TEST(SString, BlocksAreExactlyTheSizeOfTheirText) {
  SStringW s(L"abc");
  EXPECT_EQ(s.GetAllocLength(), 3);
  s += L"de";
  EXPECT_EQ(s.GetAllocLength(), 5);
  s += L'f';
  EXPECT_EQ(s.GetAllocLength(), 6);
  EXPECT_EQ(s, L"abcdef");
  const SStringW joined = s + L"12" + SStringW(L"3");
  EXPECT_EQ(joined, L"abcdef123");
  EXPECT_EQ(joined.GetAllocLength(), 9);
  // Assigning a shorter text into a private block keeps the block.
  s = L"xy";
  EXPECT_EQ(s.GetAllocLength(), 6);
  EXPECT_EQ(s.GetLength(), 2);
  // Assigning from its own characters is safe.
  SStringW self(L"0123456789");
  self = self.c_str() + 4;
  EXPECT_EQ(self, L"456789");
  self.Append(self.c_str() + 3);
  EXPECT_EQ(self, L"456789789");
}

TEST(SString, BufferAccess) {
  SStringW s(L"ab");
  wchar_t* p = s.GetBuffer(10);
  ASSERT_NE(p, nullptr);
  EXPECT_GE(s.GetAllocLength(), 10);
  wcscpy(p, L"路径");
  s.ReleaseBuffer();
  EXPECT_EQ(s, L"路径");
  EXPECT_EQ(s.GetLength(), 2);

  SStringW shared(s);
  p = s.GetBuffer(0);
  EXPECT_NE(p, shared.c_str());  // made private before writing
  p[0] = L'X';
  s.ReleaseBuffer(1);
  EXPECT_EQ(s, L"X");
  EXPECT_EQ(shared, L"路径");

  SStringW r;
  p = r.ResizeBuffer(4);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(r.GetLength(), 4);
  wmemcpy(p, L"wxyz", 4);
  EXPECT_EQ(r, L"wxyz");

  // A length beyond the block's capacity is not trusted.
  SStringW t(L"abc");
  t.GetBuffer(3);
  t.ReleaseBuffer(50);
  EXPECT_EQ(t.GetLength(), 3);
}

TEST(SString, SubstringsAreClamped) {
  const SStringW abc(L"abc");
  struct Case {
    SStringW got;
    const wchar_t* want;
  } cases[] = {
      {abc.Left(-5), L""},     {abc.Left(2), L"ab"},     {abc.Left(9), L"abc"},  {abc.Right(-1), L""},
      {abc.Right(2), L"bc"},   {abc.Right(7), L"abc"},   {abc.Mid(100, 3), L""}, {abc.Mid(-2, 2), L"ab"},
      {abc.Mid(1, 100), L"bc"}, {abc.Mid(1, -1), L""},   {abc.Mid(3, 1), L""},   {abc.Mid(1), L"bc"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
  EXPECT_EQ(abc.Left(3).c_str(), abc.c_str());  // the whole text is shared, not copied
}

TEST(SString, TrimRemovesLineBreaksBlanksAndTabs) {
  SStringW onlySpace(L"\r\n \t");
  EXPECT_TRUE(onlySpace.Trim().IsEmpty());
  SStringW inner(L" a b ");
  EXPECT_EQ(inner.Trim(), L"a b");
  SStringW mixed(L"\t\n执行中...\r\n");
  EXPECT_EQ(mixed.Trim(), L"执行中...");
  SStringW untouched(L"x\vy");
  EXPECT_EQ(untouched.Trim(), L"x\vy");
  SStringA narrow(" 8 bit\t");
  EXPECT_EQ(narrow.Trim(), "8 bit");
}

TEST(SString, CaseSearchAndCompare) {
  SStringW s(L"LAYOUT:Dlg_Main");
  SStringW original(s);
  s.MakeLower();
  EXPECT_EQ(s, L"layout:dlg_main");
  EXPECT_EQ(original, L"LAYOUT:Dlg_Main");
  EXPECT_EQ(original.CompareNoCase(L"layout:DLG_MAIN"), 0);
  EXPECT_NE(original.Compare(L"layout:DLG_MAIN"), 0);

  const SStringW text(L"abcabc");
  EXPECT_EQ(text.Find(L"bc"), 1);
  EXPECT_EQ(text.Find(L"bc", 2), 4);
  EXPECT_EQ(text.Find(L"x"), -1);
  EXPECT_EQ(text.Find(L"a", 6), -1);  // start at the end: the empty rest
  EXPECT_EQ(text.Find(L"a", 7), -1);  // beyond the end
  EXPECT_EQ(text.Find(L""), 0);
  EXPECT_EQ(text.Find(L'c', 3), 5);
  EXPECT_EQ(text.ReverseFind(L'a'), 3);

  SStringW path(L"C:\\dir\\file");
  SStringW before(path);
  EXPECT_EQ(path.Replace(L'\\', L'/'), 2);
  EXPECT_EQ(path, L"C:/dir/file");
  EXPECT_EQ(before, L"C:\\dir\\file");
  SStringW words(L"one two one");
  EXPECT_EQ(words.Replace(L"one", L"三"), 2);
  EXPECT_EQ(words, L"三 two 三");
  EXPECT_EQ(words.Replace(L"", L"x"), 0);

  EXPECT_TRUE(SStringW(L"a") < SStringW(L"b"));
  EXPECT_TRUE(SStringW(L"b") != L"a");
  EXPECT_TRUE(L"b" == SStringW(L"b"));
}

TEST(SString, FormatUsesTheWindowsDialect) {
  SStringW s;
  const SStringW returned = s.Format(L"%s(%d)%S %I64d", L"录音", 3, "ok", INT64_MIN);
  EXPECT_EQ(s, L"录音(3)ok -9223372036854775808");
  EXPECT_EQ(returned, s);
  EXPECT_EQ(s.GetAllocLength(), s.GetLength());

  SStringW kept(L"old");
  kept.Format(L"bad %n", nullptr);
  EXPECT_TRUE(kept.IsEmpty());
  kept = L"old";
  kept.Format(L"");
  EXPECT_TRUE(kept.IsEmpty());
  kept = L"old";
  kept.Format(nullptr);
  EXPECT_TRUE(kept.IsEmpty());
  kept = L"old";
  kept.Format(L"%s", L"");  // formats to nothing
  EXPECT_TRUE(kept.IsEmpty());

  SStringA narrow;
  narrow.Format("%s=%.2f", "size", 1.5);
  EXPECT_EQ(narrow, "size=1.50");
  SStringW appended(L"a");
  appended.AppendFormat(L"-%02d", 7);
  EXPECT_EQ(appended, L"a-07");

  wchar_t* buffer = nullptr;
  auto alloc = [&buffer](const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = SStringW::FormatAlloc(&buffer, format, args);
    va_end(args);
    return n;
  };
  EXPECT_EQ(alloc(L"%d:%s", 12, L"ab"), 5);
  EXPECT_STREQ(buffer, L"12:ab");
  ORIEL::SMemFree(buffer);
}

TEST(SString, ConstructionForms) {
  EXPECT_EQ(SStringW(L"abcdef", 3), L"abc");
  EXPECT_EQ(SStringW(L"abc", -1), L"abc");
  EXPECT_TRUE(SStringW(nullptr, -1).IsEmpty());
  EXPECT_EQ(SStringW(L'-', 3), L"---");
  EXPECT_EQ(SStringA("UTF-8 \xe7\x94\xb5"), "UTF-8 \xe7\x94\xb5");
  SStringW moved(L"text");
  SStringW target(std::move(moved));
  EXPECT_EQ(target, L"text");
  EXPECT_EQ(SStringW(L"abc").Hash(), static_cast<uint32_t>(((97u * 33) + 98) * 33 + 99));
}

}  // namespace
