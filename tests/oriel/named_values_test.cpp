// Value syntaxes and named values against a UI definition, layout sizes,
// the definition's default font word, and a definition that fails to load.
#include <gtest/gtest.h>

#include "OrielTestApp.h"
#include "core/SLayoutSize.h"
#include "res.mgr/SResProviderFiles.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SStylePool.h"
#include "res.mgr/SUiDef.h"

namespace {

class NamedValuesTest : public OrielAppTest {
 protected:
  void TearDown() override {
    SLayoutSize::SetDefaultUnit(L"px");
    SUiDef::SetFontFaceCheck(nullptr);
    OrielAppTest::TearDown();
  }
  // Attaches a bundle holding `uidef` as uidef:xml_init plus extra files.
  void Attach(const std::string& uidef, std::vector<ScratchBundle::Entry> extra = {},
              const std::vector<std::pair<std::string, std::string>>& files = {}) {
    bundles.push_back(std::make_unique<ScratchBundle>("values" + std::to_string(bundles.size())));
    ScratchBundle& b = *bundles.back();
    b.Write("uidef.xml", uidef);
    for (auto& f : files) b.Write(f.first, f.second);
    extra.push_back({"uidef", "xml_init", "uidef.xml"});
    b.WriteIndex(extra);
    IResProvider* p = nullptr;
    MakeResProvider(kResProviderFiles, &p);
    const std::wstring folder = b.WFolder();
    ASSERT_TRUE(p->Init(reinterpret_cast<WPARAM>(folder.c_str()), 0));
    app->AttachProvider(p, L"uidef:xml_init");
    p->Release();
  }
  std::vector<std::unique_ptr<ScratchBundle>> bundles;
};

const char* kDefinition = R"X(<uidef>
  <font face="Noto Sans CJK SC" size="14"/>
  <string src="values:string"/>
  <color><red value="rgb(255,0,0)"/><b value="#0000FF"/><a value="#00FF00"/><bad value="nope"/></color>
  <dim><pad value="10dp"/><w value="7"/></dim>
</uidef>)X";

TEST_F(NamedValuesTest, EverySyntaxOfColoursStringsAndDimensions) {
  Attach(kDefinition, {{"values", "string", "strings.xml"}},
         {{"strings.xml", "<string><title value=\"录音\"/><empty/></string>"}});
  struct ColorCase {
    const wchar_t* text;
    COLORREF expected;
  } colors[] = {
      {L"#267DD7", 0xFFD77D26},   {L"#00000080", 0x80000000}, {L"#333", kRenderNoColor},
      {L"rgb(255,0,0)", 0xFF0000FF}, {L"RGB(10,20,30)", 0xFF1E140A}, {L"rgba(1,2,3,4)", 0x04030201},
      {L"RgBa(1,2,3,4)", 0x04030201}, {L"@color/red", 0xFF0000FF}, {L"@color/Red", kRenderNoColor},
      {L"@Color/red", kRenderNoColor}, {L"@color/a", 0xFF00FF00}, {L"@color/b", 0xFFFF0000},
      {L"@color/bad", kRenderNoColor}, {L"red", kRenderNoColor}, {L"", kRenderNoColor},
  };
  for (const ColorCase& c : colors)
    EXPECT_EQ(SResProviderMgr::LookupNamedColor(c.text), c.expected) << XmlUtf8(c.text).c_str();
  struct StringCase {
    const wchar_t* text;
    const wchar_t* expected;
  } strings[] = {{L"@string/title", L"录音"}, {L"@string/missing", L""}, {L"3.5.6", L"3.5.6"},
                 {L"", L""}, {L"@string/empty", L""}, {L"@String/title", L"@String/title"}};
  for (const StringCase& c : strings)
    EXPECT_EQ(SResProviderMgr::LookupNamedString(c.text), c.expected) << XmlUtf8(c.text).c_str();
  // The definition names no unit, so sizes without one stay in px.
  struct DimCase {
    const wchar_t* text;
    int scale;
    int pixels;
  } dims[] = {{L"@dim/pad", 150, 15}, {L"@dim/w", 150, 7}, {L"@dim/none", 150, 0}, {L"10dp", 150, 15},
              {L"3dp", 125, 4},       {L"0.5dp", 100, 1},  {L"0.49dp", 100, 0},    {L"0.49px", 100, 0},
              {L"1.5sp", 200, 3},     {L"10DIP", 125, 13}, {L"-1", 150, -1},       {L"-2dp", 150, -2},
              {L"-3dp", 100, -3},     {L"-3dp", 150, -4},  {L"dp", 150, 0},        {L"12abc", 150, 12}};
  for (const DimCase& c : dims)
    EXPECT_EQ(SResProviderMgr::LookupNamedDimension(c.text).ToPixels(c.scale), c.pixels) << XmlUtf8(c.text).c_str();
  EXPECT_TRUE(SLayoutSize::FromString(L"-1").IsWrapContent());
  EXPECT_TRUE(SLayoutSize::FromString(L"-2px").IsMatchParent());
  EXPECT_FALSE(SLayoutSize::FromString(L"-3").IsSpecified());
}

