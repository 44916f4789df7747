// The program's XML tags and its global look. Each built control is
// registered under its tag in start-up order and group, with its base
// class; a tag registered before keeps its first factory. The global
// loaders put every shared skin, style and colour into the UI definition
// through a provider of their own, which a second load replaces rather than
// adds to; a resource name without a colon, a missing document and a kind
// outside 0-3 load nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "OrielTestApp.h"
#include "controls/ControlFactories.h"
#include "controls/SCtrlPart.h"
#include "controls/SOrielResourceLoader.h"
#include "res.mgr/SNamedValue.h"
#include "res.mgr/SSkinPool.h"
#include "res.mgr/SStylePool.h"
#include "res.mgr/SUiDef.h"
#include "win32/modules.h"

namespace {

SWindow* MakeWindow(SApplication* app, const wchar_t* tag) {
  return dynamic_cast<SWindow*>(app->NewWindowByClass(tag));
}

std::string Narrow(const SStringW& w) { return XmlUtf8(w).c_str(); }

// The tags of start-up in their order, with their object type and base.
struct Expected {
  const wchar_t* name;
  int type;
  const wchar_t* base;
  int group;
};
const Expected kAllRows[] = {
    {L"listviewex", kObjWindow, L"listview", 1},   {L"mclistviewex", kObjWindow, L"div", 1},
    {L"header2", kObjWindow, L"header", 1},        {L"part", kObjWindow, L"captionex", 1},
    {L"captionex", kObjWindow, L"caption", 1},     {L"comboboxEx", kObjWindow, L"combobase", 1},
    {L"listboxEx", kObjWindow, L"listbox", 1},     {L"timerWnd", kObjWindow, L"window", 1},
    {L"iconex", kObjWindow, L"icon", 1},           {L"audioWave", kObjWindow, L"window", 1},
    {L"wkeWebkit", kObjWindow, L"window", 2},      {L"shellnotifyicon", kObjWindow, L"window", 2},
    {L"imgex", kObjWindow, L"img", 2},             {L"gifplayer", kObjWindow, L"window", 2},
    {L"gif", kObjSkin, L"skinani", 2},
};

using ControlFactories = OrielAppTest;

TEST_F(ControlFactories, RowsFollowStartUpOrderWithTheirBases) {
  // The rows present now; the others join at their places with their classes.
  for (int group : {1, 2}) {
    size_t count = 0;
    const ControlFactoryRow* rows = ControlFactoryRows(group, &count);
    ASSERT_NE(rows, nullptr);
    size_t next = 0;
    for (size_t i = 0; i < count; ++i) {
      while (next < std::size(kAllRows) && wcscmp(kAllRows[next].name, rows[i].className) != 0) ++next;
      ASSERT_LT(next, std::size(kAllRows)) << Narrow(rows[i].className) << " out of order or not a program tag";
      EXPECT_EQ(kAllRows[next].group, group) << Narrow(rows[i].className);
      EXPECT_EQ(kAllRows[next].type, rows[i].type) << Narrow(rows[i].className);
      EXPECT_STREQ(kAllRows[next].base, rows[i].baseName) << Narrow(rows[i].className);
    }
  }
  size_t none = 5;
  EXPECT_EQ(ControlFactoryRows(3, &none), nullptr);
  EXPECT_EQ(none, 0u);
  // The classes this program already has are all there.
  std::set<std::wstring> present;
  for (int group : {1, 2}) {
    size_t count = 0;
    const ControlFactoryRow* rows = ControlFactoryRows(group, &count);
    for (size_t i = 0; i < count; ++i) present.insert(rows[i].className);
  }
  for (const wchar_t* tag : {L"part", L"captionex", L"audioWave", L"timerWnd", L"wkeWebkit", L"imgex",
                             L"gifplayer", L"gif"})
    EXPECT_TRUE(present.count(tag)) << Narrow(tag);
}

TEST_F(ControlFactories, GroupsRegisterTheirOwnTagsAndKeepEarlierOnes) {
  EXPECT_FALSE(app->HasFactory(SObjectInfo(L"part", kObjWindow)));
  // A class registered under "part" before start-up's rows stays.
  class Other : public SWindow {
    SOBJ_CLASS(Other, SWindow, L"part", kObjWindow)
   public:
    static LPCWSTR BaseClassName() { return L"window"; }
  };
  ASSERT_TRUE(app->RegisterFactory(TplSObjectFactory<Other>()));
  size_t first = 0;
  ControlFactoryRows(1, &first);
  EXPECT_EQ(RegisterControlFactories(*app, 1), static_cast<int>(first) - 1);
  SWindow* w = MakeWindow(app, L"pArT");
  ASSERT_NE(w, nullptr);
  EXPECT_NE(dynamic_cast<Other*>(w), nullptr) << "the first registration is kept";
  w->Release();
  EXPECT_TRUE(app->HasFactory(SObjectInfo(L"CAPTIONEX", kObjWindow)));
  EXPECT_FALSE(app->HasFactory(SObjectInfo(L"gifplayer", kObjWindow))) << "group 2 comes after the web engine";
  EXPECT_EQ(RegisterControlFactories(*app, 1), 0) << "again: nothing new";

  size_t second = 0;
  ControlFactoryRows(2, &second);
  EXPECT_EQ(RegisterControlFactories(*app, 2), static_cast<int>(second));
  EXPECT_TRUE(app->HasFactory(SObjectInfo(L"gif", kObjSkin)));
  EXPECT_FALSE(app->HasFactory(SObjectInfo(L"gif", kObjWindow)));
  EXPECT_EQ(app->BaseClassInfo(SObjectInfo(L"part", kObjWindow)).mName, SStringW(L"window"))
      << "the kept factory answers for its own class";
  EXPECT_EQ(app->BaseClassInfo(SObjectInfo(L"captionex", kObjWindow)).mName, SStringW(L"caption"));
}

// The application with the program's bundle and UI definition, as start-up
// installs them, before the global resources load.
class GlobalLoad : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    // As start-up: the tags first (the animation's skin class among them).
    RegisterControlFactories(*app, 1);
    RegisterControlFactories(*app, 2);
    IResProvider* p = BundleProvider();
    app->AttachProvider(p, L"UIDEF:XML_INIT");
    module = GetModuleHandleW(nullptr);
  }
  void TearDown() override {
    holder.skin.reset();
    holder.style.reset();
    holder.color.reset();
    OrielAppTest::TearDown();
  }
  static long RefCount(IObjRef* o) {
    o->AddRef();
    return o->Release();
  }
  HINSTANCE module = nullptr;
  SGlobalUiResources holder;
};

