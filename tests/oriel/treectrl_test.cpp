// The tree control headless: check propagation as a table over a three
// level tree, loading nested items, expand and collapse counting rows,
// removal of a selected branch and sorting children.
#include "OrielTestApp.h"
#include "SwndTestHost.h"
#include "control/STreeCtrl.h"

#include <map>
#include <string>

namespace {

class TreeCtrlTest : public OrielAppTest {
 protected:
  void SetUp() override {
    OrielAppTest::SetUp();
    ASSERT_EQ(app->LoadSystemResources(BundleProvider()) & 1, 0);
    host = new SwndTestHost(300, 300);
    host->CreateChildrenFromString(
        L"<treectrl pos='0,0,250,250' checkBox='1'>"
        L"<item text='A'><item text='A1'><item text='a1x'/><item text='a1y'/></item>"
        L"<item text='A2'><item text='a2x'/></item></item>"
        L"<item text='B' expand='0'><item text='B1'/></item></treectrl>");
    host->ApplyLayout();
    tree = static_cast<STreeCtrl*>(host->GetRelative(GSW_LASTCHILD));
    Index(STVI_ROOT);
  }
  void TearDown() override {
    host->SendSwndMessage(SWM_DESTROY);
    host->Release();
    OrielAppTest::TearDown();
  }
  void Index(HSTREEITEM parent) {
    for (HSTREEITEM c = tree->GetChildItem(parent); c; c = tree->GetNextSiblingItem(c)) {
      items[std::wstring(tree->GetItemText(c).c_str())] = c;
      Index(c);
    }
  }
  // Every node's check value, in pre-order, as one string of digits.
  std::string Values() {
    std::string out;
    for (HSTREEITEM at = tree->GetRootItem(); at; at = tree->GetNextItem(at))
      out += static_cast<char>('0' + tree->GetCheckValue(at));
    return out;
  }
  // Clicks in the middle of a part of the item's row.
  void ClickPart(HSTREEITEM item, int part, bool dbl = false) {
    RECT row;
    ASSERT_TRUE(tree->GetItemRect(item, &row));
    const RECT p = tree->GetPartRect(part);
    const LPARAM at = MAKELPARAM(row.left + (p.left + p.right) / 2, row.top + (p.top + p.bottom) / 2);
    tree->SendSwndMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    tree->SendSwndMessage(WM_LBUTTONUP, 0, at);
    if (dbl) {
      tree->SendSwndMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      tree->SendSwndMessage(WM_LBUTTONUP, 0, at);
    }
  }
  SwndTestHost* host = nullptr;
  STreeCtrl* tree = nullptr;
  std::map<std::wstring, HSTREEITEM> items;
};

TEST_F(TreeCtrlTest, LoadsNestedItemsWithTheirExpandState) {
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(tree->GetChildrenCount(items[L"A1"]), 2);
  // A, A1, a1x, a1y, A2, a2x, B shown; B1 hidden under collapsed B.
  EXPECT_EQ(tree->GetVisibleRowCount(), 7);
  EXPECT_EQ(tree->GetViewSize().cy, 7 * 20);
  // Collapsing A with A1 collapsed first hides only the rows that showed.
  tree->Expand(items[L"A1"], STreeCtrl::TVE_COLLAPSE);
  EXPECT_EQ(tree->GetVisibleRowCount(), 5);
  tree->Expand(items[L"A"], STreeCtrl::TVE_COLLAPSE);
  EXPECT_EQ(tree->GetVisibleRowCount(), 2);
  tree->Expand(items[L"A"], STreeCtrl::TVE_EXPAND);
  EXPECT_EQ(tree->GetVisibleRowCount(), 5);
  EXPECT_FALSE(tree->Expand(items[L"a2x"], STreeCtrl::TVE_TOGGLE));  // a leaf
}

TEST_F(TreeCtrlTest, CheckPropagationTable) {
  // Pre-order: A A1 a1x a1y A2 a2x B B1.
  struct Step {
    const char* what;
    std::function<void()> act;
    const char* values;
  };
  const std::vector<Step> steps = {
      {"check a parent", [&] { tree->SetCheckState(items[L"A"], TRUE); }, "11111100"},
      {"uncheck a grandchild", [&] { tree->SetCheckState(items[L"a1x"], FALSE); }, "22011100"},
      {"check the last unchecked child", [&] { tree->SetCheckState(items[L"a1x"], TRUE); }, "11111100"},
      {"uncheck then remove the unchecked child", [&] {
         tree->SetCheckState(items[L"a1y"], FALSE);
         tree->RemoveItem(items[L"a1y"]);
       }, "1111100"},
      {"remove a checked child of a mixed parent", [&] {
         tree->SetCheckState(items[L"a2x"], FALSE);
         tree->InsertItem(SStringW(L"a2y"), items[L"A2"]);
         tree->SetCheckState(tree->GetChildItem(items[L"A2"], false), TRUE);
         tree->RemoveItem(tree->GetChildItem(items[L"A2"], false));
       }, "2110000"},
      {"insert under a checked parent", [&] {
         tree->SetCheckState(items[L"B"], TRUE);
         tree->InsertItem(SStringW(L"B2"), items[L"B"]);
       }, "21100210"},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(Values(), s.values) << s.what;
  }
  EXPECT_TRUE(tree->GetCheckState(items[L"B"]));  // partly checked counts as checked
  EXPECT_FALSE(tree->GetCheckState(items[L"A2"]));
}

TEST_F(TreeCtrlTest, ClicksOnTheBoxAndTheToggle) {
  std::vector<int> events;
  for (int id : {15000, 15001, 15002, 15003, 15004})
    tree->SubscribeEvent(id, [&](EventArgs* e) { return events.push_back(e->GetId()), true; });
  ClickPart(items[L"A2"], STreeCtrl::kPartCheck);
  EXPECT_EQ(Values(), "20001100");  // A2 and a2x checked, A partly
  EXPECT_EQ(events, (std::vector<int>{15000, 15001, 15003}));
  EXPECT_EQ(tree->GetSelectedItem(), items[L"A2"]);
  // A double click on the box flips it twice and toggles the branch.
  events.clear();
  ClickPart(items[L"A1"], STreeCtrl::kPartCheck, true);
  EXPECT_EQ(Values(), "20001100");  // checked by the click, unchecked again by the double click's press
  EXPECT_EQ(tree->GetVisibleRowCount(), 5);  // A1 collapsed
  // The toggle of A collapses it.
  ClickPart(items[L"A"], STreeCtrl::kPartToggle);
  EXPECT_EQ(tree->GetVisibleRowCount(), 2);
}

TEST_F(TreeCtrlTest, RemovingTheSelectedItemsAncestorClearsTheSelection) {
  tree->SelectItem(items[L"a1y"]);
  ASSERT_EQ(tree->GetSelectedItem(), items[L"a1y"]);
  EXPECT_TRUE(tree->RemoveItem(items[L"A"]));
  EXPECT_EQ(tree->GetSelectedItem(), 0u);
  EXPECT_EQ(tree->GetVisibleRowCount(), 1);
  EXPECT_FALSE(tree->RemoveItem(0));
  // EnsureVisible opens the collapsed branch.
  tree->EnsureVisible(items[L"B1"]);
  EXPECT_EQ(tree->GetVisibleRowCount(), 2);
}

int ByTextDescending(void* context, const void* a, const void* b) {
  auto* t = static_cast<STreeCtrl*>(context);
  const SStringW x = t->GetItemText(*static_cast<const HSTREEITEM*>(a));
  const SStringW y = t->GetItemText(*static_cast<const HSTREEITEM*>(b));
  return -wcscmp(x.c_str(), y.c_str());
}

TEST_F(TreeCtrlTest, SortChildrenOrdersEveryLevel) {
  ASSERT_TRUE(tree->SortChildren(STVI_ROOT, &ByTextDescending, tree));
  std::wstring order;
  for (HSTREEITEM at = tree->GetRootItem(); at; at = tree->GetNextItem(at)) order += tree->GetItemText(at).c_str();
  EXPECT_EQ(order, L"BB1AA2a2xA1a1ya1x");
}

}  // namespace
