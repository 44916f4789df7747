// Objects by class name: the registry's keys and class chains, the warning
// for an unknown name, replacement, per-class default attributes from a UI
// definition, and attribute loading with the applied mark.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "OrielTestApp.h"
#include "core/SObjDefAttr.h"
#include "res.mgr/SResProviderFiles.h"
#include "res.mgr/SSkinObjBase.h"
#include "res.mgr/SUiDef.h"

namespace {

// A window-type object that records the attributes it is given, in order.
class TestWnd : public SObjectImpl<TObjRefImpl<IObject>> {
 public:
  using Base = SObjectImpl<TObjRefImpl<IObject>>;
  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override {
    applied.emplace_back(XmlUtf8(name).c_str(), XmlUtf8(value).c_str());
    lastLoading = loading;
    return S_OK;
  }
  using Base::ApplyAttribute;
  void OnXmlLoaded(pugi::xml_node) override { ++loadedCalls; }
  std::string Value(const std::string& name) const {
    for (auto it = applied.rbegin(); it != applied.rend(); ++it)
      if (it->first == name) return it->second;
    return "";
  }
  std::vector<std::pair<std::string, std::string>> applied;
  BOOL lastLoading = FALSE;
  int loadedCalls = 0;
  static inline int made = 0;
};

#define TEST_WND(Cls, Base, name, base)                        \
  class Cls : public Base {                                    \
    SOBJ_CLASS(Cls, Base, name, kObjWindow)                    \
   public:                                                     \
    static LPCWSTR BaseClassName() { return base; }            \
    Cls() { ++made; }                                          \
  };

TEST_WND(WWindow, TestWnd, L"window", L"object")
TEST_WND(WDiv, WWindow, L"div", L"window")
TEST_WND(WButton, WWindow, L"button", L"window")
TEST_WND(WImgBtn, WButton, L"imgbtn", L"button")
TEST_WND(WLink, WWindow, L"link", L"window")
TEST_WND(WRichEdit, WDiv, L"richedit", L"div")
TEST_WND(WEdit, WRichEdit, L"edit", L"richedit")
TEST_WND(WComboBox, TestWnd, L"combobox", L"combobase")
TEST_WND(WComboBoxEx, TestWnd, L"comboboxEx", L"combobase")
TEST_WND(WDatePicker, WWindow, L"dateTimePicker", L"window")

// A second "window" factory, to tell replacement apart.
class WWindow2 : public WWindow {
 public:
  static inline int made2 = 0;
  WWindow2() { ++made2; }
};
class WWindow2Factory : public TplSObjectFactory<WWindow2> {
 public:
  SObjectFactory* Clone() const override { return new WWindow2Factory; }
};

class ObjectFactoryTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    // The recording classes stand in for the built-in classes of the same
    // names, those built already and those still to come.
    app->RegisterClass<WWindow>(true);
    app->RegisterClass<WDiv>(true);
    app->RegisterClass<WButton>(true);
    app->RegisterClass<WImgBtn>(true);
    app->RegisterClass<WLink>(true);
    app->RegisterClass<WRichEdit>(true);
    app->RegisterClass<WEdit>(true);
    app->RegisterClass<WComboBox>(true);
    app->RegisterClass<WComboBoxEx>(true);
    app->RegisterClass<WDatePicker>(true);
  }
  TestWnd* NewWnd(const wchar_t* name) {
    IObject* obj = app->NewWindowByClass(name);
    if (obj) owned.push_back(obj);
    return dynamic_cast<TestWnd*>(obj);
  }
  // Attaches a folder bundle whose UI definition is `uidef`.
  void AttachUiDef(const std::string& uidef) {
    bundle = std::make_unique<ScratchBundle>("objattr");
    bundle->Write("uidef/init.xml", uidef);
    bundle->WriteIndex({{"uidef", "xml_init", "uidef/init.xml"}});
    IResProvider* p = nullptr;
    MakeResProvider(kResProviderFiles, &p);
    const std::wstring folder = bundle->WFolder();
    ASSERT_TRUE(p->Init(reinterpret_cast<WPARAM>(folder.c_str()), 0));
    app->AttachProvider(p, L"uidef:xml_init");
    p->Release();
  }
  std::unique_ptr<ScratchBundle> bundle;
};

