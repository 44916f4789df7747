// Style and template pools: both ways of naming a style, the first of a
// name winning, the stack of pools, and templates kept as text.
#include <gtest/gtest.h>

#include "OrielTestApp.h"
#include "res.mgr/SStylePool.h"
#include "res.mgr/STemplatePool.h"

namespace {

class StylePoolsTest : public OrielAppTest {};

std::string Attrs(pugi::xml_node n) {
  std::string out;
  for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute())
    out += std::string(a.name()) + "=" + a.value() + ";";
  return out;
}

TEST_F(StylePoolsTest, StylesByClassOrElementNameFirstWins) {
  SXmlDoc doc;
  ASSERT_TRUE(doc.load_string(R"(<style>
      <class name="normalbtn" colorText="#333" cursor="hand"/>
      <normalbtn2 colorText="#333" cursor="hand"/>
      <CLASS colorText="#111"/>
      <class name="ft-wryh-14--ct-666666" colorText="#666666"/>
      <class name="ft-wryh-14--ct-666666" font="size:14"/>
    </style>)"));
  auto* pool = new SStylePool;
  EXPECT_EQ(pool->Init(doc.child("style")), 1);
  EXPECT_EQ(pool->GetCount(), 3u);  // the nameless class defines nothing
  EXPECT_EQ(Attrs(pool->GetStyle(L"normalbtn")), "colorText=#333;cursor=hand;");  // "name" removed
  EXPECT_EQ(Attrs(pool->GetStyle(L"normalbtn2")), "colorText=#333;cursor=hand;");
  EXPECT_EQ(Attrs(pool->GetStyle(L"ft-wryh-14--ct-666666")), "colorText=#666666;");
  EXPECT_FALSE(pool->GetStyle(L"NormalBtn"));  // names compare exactly
  doc.reset();  // the pool keeps its own copy
  EXPECT_EQ(Attrs(pool->GetStyle(L"normalbtn")), "colorText=#333;cursor=hand;");
  EXPECT_EQ(pool->Init(pugi::xml_node()), 0);

  SXmlDoc hostDoc;
  ASSERT_TRUE(hostDoc.load_string("<style><normalbtn colorText=\"#FFF\"/></style>"));
  auto* host = new SStylePool;
  host->Init(hostDoc.child("style"));
  SStylePoolMgr& mgr = SStylePoolMgr::getSingleton();
  mgr.PushStylePool(pool);
  mgr.PushStylePool(host);
  EXPECT_EQ(Attrs(mgr.GetStyle(L"normalbtn")), "colorText=#FFF;");
  EXPECT_EQ(Attrs(mgr.GetStyle(L"normalbtn2")), "colorText=#333;cursor=hand;");
  mgr.PopStylePool(host);
  EXPECT_EQ(Attrs(mgr.GetStyle(L"normalbtn")), "colorText=#333;cursor=hand;");
  mgr.PopStylePool(host);  // not on the stack: nothing changes
  EXPECT_TRUE(mgr.GetStyle(L"normalbtn"));
  mgr.PopStylePool(nullptr);
  EXPECT_FALSE(mgr.GetStyle(L"normalbtn"));
  pool->Release();
  host->Release();
}

TEST_F(StylePoolsTest, TemplatesKeepTheFirstChildAsText) {
  SXmlDoc doc;
  ASSERT_TRUE(doc.load_string(R"(<template>
      <row><window size="10,10"><text>a</text></window><window name="second"/></row>
      <row><window name="later"/></row>
      <empty/>
    </template>)"));
  auto* pool = new STemplatePool;
  EXPECT_EQ(pool->Init(doc.child("template")), 1);
  SStringW row = pool->GetTemplate(L"row");
  EXPECT_NE(row.Find(L"<text>a</text>"), -1);
  EXPECT_EQ(row.Find(L"second"), -1);
  EXPECT_EQ(row.Find(L"later"), -1);
  EXPECT_EQ(pool->GetTemplate(L"empty"), L"");
  STemplatePoolMgr& mgr = STemplatePoolMgr::getSingleton();
  mgr.PushTemplatePool(pool);
  EXPECT_EQ(mgr.FindTemplate(L"row"), row);
  EXPECT_EQ(mgr.FindTemplate(L"none"), L"");
  mgr.PopTemplatePool(nullptr);
  EXPECT_EQ(mgr.FindTemplate(L"row"), L"");
  pool->Release();
}

}  // namespace