TEST_F(NamedValuesTest, DefaultUnitAppliesToSizesParsedLater) {
  const SLayoutSize before = SLayoutSize::FromString(L"10");
  Attach("<uidef><unit defUnit=\"DP\"/></uidef>");
  const SLayoutSize after = SLayoutSize::FromString(L"10");
  EXPECT_EQ(before.ToPixels(150), 10);
  EXPECT_EQ(after.ToPixels(150), 15);
  EXPECT_EQ(SResProviderMgr::LookupNamedDimension(L"@dim/x").unit, SLayoutSize::dp);
  SLayoutSize::SetDefaultUnit(L"furlong");
  EXPECT_EQ(SLayoutSize::GetDefaultUnit(), SLayoutSize::px);
  for (auto [scale, pixels] : {std::pair{100, 10}, {125, 13}, {150, 15}}) {
    EXPECT_EQ(SLayoutSize(10, SLayoutSize::dp).ToPixels(scale), pixels);
    EXPECT_EQ(SLayoutSize(10, SLayoutSize::px).ToPixels(scale), 10);
  }
}

TEST_F(NamedValuesTest, NamesOfFiftyCharactersAndMoreMissWithoutCollision) {
  const std::string n49(49, 'c'), n50(50, 'c');
  Attach("<uidef><color><" + n49 + " value=\"#010203\"/><" + n50 + "x value=\"#0A0B0C\"/></color></uidef>");
  EXPECT_EQ(SResProviderMgr::LookupNamedColor(SStringW(L"@color/") + XmlText(n49.c_str())), 0xFF030201u);
  EXPECT_EQ(SResProviderMgr::LookupNamedColor(SStringW(L"@color/") + XmlText((n50 + "x").c_str())), kRenderNoColor);
  EXPECT_EQ(SResProviderMgr::LookupNamedColor(SStringW(L"@color/") + XmlText(n50.c_str())), kRenderNoColor);
  SNamedIdRecord records[2] = {};
  wcscpy(records[0].name, L"btn_close");
  records[0].id = 8;
  wcscpy(records[1].name, L"_name_start");
  records[1].id = 65535;
  app->LoadNamedIdTable(records, 2, false);
  EXPECT_EQ(app->LookupNamedId(L"_name_start"), 65535);
  EXPECT_EQ(app->LookupNamedId(L"btn_close"), 8);
  EXPECT_EQ(app->LookupNamedId(L"btn_closed"), 0);
  EXPECT_EQ(app->LookupNamedId(SStringW(XmlText(n50.c_str()))), 0);
}

TEST_F(NamedValuesTest, DefinitionFontWord) {
  SUiDef::SetFontFaceCheck([](LPCWSTR face) { return wcscmp(face, L"Present") == 0; });
  struct Case {
    const char* font;
    uint32_t style;
    const wchar_t* face;
  } cases[] = {
      {"<font face=\"Present\" size=\"14\" weight=\"700\" bold=\"1\"/>", (14u << 20) | (1u << 18) | (175u << 8) | 1u, L"Present"},
      {"<font face=\"Absent\" italic=\"true\" underline=\"1\" strike=\"1\" charset=\"134\"/>",
       (12u << 20) | (1u << 16) | (1u << 17) | (1u << 19) | 134u, L"宋体"},
      {"<font face=\"\"/>", 0x00C00001, L"宋体"},
      {"", 0x00C00001, L"宋体"},
  };
  for (const Case& c : cases) {
    Attach(std::string("<UIDEF>") + c.font + "</UIDEF>");
    const FontInfo& f = SUiDef::CurrentInfo()->GetDefFontInfo();
    EXPECT_EQ(f.style, c.style) << c.font;
    EXPECT_EQ(f.strFace, c.face) << c.font;
    EXPECT_EQ(f.strName, L"default");
  }
}

