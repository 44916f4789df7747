#include "control/SCalendar.h"
#include "control/SCalendarEx.h"
#include "control/SDateTimePicker.h"
#include "control/SMenuBar.h"
#include "control/SAnimateImgWnd.h"
#include "control/SButton.h"
#include "control/SCaption.h"
#include "control/SCheckBox.h"
#include "control/SGroup.h"
#include "control/SHotKeyCtrl.h"
#include "control/SIconWnd.h"
#include "control/SImageWnd.h"
#include "control/SLine.h"
#include "control/SLink.h"
#include "control/SProgress.h"
#include "control/SRadioBox.h"
#include "control/SStatic.h"
#include "control/STabCtrl.h"
#include "control/SMenuEx.h"
#include "control/SToggle.h"
#include "control/SHeaderCtrl.h"
#include "control/SListBox.h"
#include "control/SComboBox.h"
#include "control/SListView.h"
#include "control/SActiveX.h"
#include "control/SListCtrl.h"
#include "control/SMCListView.h"
#include "control/STreeCtrl.h"
#include "control/SRealWnd.h"
#include "control/STileView.h"
#include "control/STreeView.h"
#include "control/SPanel.h"
#include "control/SScrollView.h"
#include "control/SScrollBar.h"
#include "control/SSliderBar.h"
#include "control/SSpinButtonCtrl.h"
#include "control/SSplitWnd.h"
#include "control/SEdit.h"
#include "control/SRichEdit.h"
#include "core/SInterpolator.h"
#include "core/SObjectFactory.h"
#include "core/SWnd.h"
#include "layout/OrielLayout.h"
#include "layout/SGridLayout.h"
#include "layout/SLinearLayout.h"
#include "res.mgr/SSkinDrawn.h"
#include "res.mgr/SSkinImgList.h"
#include "res.mgr/SSkinScrollbar.h"
#include "res.mgr/SSkinShape.h"

namespace ORIEL {

void SObjectDefaultRegister::RegisterLayoutClasses(SObjectFactoryMgr* mgr) {
  mgr->RegisterClass<OrielLayout>();
  mgr->RegisterClass<SLinearLayout>();
  mgr->RegisterClass<SHBox>();
  mgr->RegisterClass<SVBox>();
  mgr->RegisterClass<SGridLayout>();
}

void SObjectDefaultRegister::RegisterSkinClasses(SObjectFactoryMgr* mgr) {
  mgr->RegisterClass<SSkinImgList>();
  mgr->RegisterClass<SSkinImgCenter>();
  mgr->RegisterClass<SSkinImgFrame>();
  mgr->RegisterClass<SSkinImgFrame2>();
  mgr->RegisterClass<SSkinButton>();
  mgr->RegisterClass<SSkinGradation>();
  mgr->RegisterClass<SSkinScrollbar>();
  mgr->RegisterClass<SSkinColorRect>();
  mgr->RegisterClass<SSkinShape>();
  mgr->RegisterClass<SSKinGroup>();
}

void SObjectDefaultRegister::RegisterWindowClasses(SObjectFactoryMgr* mgr) {
  mgr->RegisterClass<SWindow>();
  // Calendars and the menu bar.
  mgr->RegisterClass<SCalendar>();
  mgr->RegisterClass<SCalendarEx>();
  mgr->RegisterClass<SDateTimePicker>();
  mgr->RegisterClass<SMenuBar>();
  // The basic controls.
  mgr->RegisterClass<SStatic>();
  mgr->RegisterClass<SLink>();
  mgr->RegisterClass<SImageWnd>();
  mgr->RegisterClass<SIconWnd>();
  mgr->RegisterClass<SAnimateImgWnd>();
  mgr->RegisterClass<SProgress>();
  mgr->RegisterClass<SLine>();
  mgr->RegisterClass<SGroup>();
  mgr->RegisterClass<SButton>();
  mgr->RegisterClass<SImageButton>();
  mgr->RegisterClass<SCheckBox>();
  mgr->RegisterClass<SRadioBox>();
  mgr->RegisterClass<SToggle>();
  mgr->RegisterClass<SCaption>();
  mgr->RegisterClass<SHotKeyCtrl>();
  mgr->RegisterClass<STabCtrl>();
  mgr->RegisterClass<STabPage>();
  mgr->RegisterClass<STabSlider>();
  mgr->RegisterClass<SMenuExRoot>();
  mgr->RegisterClass<SMenuExItem>();
  mgr->RegisterClass<SMenuExSep>();
  // Scrolling and list controls.
  mgr->RegisterClass<SPanel>();
  mgr->RegisterClass<SListView>();
  mgr->RegisterClass<SHeaderCtrl>();
  mgr->RegisterClass<SScrollView>();
  mgr->RegisterClass<SListBox>();
  mgr->RegisterClass<SComboBox>();
  mgr->RegisterClass<SComboView>();
  // Range controls and the split window.
  mgr->RegisterClass<SSliderBar>();
  mgr->RegisterClass<SScrollBar>();
  mgr->RegisterClass<SSplitWnd>();
  mgr->RegisterClass<SSplitWnd_Col>();
  mgr->RegisterClass<SSplitWnd_Row>();
  mgr->RegisterClass<SSplitPane>();
  mgr->RegisterClass<SSpinButtonCtrl>();
  // Text fields.
  mgr->RegisterClass<SRichEdit>();
  mgr->RegisterClass<SEdit>();
  // Multi-column, tree and tile views, report list, tree control, hosts.
  mgr->RegisterClass<SMCListView>();
  mgr->RegisterClass<SListCtrl>();
  mgr->RegisterClass<STreeView>();
  mgr->RegisterClass<STileView>();
  mgr->RegisterClass<SRealWnd>();
  mgr->RegisterClass<SActiveX>();
  mgr->RegisterClass<SFlashCtrl>();
  mgr->RegisterClass<STreeCtrl>();
}

void SObjectDefaultRegister::RegisterInterpolatorClasses(SObjectFactoryMgr* mgr) {
  mgr->RegisterClass<SLinearInterpolator>();
  mgr->RegisterClass<SAccelerateInterpolator>();
  mgr->RegisterClass<SDecelerateInterpolator>();
  mgr->RegisterClass<SAccelerateDecelerateInterpolator>();
  mgr->RegisterClass<SAnticipateInterpolator>();
  mgr->RegisterClass<SAnticipateOvershootInterpolator>();
  mgr->RegisterClass<SBounceInterpolator>();
  mgr->RegisterClass<SCycleInterpolator>();
  mgr->RegisterClass<SOvershootInterpolator>();
}

}  // namespace ORIEL