TEST_F(GlobalLoad, EverySharedSkinStyleAndColourReachesTheUiDefinition) {
  IUiDefInfo* info = SUiDef::CurrentInfo();
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(SSkinPoolMgr::getSingleton().GetSkin(L"gs_btn_strong", 100), nullptr);
  ASSERT_TRUE(holder.LoadGlobalUiResources(module));
  EXPECT_EQ(holder.string, nullptr) << "no string loader is made";

  SXmlDoc doc;
  ASSERT_TRUE(app->LoadXmlDocByType(doc, L"global_skin", L"UIDEFGLOBAL"));
  int skins = 0;
  for (pugi::xml_node c : XmlChild(doc, L"skin").children()) {
    if (c.type() != pugi::node_element) continue;
    const SStringW name = XmlValue(XmlAttr(c, L"name"));
    ++skins;
    for (int scale : {100, 200}) {
      ISkinObj* skin = SSkinPoolMgr::getSingleton().GetSkin(name, scale);
      ASSERT_NE(skin, nullptr) << Narrow(name) << " at " << scale;
      SIZE size = skin->NaturalSize();
      size.cx = std::max<LONG>(size.cx, 8);
      size.cy = std::max<LONG>(size.cy, 8);
      bool ink = false;
      for (int state = 0; state < skin->StateCount() && !ink; ++state) {
        IRenderTarget* rt = NewTarget(size.cx, size.cy, 0);
        const RECT rc{0, 0, size.cx, size.cy};
        skin->DrawByIndex(rt, &rc, state);
        for (int y = 0; y < size.cy && !ink; ++y)
          for (int x = 0; x < size.cx && !ink; ++x) ink = (Pixel(rt, x, y) >> 24) != 0;
      }
      EXPECT_TRUE(ink) << Narrow(name) << " draws nothing at " << scale;
    }
  }
  EXPECT_EQ(skins, 40);
  EXPECT_TRUE(SStylePoolMgr::getSingleton().GetStyle(L"ft-wryh-12--ct-333333"));
  const COLORREF* border = info->GetNamedColor()->Find(L"border");
  ASSERT_NE(border, nullptr);
  EXPECT_EQ(SResProviderMgr::LookupNamedColor(L"@color/font_nm"), 0xFF444444u);
}

