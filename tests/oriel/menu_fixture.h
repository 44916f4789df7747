// The application with the framework's own resources, a pool of plain
// colour skins whose frames are easy to tell apart on screen, and a
// scratch folder of menu resources ("XML:<name>").
#pragma once

#include <memory>

#include "OrielTestApp.h"
#include "res.mgr/SResProviderFiles.h"
#include "res.mgr/SSkinPool.h"

namespace menutest {

// Frame 0 and frame 1 of the check skin, and the item skin's two frames.
constexpr COLORREF kCheckFrame0 = 0xFF0000FF;  // red
constexpr COLORREF kCheckFrame1 = 0xFF00FF00;  // green
constexpr unsigned long kCheckFrame0Rgb = 0xFF0000, kCheckFrame1Rgb = 0x00FF00;
constexpr unsigned long kItemRgb = 0xFFFFFF, kItemSelectedRgb = 0x3366CC;

// The test menu: "&Open", a disabled item, a sub-menu (its title from the
// "text" attribute) with a plain and a radio item, a separator and "Exit".
constexpr const char* kTestMenu =
    "<menu itemSkin='t_item' checkSkin='t_check' itemHeight='24' iconSize='16,16' iconMargin='2' "
    "textMargin='5' colorText='#000000' colorTextSel='#FFFFFF' cororTextGray='#808080' contextHelpId='5'>"
    "<item id='1' userData='77'>  &amp;Open\n</item>"
    "<item id='2' disable='1'>Disabled</item>"
    "<item id='3' text='More' contextHelpId='6'><item id='10'>Ten</item><item id='11' radio='1'>Eleven</item></item>"
    "<sep/>"
    "<item id='4' check='1'>Exit</item>"
    "</menu>";

class MenuAppTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & kSysResSkinMissing, 0);
    skins = new SSkinPool;
    ASSERT_TRUE(skinDoc.load_string(
        "<skins><colorrect name='t_item' normal='#FFFFFF' hover='#3366CC'/>"
        "<colorrect name='t_check' normal='#FF0000' hover='#00FF00'/></skins>"));
    skins->AddSkinsFromXml(skinDoc.child("skins"));
    SSkinPoolMgr::getSingleton().PushSkinPool(skins);
  }
  void TearDown() override {
    SSkinPoolMgr::getSingleton().PopPool(skins);
    skins->Release();
    OrielAppTest::TearDown();
  }
  // Makes "XML:<name>" of each (name, text) pair loadable.
  void AddMenus(const std::vector<std::pair<std::string, std::string>>& menus) {
    bundle = std::make_unique<ScratchBundle>("menus");
    std::vector<ScratchBundle::Entry> entries;
    for (const auto& [name, text] : menus) {
      bundle->Write(name + ".xml", text);
      entries.push_back({"XML", name, name + ".xml"});
    }
    bundle->WriteIndex(entries);
    IResProvider* p = nullptr;
    MakeResProvider(kResProviderFiles, &p);
    const std::wstring folder = bundle->WFolder();
    ASSERT_TRUE(p->Init(reinterpret_cast<WPARAM>(folder.c_str()), 0));
    app->AttachProvider(p);
    p->Release();
  }

  SSkinPool* skins = nullptr;
  SXmlDoc skinDoc;
  std::unique_ptr<ScratchBundle> bundle;
};

}  // namespace menutest