TEST_F(ObjectFactoryTest, KeysIgnoreCaseAndKeepTypesApart) {
  TestWnd* a = NewWnd(L"Button");
  TestWnd* b = NewWnd(L"button");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_STREQ(a->GetObjectClass(), L"button");
  EXPECT_TRUE(a->IsClass(L"window"));
  EXPECT_FALSE(a->IsClass(L"Window"));  // class tests compare exactly
  ISkinObj* skin = app->NewSkinByClass(L"button");
  ASSERT_NE(skin, nullptr);
  EXPECT_STREQ(skin->GetObjectClass(), L"button");
  EXPECT_EQ(skin->GetObjectType(), kObjSkin);
  skin->Release();
}

TEST_F(ObjectFactoryTest, UnknownNameGivesNullAndOneDebuggerLine) {
  testing::internal::CaptureStderr();
  IObject* obj = app->CreateObject(SObjectInfo(L"foo", kObjWindow));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(obj, nullptr);
  const std::string file = std::string(__FILE__).substr(0, std::string(__FILE__).find("/tests/")) +
                           "/oriel/src/core/SObjectFactory.cpp";
  const std::string expected = "Warning: no object foo of type:1 in ORIEL!! ORIEL::SObjectFactoryMgr::CreateObject ";
  ASSERT_EQ(err.rfind(expected, 0), 0u) << err;
  EXPECT_NE(err.find("SObjectFactory.cpp:"), std::string::npos) << err;
  EXPECT_EQ(err.back(), '\n');
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST_F(ObjectFactoryTest, ReplaceOffKeepsTheFirstFactoryReplaceOnSwapsIt) {
  const int before = WWindow2::made2;
  EXPECT_FALSE(app->RegisterFactory(WWindow2Factory(), false));
  ASSERT_NE(NewWnd(L"window"), nullptr);
  EXPECT_EQ(WWindow2::made2, before);
  {
    WWindow2Factory temporary;  // the registry keeps its own clone
    EXPECT_TRUE(app->RegisterFactory(temporary, true));
  }
  ASSERT_NE(NewWnd(L"window"), nullptr);
  EXPECT_EQ(WWindow2::made2, before + 1);
  EXPECT_TRUE(app->UnregisterFactory(SObjectInfo(L"window", kObjWindow)));
  EXPECT_FALSE(app->UnregisterFactory(SObjectInfo(L"window", kObjWindow)));
}

TEST_F(ObjectFactoryTest, BaseClassInfoFollowsOneTypeOnly) {
  struct Case {
    const wchar_t* name;
    int type;
    const wchar_t* base;
    int baseType;
  } cases[] = {
      {L"edit", kObjWindow, L"richedit", kObjWindow}, {L"richedit", kObjWindow, L"div", kObjWindow},
      {L"window", kObjWindow, L"object", kObjWindow}, {L"object", kObjWindow, L"", kObjNone},
      {L"edit", kObjSkin, L"", kObjNone},             {L"imgframe2", kObjSkin, L"imgframe", kObjSkin},
  };
  for (const Case& c : cases) {
    const SObjectInfo base = app->BaseClassInfo(SObjectInfo(c.name, c.type));
    EXPECT_EQ(base.mName, c.base) << XmlUtf8(c.name).c_str();
    EXPECT_EQ(base.mType, c.baseType) << XmlUtf8(c.name).c_str();
  }
}

TEST_F(ObjectFactoryTest, DottedNameAppliesTheStyleClass) {
  TestWnd* w = NewWnd(L"button.ok");
  ASSERT_NE(w, nullptr);
  EXPECT_STREQ(w->GetObjectClass(), L"button");
  EXPECT_EQ(w->Value("class"), "button.ok");
  EXPECT_TRUE(w->lastLoading);
  TestWnd* plain = NewWnd(L"Button");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->Value("class"), "");
  EXPECT_EQ(NewWnd(L"a.b.c"), nullptr);  // class "a.b" is not registered
}

