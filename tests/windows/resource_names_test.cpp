// The named-id, element-name and resource-id tables: the order and limits
// the framework's lookup relies on, the fixed ids, and the installed table
// answering through the application.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

#include "resource_app.h"
#include "windows/ResourceNames.h"

namespace {

std::string Narrow(const wchar_t* w) { return XmlUtf8(SStringW(w)).c_str(); }

TEST(NamedIdTable, IsTheFrameworksRecordLayout) {
  EXPECT_EQ(sizeof(SNamedIdRecord), 212u);
  EXPECT_EQ(sizeof(kNamedIdTable), kNamedIdCount * sizeof(SNamedIdRecord));
  EXPECT_EQ(kNamedIdCount, 123);
}

TEST(NamedIdTable, NamesAreUniqueInCodeUnitOrderAndFitTheirRecords) {
  EXPECT_STREQ(kNamedIdTable[0].name, L"_name_start");
  for (int i = 0; i < kNamedIdCount; ++i) {
    const wchar_t* name = kNamedIdTable[i].name;
    const size_t len = wcsnlen(name, kNamedValueField);
    EXPECT_LT(len, static_cast<size_t>(kNamedValueField)) << "record " << i << " has no terminator";
    EXPECT_LE(len, 51u) << Narrow(name);
    EXPECT_GT(len, 0u) << "record " << i;
    if (i > 0) {
      EXPECT_LT(wcscmp(kNamedIdTable[i - 1].name, name), 0) << Narrow(kNamedIdTable[i - 1].name) << " before "
                                                            << Narrow(name);
    }
  }
}

TEST(NamedIdTable, FixedIdsKeepTheirValues) {
  const struct {
    const wchar_t* name;
    int id;
  } fixed[] = {{L"_name_start", 65535}, {L"btn_close", 8}, {L"col1", 510}, {L"col2", 511},
               {L"col3", 512},          {L"col4", 513},    {L"col5", 514}, {L"col6", 515},
               {L"original_folder", 10001}, {L"custom_folder", 10002}};
  for (const auto& f : fixed) {
    const SNamedIdRecord* hit = nullptr;
    for (const SNamedIdRecord& r : kNamedIdTable)
      if (wcscmp(r.name, f.name) == 0) hit = &r;
    ASSERT_NE(hit, nullptr) << Narrow(f.name);
    EXPECT_EQ(hit->id, f.id) << Narrow(f.name);
  }
}

TEST(NamedIdTable, OtherIdsCountUpFrom65536WithoutGapsOrRepeats) {
  std::set<int> counted;
  std::set<int> all;
  for (const SNamedIdRecord& r : kNamedIdTable) {
    EXPECT_TRUE(all.insert(r.id).second) << "id " << r.id << " repeats at " << Narrow(r.name);
    if (r.id >= 65536) counted.insert(r.id);
  }
  ASSERT_EQ(counted.size(), 113u);
  EXPECT_EQ(*counted.begin(), 65536);
  EXPECT_EQ(*counted.rbegin(), 65536 + 112);
  // The main window's first elements come first.
  EXPECT_EQ(kNamedIdTable[static_cast<int>(UiName::part_caption)].id, 65536);
  EXPECT_EQ(kNamedIdTable[static_cast<int>(UiName::tab_devInfo)].id, 65537);
  EXPECT_EQ(kNamedIdTable[static_cast<int>(UiName::wnd_speaker)].id, 65538);
}

TEST(ElementNames, PointAtTheRecordsInTableOrder) {
  for (int i = 0; i < kNamedIdCount; ++i) EXPECT_EQ(kElementNames[i], kNamedIdTable[i].name) << i;
  EXPECT_STREQ(ElementName(UiName::btn_close), L"btn_close");
  EXPECT_STREQ(ElementName(UiName::wnd_tip), L"wnd_tip");
  EXPECT_STREQ(ElementName(UiName::_name_start), L"_name_start");
}

TEST(ElementNames, CompareWholeCodeUnitsCaseSensitive) {
  const struct {
    const wchar_t* text;
    UiName name;
    bool equal;
  } cases[] = {
      {L"btn_ok", UiName::btn_ok, true},         {L"btn_o", UiName::btn_ok, false},
      {L"btn_ok ", UiName::btn_ok, false},       {L"BTN_OK", UiName::btn_ok, false},
      {L"tab_devInfo", UiName::tab_devInfo, true}, {L"tab_devinfo", UiName::tab_devInfo, false},
      {L"", UiName::btn_ok, false},              {nullptr, UiName::btn_ok, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsElementName(c.text, c.name), c.equal) << (c.text ? Narrow(c.text) : "(null)");
}

using InstalledNamedIds = ResourceAppTest;

TEST_F(InstalledNamedIds, ResolveThroughTheApplication) {
  EXPECT_EQ(app->LookupNamedId(L"custom_folder"), 0) << "nothing installed yet";
  InstallNamedIdTable(*app);
  EXPECT_EQ(app->LookupNamedId(L"custom_folder"), 10002);
  EXPECT_EQ(app->LookupNamedId(L"btn_close"), 8);
  EXPECT_EQ(app->LookupNamedId(L"_name_start"), 65535);
  EXPECT_EQ(app->LookupNamedId(L"part_caption"), 65536);
  for (const SNamedIdRecord& r : kNamedIdTable) EXPECT_EQ(app->LookupNamedId(r.name), r.id) << Narrow(r.name);
  EXPECT_EQ(app->LookupNamedId(L"Btn_close"), 0);
  EXPECT_EQ(app->LookupNamedId(L"no_such_element"), 0);
}

std::array<const wchar_t*, kResourceIdCount> AllResourceIds() {
  return std::bit_cast<std::array<const wchar_t*, kResourceIdCount>>(kResourceIds);
}

TEST(ResourceIds, Are146UniqueTypeColonNameTexts) {
  ASSERT_EQ(kResourceIdCount, 146);
  std::set<std::wstring> seen;
  for (const wchar_t* id : AllResourceIds()) {
    ASSERT_NE(id, nullptr);
    EXPECT_TRUE(seen.insert(id).second) << Narrow(id) << " repeats";
    SStringW type, name;
    EXPECT_TRUE(SplitResId(SStringW(id), type, name)) << Narrow(id);
    EXPECT_FALSE(type.IsEmpty()) << Narrow(id);
    EXPECT_FALSE(name.IsEmpty()) << Narrow(id);
    EXPECT_EQ(name.Find(L':'), -1) << Narrow(id) << " has a second colon";
  }
}

TEST(ResourceIds, KeepTheirGroupsTogether) {
  // Each type occupies one run of the structure: a type that came back after
  // another would mean a resource filed in the wrong group.
  std::vector<std::wstring> runs;
  for (const wchar_t* id : AllResourceIds()) {
    SStringW type, name;
    ASSERT_TRUE(SplitResId(SStringW(id), type, name));
    if (runs.empty() || runs.back() != type.c_str()) runs.push_back(type.c_str());
  }
  const std::set<std::wstring> distinct(runs.begin(), runs.end());
  EXPECT_EQ(runs.size(), distinct.size()) << "a resource sits apart from its group";
  EXPECT_EQ(runs.size(), 19u);
  EXPECT_STREQ(kResourceIds.LAYOUTGLOBAL.XML_TIP, L"LAYOUTGLOBAL:XML_TIP");
  EXPECT_STREQ(kResourceIds.UIDEFGLOBAL.global_skin, L"UIDEFGLOBAL:global_skin");
}

}  // namespace