TEST_F(NamedValuesTest, ADefinitionThatFailsDoesNotBecomeCurrent) {
  testing::internal::CaptureStderr();
  Attach("<ui><color><c value=\"#010203\"/></color></ui>");  // wrong root, no definition yet
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("warning!!! \"uidef\" element is not the root element of uidef xml ORIEL::SUiDefInfo::Init"),
            std::string::npos)
      << err;
  IUiDefInfo* stand = SUiDef::CurrentInfo();
  ASSERT_NE(stand, nullptr);  // a stand-in with the default font
  EXPECT_EQ(stand->GetDefFontInfo().style, 0x00C00001u);
  EXPECT_EQ(stand->GetDefFontInfo().strFace, L"宋体");
  EXPECT_EQ(SResProviderMgr::LookupNamedColor(L"@color/c"), kRenderNoColor);

  Attach("<uidef><color><c value=\"#010203\"/></color></uidef>");
  IUiDefInfo* good = SUiDef::CurrentInfo();
  EXPECT_NE(good, stand);
  testing::internal::CaptureStderr();
  Attach("not xml at all <");
  err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("warning!!! load uidef as xml document failed"), std::string::npos) << err;
  EXPECT_EQ(SUiDef::CurrentInfo(), good);  // the previous one stays
  EXPECT_EQ(SResProviderMgr::LookupNamedColor(L"@color/c"), 0xFF030201u);
}

TEST_F(NamedValuesTest, SectionFromAResourceWhoseRootHasAnotherNameLoadsNothing) {
  Attach("<uidef><color src=\"values:color\"><inline value=\"#FFFFFF\"/></color></uidef>",
         {{"values", "color", "colors.xml"}}, {{"colors.xml", "<colour><x value=\"#010203\"/></colour>"}});
  EXPECT_EQ(SResProviderMgr::LookupNamedColor(L"@color/x"), kRenderNoColor);
  EXPECT_EQ(SResProviderMgr::LookupNamedColor(L"@color/inline"), kRenderNoColor);
}

}  // namespace

namespace {

TEST_F(NamedValuesTest, ASecondDefinitionBecomesCurrentAndTheFirstsSkinsStayFound) {
  Attach("<uidef><color><c value=\"#010101\"/></color><skin>"
         "<colorrect name=\"shared\" normal=\"#FF0000\"/><colorrect name=\"first_only\" normal=\"#00FF00\"/>"
         "</skin><style><class name=\"s\" a=\"1\"/></style></uidef>");
  Attach("<uidef><color><c value=\"#020202\"/></color><skin>"
         "<colorrect name=\"shared\" normal=\"#0000FF\"/></skin></uidef>");
  EXPECT_EQ(SResProviderMgr::LookupNamedColor(L"@color/c"), 0xFF020202u);
  SSkinPoolMgr& skins = SSkinPoolMgr::getSingleton();
  ISkinObj* shared = skins.GetSkin(L"shared", 100);
  ISkinObj* firstOnly = skins.GetSkin(L"first_only", 100);
  ASSERT_NE(shared, nullptr);
  ASSERT_NE(firstOnly, nullptr);
  IRenderTarget* rt = NewTarget(4, 4, 0);
  RECT rc{0, 0, 4, 4};
  shared->DrawByIndex(rt, &rc, 0);
  EXPECT_EQ(Pixel(rt, 1, 1), 0xFF0000FFu);  // the second definition's skin answers first
  EXPECT_TRUE(SStylePoolMgr::getSingleton().GetStyle(L"s"));
}

}  // namespace