TEST_F(ObjectFactoryTest, UiDefinitionDefaultsMergeAlongTheClassChain) {
  AttachUiDef(R"(<UIDEF><objattr>
      <window colorText="#333333"/>
      <button cursor="hand" focusable="0"/>
      <button cursor="arrow"/>
      <imgbtn cursor="hand"/>
      <Link colorText="#FF0000"/>
      <combobox margin="1" class="cbx"/>
      <comboboxex margin="2"/>
      <dateTimePicker margin="3" class="dtp"/>
    </objattr></UIDEF>)");
  struct Case {
    const wchar_t* cls;
    std::map<std::string, std::string> expected;
  } cases[] = {
      {L"button", {{"cursor", "hand"}, {"focusable", "0"}, {"colorText", "#333333"}}},
      {L"imgbtn", {{"cursor", "hand"}, {"focusable", "0"}, {"colorText", "#333333"}}},
      {L"link", {{"colorText", "#333333"}}},  // "Link" is never found for "link"
      {L"combobox", {{"margin", "1"}, {"class", "cbx"}}},
      {L"comboboxEx", {}},  // its entry is spelled "comboboxex" and its chain ends at combobase
      {L"edit", {{"colorText", "#333333"}}},
  };
  for (const Case& c : cases) {
    TestWnd* w = NewWnd(c.cls);
    ASSERT_NE(w, nullptr);
    std::map<std::string, std::string> got(w->applied.begin(), w->applied.end());
    EXPECT_EQ(got, c.expected) << XmlUtf8(c.cls).c_str();
    if (!got.empty()) {
      EXPECT_TRUE(w->lastLoading);
    }
  }
  TestWnd* dtp = NewWnd(L"dateTimePicker");
  ASSERT_FALSE(dtp->applied.empty());
  EXPECT_EQ(dtp->applied.front().first, "class");  // written last, applied first
}

TEST_F(ObjectFactoryTest, ObjDefAttrInitRules) {
  SXmlDoc doc;
  ASSERT_TRUE(doc.load_string("<root><objattr><button a=\"1\"/></objattr><other><button b=\"2\"/></other></root>"));
  SObjDefAttr* attrs = new SObjDefAttr;
  EXPECT_FALSE(attrs->Init(pugi::xml_node()));
  EXPECT_TRUE(attrs->Init(doc.child("root").child("other")));  // not "objattr": reads nothing
  EXPECT_EQ(attrs->GetCount(), 0u);
  attrs->Release();
}

TEST_F(ObjectFactoryTest, LoadXmlAttributesSkipsMarkedAttributesAndConvertsAnsi) {
  SXmlDoc doc;
  ASSERT_TRUE(doc.load_string("<w a=\"1\" b=\"2\" c=\"3\"/><empty/>"));
  pugi::xml_node w = doc.child("w");
  TestWnd* obj = NewWnd(L"window");
  XmlSetMark(w, w.attribute("b"), 1);
  EXPECT_TRUE(obj->LoadXmlNode(w));
  EXPECT_EQ(obj->applied.size(), 2u);
  EXPECT_EQ(obj->Value("b"), "");
  XmlSetMark(w, w.attribute("b"), 0);
  obj->applied.clear();
  EXPECT_TRUE(obj->LoadXmlNode(w));
  EXPECT_EQ(obj->Value("b"), "2");
  obj->applied.clear();
  EXPECT_TRUE(obj->LoadXmlNode(doc.child("empty")));
  EXPECT_TRUE(obj->applied.empty());
  EXPECT_EQ(obj->loadedCalls, 3);
  EXPECT_FALSE(obj->LoadXmlNode(pugi::xml_node()));
  EXPECT_EQ(obj->loadedCalls, 3);
  // "中文" in GBK reaches the wide handler converted, loading flag kept.
  obj->applied.clear();
  static_cast<IObject*>(obj)->ApplyAttribute("text", "\xD6\xD0\xCE\xC4", FALSE);
  EXPECT_EQ(obj->Value("text"), "中文");
  EXPECT_FALSE(obj->lastLoading);
}

TEST_F(ObjectFactoryTest, XmlLookupsIgnoreCase) {
  SXmlDoc doc;
  ASSERT_TRUE(doc.load_string("<Root><Child Name=\"x\"/></Root>"));
  pugi::xml_node child = XmlChild(XmlChild(doc, L"root"), L"CHILD");
  ASSERT_TRUE(child);
  EXPECT_EQ(XmlValue(XmlAttr(child, L"name")), L"x");
  EXPECT_FALSE(XmlChild(doc, L"roo"));
}

}  // namespace
