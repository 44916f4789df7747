// The message box's template, as bundled: the names the box looks for,
// the button pages and the button texts.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/SButton.h"
#include "control/SIconWnd.h"
#include "control/SStatic.h"
#include "control/STabCtrl.h"
#include "core/SMessageBoxImpl.h"

namespace {

TEST_F(OrielAppTest, MessageBoxTemplateHoldsWhatTheBoxNeeds) {
  app->LoadSystemResources(BundleProvider());
  SXmlDoc doc;
  ASSERT_TRUE(app->LoadXmlDocument(doc, SStringW(L"SYS_XML_MSGBOX"), SStringW(L"XML"), BundleProvider()));
  pugi::xml_node oriel = XmlChild(doc, L"ORIEL");
  ASSERT_TRUE(oriel);
  EXPECT_EQ(XmlValue(XmlAttr(oriel, L"minSize")), SStringW(L"300,132"));
  EXPECT_EQ(XmlValue(XmlAttr(oriel, L"width")), SStringW(L"-1"));
  EXPECT_EQ(XmlValue(XmlAttr(oriel, L"height")), SStringW(L"-1"));
  EXPECT_EQ(XmlValue(XmlAttr(oriel, L"translucent")), SStringW(L"1"));
  EXPECT_EQ(XmlValue(XmlAttr(oriel, L"trCtx")), SStringW(L"messagebox"));
  pugi::xml_node texts = XmlChild(oriel, L"buttonText");
  for (const wchar_t* name : {L"ok", L"cancel", L"abort", L"retry", L"ignore", L"yes", L"no"})
    EXPECT_FALSE(XmlText(XmlChild(texts, name).text().get()).IsEmpty()) << XmlUtf8(SStringW(name)).c_str();

  auto* host = new SwndTestHost(600, 400);
  host->CreateChildren(XmlChild(oriel, L"root"));
  host->ApplyLayout();
  EXPECT_NE(host->FindChildByName2<SStatic>(SStringW(L"msgtitle")), nullptr);
  EXPECT_NE(host->FindChildByName2<SStatic>(SStringW(L"msgtext")), nullptr);
  EXPECT_NE(host->FindChildByName2<SIconWnd>(SStringW(L"msgicon")), nullptr);
  SWindow* close = host->FindDescendantById(2);
  ASSERT_NE(close, nullptr);
  EXPECT_TRUE(close->IsClass(L"button"));
  auto* pages = host->FindChildByName2<STabCtrl>(SStringW(L"btnSwitch"));
  ASSERT_NE(pages, nullptr);
  ASSERT_EQ(pages->GetItemCount(), 3);
  const wchar_t* const buttons[] = {L"button1st", L"button2nd", L"button3rd"};
  for (int page = 0; page < 3; ++page) {
    for (int b = 0; b < 3; ++b) {
      SWindow* found = pages->GetPage(page)->FindDescendantByName(SStringW(buttons[b]));
      if (b <= page) EXPECT_TRUE(found && found->IsClass(L"button")) << page << " " << b;
      else EXPECT_EQ(found, nullptr) << page << " " << b;
    }
  }
  // Each page covers the tab control's whole area.
  const RECT area = pages->GetWindowRect();
  for (int page = 0; page < 3; ++page) {
    const RECT rc = pages->GetPage(page)->GetWindowRect();
    EXPECT_TRUE(EqualRect(&rc, &area)) << page << ": " << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
  }
  // Page switching shows the page the box picks.
  EXPECT_TRUE(pages->SetCurSel(1));
  EXPECT_TRUE(pages->GetPage(1)->IsVisible(TRUE));
  EXPECT_FALSE(pages->GetPage(0)->IsVisible(TRUE));
  host->SendSwndMessage(SWM_DESTROY);
  host->Release();
}

TEST_F(OrielAppTest, OnlyAnOrielElementWithAMinimumSizeBecomesTheTemplate) {
  SXmlDoc doc;
  const char* xml =
      "<t><ORIEL minSize='300,132' tag='first'/><ORIEL tag='none'/><ORIEL minSize='' tag='empty'/>"
      "<LAYOUT minSize='1,1' tag='layout'/><oriel minSize='10,10' tag='second'/></t>";
  ASSERT_TRUE(doc.LoadBuffer(xml, strlen(xml)));
  EXPECT_TRUE(GetMessageBoxTemplate().empty());
  auto tagged = [&](const char* tag) { return doc.child("t").find_child_by_attribute("tag", tag); };
  ASSERT_TRUE(InstallMessageBoxTemplate(tagged("first")));
  // Refusals leave the template as it was.
  for (const char* refused : {"none", "empty", "layout"}) {
    EXPECT_FALSE(InstallMessageBoxTemplate(tagged(refused))) << refused;
    EXPECT_STREQ(GetMessageBoxTemplate().attribute("tag").value(), "first") << refused;
  }
  EXPECT_FALSE(InstallMessageBoxTemplate(pugi::xml_node()));
  // A copy is held: the source may go.
  ASSERT_TRUE(InstallMessageBoxTemplate(tagged("second")));
  doc.reset();
  EXPECT_STREQ(GetMessageBoxTemplate().attribute("minSize").value(), "10,10");
}

// Without a display the box answers as the plain one does: at once, with
// the default button, the text on standard error.
TEST_F(OrielAppTest, WithoutADisplayTheBoxAnswersWithTheDefaultButton) {
  ASSERT_EQ(app->LoadSystemResources(BundleProvider()), 0);
  ASSERT_FALSE(GetMessageBoxTemplate().empty());
  testing::internal::CaptureStderr();
  EXPECT_EQ(ShowFrameworkMessageBox(nullptr, L"保存录音吗?", L"提示", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("保存录音吗?"), std::string::npos);
}

}  // namespace
