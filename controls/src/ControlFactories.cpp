#include "controls/ControlFactories.h"

#include "audio/SCtrlAudio.h"
#include "controls/SCtrlPart.h"
#include "controls/SGifPlayer.h"
#include "controls/SImageWndEx.h"
#include "controls/SSkinAni.h"
#include "controls/STimerWnd.h"
#include "controls/SWkeWebkit.h"

namespace ORIEL {

namespace {

template <class T>
bool Register(SObjectFactoryMgr& mgr) {
  return mgr.RegisterFactory(TplSObjectFactory<T>(), false);
}

template <class T>
ControlFactoryRow Row() {
  return {T::GetClassName(), T::GetClassType(), T::BaseClassName(), &Register<T>};
}

// One line per tag, in start-up order. A tag whose class is not built yet
// stands as a comment at its place; its line replaces the comment when the
// class arrives.
const ControlFactoryRow kFirstGroup[] = {
    // "listviewex" (SListViewEx, base "listview")
    // "mclistviewex" (SMCListViewEx, base "div")
    // "header2" (SHeaderCtrlEx, base "header")
    Row<SCtrlPart>(),
    Row<SCaptionEx>(),
    // "comboboxEx" (SComboBoxEx, base "combobase")
    // "listboxEx" (SListBoxEx, base "listbox")
    Row<STimerWnd>(),
    // "iconex" (SCtrlIConEx, base "icon")
    Row<SCtrlAudio>(),
};

const ControlFactoryRow kSecondGroup[] = {
    Row<SWkeWebkit>(),
    // "shellnotifyicon" (SShellNotifyIcon, base "window")
    Row<SImageWndEx>(),
    Row<SGifPlayer>(),
    Row<SSkinGif>(),
};

}  // namespace

const ControlFactoryRow* ControlFactoryRows(int group, size_t* count) {
  if (group == 1) {
    if (count) *count = std::size(kFirstGroup);
    return kFirstGroup;
  }
  if (group == 2) {
    if (count) *count = std::size(kSecondGroup);
    return kSecondGroup;
  }
  if (count) *count = 0;
  return nullptr;
}

int RegisterControlFactories(SObjectFactoryMgr& mgr, int group) {
  size_t count = 0;
  const ControlFactoryRow* rows = ControlFactoryRows(group, &count);
  int added = 0;
  for (size_t i = 0; i < count; ++i) added += rows[i].registerIn(mgr) ? 1 : 0;
  return added;
}

}  // namespace ORIEL