TEST_F(GlobalLoad, ASecondLoadReplacesTheProviders) {
  ASSERT_TRUE(holder.LoadGlobalUiResources(module));
  std::vector<IResProvider*> first{holder.skin->GetProvider(), holder.style->GetProvider(),
                                   holder.color->GetProvider()};
  for (IResProvider* p : first) {
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(RefCount(p), 2) << "the loader's and the provider list's";
    p->AddRef();
  }
  EXPECT_EQ(app->FindProvider(L"UIDEFGLOBAL", L"global_skin"), first.back()) << "the newest provider answers";
  ASSERT_TRUE(holder.LoadGlobalUiResources(module));
  for (IResProvider* p : first) EXPECT_EQ(p->Release(), 0) << "the old provider left the list";
  EXPECT_EQ(app->FindProvider(L"UIDEFGLOBAL", L"global_skin"), holder.color->GetProvider());
  // Destroying the holder takes the remaining set out as well.
  IResProvider* last = holder.color->GetProvider();
  last->AddRef();
  holder.skin.reset();
  holder.style.reset();
  holder.color.reset();
  EXPECT_EQ(last->Release(), 0);
}

TEST_F(GlobalLoad, NamesWithoutAColonAndOtherKindsLoadNothing) {
  SOrielResourceLoader skins(SOrielResourceLoader::kSkin);
  const size_t pools = SSkinPoolMgr::getSingleton().GetPoolCount();
  EXPECT_FALSE(skins.Load(module, L"global_skin"));
  EXPECT_FALSE(skins.Load(module, L"UIDEFGLOBAL:no_such"));
  EXPECT_FALSE(skins.Load(module, nullptr));
  EXPECT_EQ(SSkinPoolMgr::getSingleton().GetSkin(L"gs_btn_strong", 100), nullptr) << "no pool was touched";
  EXPECT_EQ(SSkinPoolMgr::getSingleton().GetPoolCount(), pools);
  // The document must hold the loader's own element.
  SOrielResourceLoader colours(SOrielResourceLoader::kColor);
  EXPECT_FALSE(colours.Load(module, L"UIDEFGLOBAL:global_skin"));
  EXPECT_TRUE(colours.Load(module, L"UIDEFGLOBAL:global_color"));
  for (int kind : {-1, 4, 9}) {
    SOrielResourceLoader odd(kind);
    EXPECT_FALSE(odd.Load(module, L"UIDEFGLOBAL:global_skin")) << kind;
    EXPECT_EQ(odd.GetProvider(), nullptr) << kind;
  }
  // Strings: the kind no start-up loads, still served.
  SOrielResourceLoader strings(SOrielResourceLoader::kString);
  EXPECT_TRUE(strings.Load(module, L"values:string"));
}

TEST(GlobalLoadNoApp, WithoutAnApplicationNothingLoads) {
  SOrielResourceLoader skins(SOrielResourceLoader::kSkin);
  EXPECT_FALSE(skins.Load(GetModuleHandleW(nullptr), L"UIDEFGLOBAL:global_skin"));
  EXPECT_EQ(skins.GetProvider(), nullptr);
}

}  // namespace
