#include "control/ComboListParts.h"

#include <algorithm>

#include "core/SApplication.h"
#include "core/SLog.h"

namespace ORIEL {

SWindow* BuildComboList(SComboBase* combo, pugi::xml_node comboElement, LPCWSTR defaultClass) {
  SApplication* app = SApplication::getSingletonPtr();
  if (!app) return nullptr;
  pugi::xml_node style = XmlChild(comboElement, L"listStyle");
  SStringW cls(defaultClass);
  if (pugi::xml_attribute named = XmlAttr(style, L"wndclass")) cls = XmlValue(named);
  IObject* made = app->NewWindowByClass(cls.c_str());
  auto* list = dynamic_cast<SWindow*>(made);
  if (!list || !list->IsClass(defaultClass)) {
    SLOGW(SLOG_LEVEL_WARN, "ORIEL::SComboBase::CreateList", L"class \"%s\" is not a %s: the combo has no list",
          cls.c_str(), defaultClass);
    if (made) made->Release();
    return nullptr;
  }
  list->SetContainer(combo->GetContainer());
  // The class name is the combo's business, not an attribute of the list.
  SXmlDoc copy;
  pugi::xml_node own = style ? copy.append_copy(style) : copy.append_child("listStyle");
  own.remove_attribute(XmlAttr(own, L"wndclass"));
  list->LoadXmlNode(own);
  // The pop-up's back buffer starts black: a list whose style paints no
  // background would show its rows' text on black. Lists are white unless
  // the layout says otherwise.
  if (list->GetStyle().GetBkgndColor() == kRenderNoColor && !list->GetBkgndSkin())
    list->ApplyAttribute(SStringW(L"colorBkgnd"), SStringW(L"#FFFFFF"), TRUE);
  list->ApplyAttribute(SStringW(L"pos"), SStringW(L"0,0,-0,-0"), TRUE);
  list->ApplyAttribute(SStringW(L"hotTrack"), SStringW(L"1"), TRUE);
  list->SetOwner(combo);
  list->ApplyAttribute(SStringW(L"id"), SStringW(L"-200"), TRUE);
  list->SetVisible(FALSE);
  return list;
}

void LendComboList(SWindow* list, SDropDownWnd* dropDown) {
  if (!list) return;
  dropDown->AttachChild(list);
  RECT client{};
  ::GetClientRect(dropDown->GetHwnd(), &client);
  dropDown->RelayoutTo(&client);
  list->SetVisible(TRUE, FALSE);
  list->SetFocus();
}

int ComboListBoxHeight(SListBox* list, int limit) {
  if (!list || list->GetCount() == 0) return limit;
  const RECT margin = list->GetStyle().GetScaledMargin();
  return std::min(list->GetItemPixelHeight() * list->GetCount() + margin.top + margin.bottom, limit);
}

void TakeComboListBack(SWindow* list, SComboBase* combo, SDropDownWnd* dropDown) {
  if (!list) return;
  list->ReleaseFocus();
  dropDown->DetachChild(list);
  list->SetVisible(FALSE, FALSE);
  list->SetContainer(combo->GetContainer());
}

}  // namespace ORIEL
