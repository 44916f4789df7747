// The registry the application ships with, as it is: every built-in window
// and layout class with the class it derives from, and UI-definition
// defaults reaching real controls along those chains.
#include <gtest/gtest.h>

#include "OrielTestApp.h"
#include "control/SEdit.h"
#include "control/SSliderBar.h"
#include "core/SObjectFactory.h"
#include "res.mgr/SResProviderFiles.h"

namespace {

struct BaseCase {
  const wchar_t* name;
  const wchar_t* base;
};

// Each built-in class and the name its chain steps to next.
const BaseCase kWindowBases[] = {
    {L"window", L"object"},         {L"div", L"window"},           {L"text", L"window"},
    {L"button", L"window"},         {L"img", L"window"},           {L"progress", L"window"},
    {L"imgbtn", L"button"},         {L"hr", L"window"},            {L"check", L"window"},
    {L"icon", L"window"},           {L"radio", L"window"},         {L"link", L"window"},
    {L"group", L"window"},          {L"animateimg", L"window"},    {L"scrollview", L"div"},
    {L"realwnd", L"window"},        {L"toggle", L"window"},        {L"caption", L"window"},
    {L"tabctrl", L"window"},        {L"page", L"window"},          {L"activex", L"window"},
    {L"flash", L"activex"},         {L"pane", L"window"},          {L"splitwnd", L"window"},
    {L"splitcol", L"splitwnd"},     {L"splitrow", L"splitwnd"},    {L"sliderbar", L"progress"},
    {L"treectrl", L"scrollview"},   {L"scrollbar", L"window"},     {L"header", L"window"},
    {L"listctrl", L"div"},          {L"listbox", L"scrollview"},   {L"richedit", L"div"},
    {L"edit", L"richedit"},         {L"hotkey", L"window"},        {L"combobox", L"combobase"},
    {L"calendar", L"window"},       {L"spinButton", L"window"},    {L"listview", L"div"},
    {L"comboview", L"combobase"},   {L"mclistview", L"div"},       {L"tileview", L"div"},
    {L"treeview", L"div"},          {L"menubar", L"window"},       {L"calendarex", L"window"},
    {L"dateTimePicker", L"window"},
};

const BaseCase kLayoutBases[] = {
    {L"OrielLayout", L"object"}, {L"linearLayout", L"object"}, {L"hbox", L"linearLayout"},
    {L"vbox", L"linearLayout"},  {L"gridLayout", L"object"},
};

void ExpectBases(SApplication* app, const BaseCase* begin, const BaseCase* end, int type) {
  for (const BaseCase* c = begin; c != end; ++c) {
    const SObjectInfo base = app->BaseClassInfo(SObjectInfo(c->name, type));
    SStringW expected(c->base);
    expected.MakeLower();
    EXPECT_EQ(XmlUtf8(base.mName), XmlUtf8(expected)) << XmlUtf8(c->name).c_str();
    EXPECT_EQ(base.mType, type) << XmlUtf8(c->name).c_str();
  }
}

TEST_F(OrielAppTest, ShippedWindowAndLayoutClassesNameTheirBases) {
  ExpectBases(app, std::begin(kWindowBases), std::end(kWindowBases), kObjWindow);
  ExpectBases(app, std::begin(kLayoutBases), std::end(kLayoutBases), kObjLayout);
  // Every chain ends at "object", which nothing registers.
  const SObjectInfo end = app->BaseClassInfo(SObjectInfo(L"object", kObjWindow));
  EXPECT_TRUE(end.mName.IsEmpty());
  EXPECT_EQ(end.mType, kObjNone);
}

TEST_F(OrielAppTest, DivAndProgressDefaultsReachEditsAndSliderBars) {
  ScratchBundle bundle("builtin-defaults");
  bundle.Write("uidef/init.xml", R"(<UIDEF><objattr>
      <div cursor="ibeam" colorText="#102030"/>
      <progress cursor="hand"/>
    </objattr></UIDEF>)");
  bundle.WriteIndex({{"uidef", "xml_init", "uidef/init.xml"}});
  IResProvider* provider = nullptr;
  MakeResProvider(kResProviderFiles, &provider);
  const std::wstring folder = bundle.WFolder();
  ASSERT_TRUE(provider->Init(reinterpret_cast<WPARAM>(folder.c_str()), 0));
  app->AttachProvider(provider, L"uidef:xml_init");
  provider->Release();

  auto* edit = dynamic_cast<SEdit*>(app->NewWindowByClass(L"edit"));
  ASSERT_NE(edit, nullptr);
  owned.push_back(edit);
  EXPECT_EQ(edit->GetStyle().GetCursor(), L"ibeam");
  // The same colour a div gets, not the one a plain window keeps.
  IObject* div = app->NewWindowByClass(L"div");
  IObject* window = app->NewWindowByClass(L"window");
  ASSERT_TRUE(div && window);
  owned.push_back(div);
  owned.push_back(window);
  const COLORREF divColor = static_cast<SWindow*>(div)->GetStyle().GetTextColorForState(0);
  EXPECT_NE(divColor, static_cast<SWindow*>(window)->GetStyle().GetTextColorForState(0));
  EXPECT_EQ(edit->GetStyle().GetTextColorForState(0), divColor);

  auto* slider = dynamic_cast<SSliderBar*>(app->NewWindowByClass(L"sliderbar"));
  ASSERT_NE(slider, nullptr);
  owned.push_back(slider);
  EXPECT_EQ(slider->GetStyle().GetCursor(), L"hand");
}

}  // namespace
