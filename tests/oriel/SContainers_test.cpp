// The framework's containers: array growth steps, list node blocks, map
// bucket counts and the owning map wrapper.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/SArray.h"
#include "core/SList.h"
#include "core/SMap.h"
#include "core/SStringSplit.h"

namespace {

TEST(SArray, GrowsOneAtATimeBySteps) {
  SArray<void*> a;
  std::vector<int> capacities;
  for (int i = 0; i < 40; ++i) {
    ASSERT_EQ(a.Add(reinterpret_cast<void*>(static_cast<intptr_t>(i + 1))), i);
    if (capacities.empty() || capacities.back() != a.GetCapacity()) capacities.push_back(a.GetCapacity());
  }
  // 1 exactly, then steps of 4 below 32 elements, then count / 8.
  EXPECT_EQ(capacities, (std::vector<int>{1, 5, 9, 13, 17, 21, 25, 29, 33, 37, 41}));
  for (int i = 0; i < 40; ++i) EXPECT_EQ(a[i], reinterpret_cast<void*>(static_cast<intptr_t>(i + 1)));

  SArray<int> big;
  ASSERT_TRUE(big.SetSize(100));
  ASSERT_TRUE(big.EnsureCapacity(101));
  EXPECT_EQ(big.GetCapacity(), 112);  // 100 + 100 / 8
  SArray<int> huge;
  ASSERT_TRUE(huge.SetSize(9000));
  ASSERT_TRUE(huge.EnsureCapacity(9001));
  EXPECT_EQ(huge.GetCapacity(), 10024);
}

TEST(SArray, GrowBySetSizeAndMoves) {
  SArray<int> a(3);
  a.Add(7);
  EXPECT_EQ(a.GetCapacity(), 3);  // the first allocation takes the grow-by when larger
  a.Add(8);
  a.Add(9);
  a.Add(10);
  EXPECT_EQ(a.GetCapacity(), 6);

  ASSERT_TRUE(a.SetSize(8, -1));
  EXPECT_EQ(a.GetCount(), 8);
  EXPECT_EQ(a[6], 0);  // grown slots are zero
  ASSERT_TRUE(a.SetSize(2));
  ASSERT_TRUE(a.SetSize(4));
  EXPECT_EQ(a[3], 10);  // slots below the capacity keep what they held
  ASSERT_TRUE(a.SetSize(0));
  EXPECT_EQ(a.GetCapacity(), 0);
  EXPECT_EQ(a.GetData(), nullptr);

  SArray<int> m;
  for (int v : {1, 2, 3, 4, 5}) m.Add(v);
  ASSERT_TRUE(m.RemoveAt(1, 2));
  ASSERT_TRUE(m.InsertAt(1, 9));
  std::vector<int> got(m.GetData(), m.GetData() + m.GetCount());
  EXPECT_EQ(got, (std::vector<int>{1, 9, 4, 5}));
  EXPECT_FALSE(m.RemoveAt(3, 2));
  EXPECT_FALSE(m.RemoveAt(-1));
  ASSERT_TRUE(m.InsertAt(6, 2));
  EXPECT_EQ(m.GetCount(), 7);
  EXPECT_EQ(m[4], 0);
  EXPECT_EQ(m[6], 2);
  EXPECT_EQ(m.Find(9), 1);
}

TEST(SArray, StringArraysHoldTheirOwnReferences) {
  SStringW text(L"shared");
  {
    SStringWArray strings;
    for (int i = 0; i < 10; ++i) strings.Add(text);
    EXPECT_EQ(text.GetRefCount(), 11);
    strings.Add(strings[0]);  // adding an element of the array itself, across a growth
    EXPECT_EQ(strings[10], L"shared");
    strings.RemoveAt(0, 5);
    EXPECT_EQ(text.GetRefCount(), 7);
    SStringWArray copy(strings);
    EXPECT_EQ(text.GetRefCount(), 13);
  }
  EXPECT_EQ(text.GetRefCount(), 1);
}

TEST(SplitByChar, DropsEmptyPieces) {
  struct Case {
    const wchar_t* text;
    std::vector<std::wstring> pieces;
  } cases[] = {
      {L",x,,y", {L"x", L"y"}},
      {L"a,,b,", {L"a", L"b"}},
      {L"", {}},
      {L",,,", {}},
      {L"single", {L"single"}},
      {L"电脑,录音", {L"电脑", L"录音"}},
  };
  for (const auto& c : cases) {
    SStringWArray out;
    out.Add(L"before");
    EXPECT_EQ(SplitByChar(SStringW(c.text), L',', out), static_cast<int>(c.pieces.size()) + 1);
    std::vector<std::wstring> got;
    for (int i = 1; i < out.GetCount(); ++i) got.emplace_back(out[i].c_str());
    EXPECT_EQ(got, c.pieces) << testing::PrintToString(std::wstring(c.text));
  }
  SStringAArray narrow;
  EXPECT_EQ(SplitByChar(SStringA("a;b;;c"), ';', narrow), 3);
  EXPECT_EQ(narrow[2], "c");
}

TEST(ParseResName, SplitsAtTheFirstColon) {
  struct Case {
    const wchar_t* text;
    std::vector<std::wstring> parts;
  } cases[] = {
      {L"LAYOUT:dlg_main", {L"LAYOUT", L"dlg_main"}},
      {L"a:b:c", {L"a", L"b:c"}},
      {L"dlg_main", {L"dlg_main"}},
      {L":rest", {L"", L"rest"}},
      {L"type:", {L"type", L""}},
      {L"", {L""}},
  };
  for (const auto& c : cases) {
    SStringWArray out;
    EXPECT_EQ(ParseResName(SStringW(c.text), out), static_cast<int>(c.parts.size()));
    std::vector<std::wstring> got;
    for (int i = 0; i < out.GetCount(); ++i) got.emplace_back(out[i].c_str());
    EXPECT_EQ(got, c.parts) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(SList, KeepsOrderAndPoolsNodesInBlocks) {
  SList<int> list;
  EXPECT_FALSE(list.HasNodeBlocks());
  for (int i = 0; i < 25; ++i) list.AddTail(i);
  list.AddHead(-1);
  SPOSITION pos = list.FindIndex(5);
  list.InsertBefore(pos, 100);
  list.InsertAfter(pos, 200);
  EXPECT_EQ(list.GetCount(), 28u);
  std::vector<int> got;
  for (SPOSITION p = list.GetHeadPosition(); p;) got.push_back(list.GetNext(p));
  std::vector<int> want{-1, 0, 1, 2, 3, 100, 4, 200};
  for (int i = 5; i < 25; ++i) want.push_back(i);
  EXPECT_EQ(got, want);
  std::vector<int> backwards;
  for (SPOSITION p = list.GetTailPosition(); p;) backwards.push_back(list.GetPrev(p));
  EXPECT_EQ(backwards, std::vector<int>(want.rbegin(), want.rend()));

  EXPECT_EQ(list.RemoveHead(), -1);
  EXPECT_EQ(list.RemoveTail(), 24);
  list.RemoveAt(list.Find(100));
  EXPECT_EQ(list.Find(100), nullptr);
  EXPECT_EQ(list.GetHead(), 0);
  EXPECT_EQ(list.GetTail(), 23);
}

TEST(SList, RemovingTheLastElementFreesEveryBlock) {
  SList<SStringW> list;
  SStringW text(L"item");
  for (int i = 0; i < 35; ++i) list.AddTail(text);  // four blocks of 10
  EXPECT_EQ(text.GetRefCount(), 36);
  while (list.GetCount() > 1) list.RemoveHead();
  EXPECT_TRUE(list.HasNodeBlocks());
  EXPECT_EQ(list.RemoveTail(), L"item");
  EXPECT_FALSE(list.HasNodeBlocks());
  EXPECT_EQ(text.GetRefCount(), 1);
  // The list works again after being emptied.
  list.AddTail(L"again");
  EXPECT_EQ(list.GetHead(), L"again");
  list.RemoveAll();
  EXPECT_FALSE(list.HasNodeBlocks());
}

TEST(SMap, GrowsAtThe39thElementTo53Buckets) {
  SMap<int, int> map;
  EXPECT_EQ(map.GetHashTableSize(), 17u);
  for (int i = 1; i <= 38; ++i) map[i] = i * 10;
  EXPECT_EQ(map.GetHashTableSize(), 17u);
  map[39] = 390;
  EXPECT_EQ(map.GetHashTableSize(), 53u);
  for (int i = 1; i <= 39; ++i) {
    int v = 0;
    ASSERT_TRUE(map.Lookup(i, v)) << i;
    EXPECT_EQ(v, i * 10);
  }
  // 53 × 2.25 = 119.25: the next growth comes with the 120th element.
  for (int i = 40; i <= 119; ++i) map[i] = i;
  EXPECT_EQ(map.GetHashTableSize(), 53u);
  map[120] = 120;
  EXPECT_EQ(map.GetHashTableSize(), 163u);  // 120 / 0.75 = 160
}

TEST(SMap, ShrinksBelowTheLowThresholdAndFreesBlocksWhenEmpty) {
  SMap<int, int> map;
  for (int i = 0; i < 120; ++i) map[i] = i;
  ASSERT_EQ(map.GetHashTableSize(), 163u);  // low threshold 163 × 0.25 = 40
  for (int i = 0; i < 80; ++i) ASSERT_TRUE(map.RemoveKey(i));
  EXPECT_EQ(map.GetHashTableSize(), 163u);
  EXPECT_TRUE(map.RemoveKey(80));  // 39 left: below 40
  EXPECT_EQ(map.GetHashTableSize(), 53u);
  EXPECT_FALSE(map.RemoveKey(80));
  for (int i = 81; i < 120; ++i) ASSERT_TRUE(map.RemoveKey(i));
  EXPECT_TRUE(map.IsEmpty());
  EXPECT_FALSE(map.HasNodeBlocks());
  map[5] = 6;
  EXPECT_EQ(map.Lookup(5)->m_value, 6);
}

TEST(SMap, SuspendedRehashingAndIterationInBucketOrder) {
  SMap<SStringW, int> map;
  map.DisableAutoRehash();
  for (int i = 0; i < 100; ++i) {
    SStringW key;
    key.Format(L"key%d", i);
    map.SetAt(key, i);
  }
  EXPECT_EQ(map.GetHashTableSize(), 17u);
  map.EnableAutoRehash();
  map.Rehash();
  EXPECT_EQ(map.GetHashTableSize(), 163u);  // 100 / 0.75 = 133, next prime 163

  std::set<int> seen;
  unsigned lastBucket = 0;
  for (SPOSITION pos = map.GetStartPosition(); pos;) {
    SStringW key;
    int value = -1;
    map.GetNextAssoc(pos, key, value);
    const unsigned bucket = key.Hash() % map.GetHashTableSize();
    EXPECT_GE(bucket, lastBucket);
    lastBucket = bucket;
    seen.insert(value);
  }
  EXPECT_EQ(seen.size(), 100u);
  EXPECT_EQ(map[SStringW(L"key42")], 42);
  EXPECT_EQ(map.Lookup(SStringW(L"nokey")), nullptr);
}

struct Counted {
  static int released;
};
int Counted::released = 0;

TEST(SCmnMap, HandsEveryValueToTheReleaseFunction) {
  Counted::released = 0;
  {
    SCmnMap<int*, unsigned> owner([](int* const& v) {
      ++Counted::released;
      delete v;
    });
    for (unsigned i = 0; i < 30; ++i) owner.AddKeyObject(i, new int(static_cast<int>(i)));
    int* found = nullptr;
    ASSERT_TRUE(owner.GetKeyObject(7, found));
    EXPECT_EQ(*found, 7);
    EXPECT_TRUE(owner.RemoveKeyObject(7));
    EXPECT_EQ(Counted::released, 1);
    EXPECT_FALSE(owner.RemoveKeyObject(7));
    owner.AddKeyObject(8, new int(88));  // replaces: the old value is released
    EXPECT_EQ(Counted::released, 2);
    EXPECT_EQ(**owner.FindKeyObject(8), 88);
    EXPECT_EQ(owner.GetCount(), 29u);
  }
  EXPECT_EQ(Counted::released, 31);

  SCmnMap<void*, unsigned> plain;  // no release function: values are not touched
  int value = 1;
  plain.AddKeyObject(1, &value);
  EXPECT_TRUE(plain.HasKey(1));
  plain.RemoveAll();
  EXPECT_FALSE(plain.HasKey(1));
}

}  // namespace
