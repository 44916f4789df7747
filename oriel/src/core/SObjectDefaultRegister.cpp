#include "control/SCalendar.h"
#include "control/SCalendarEx.h"
#include "control/SMenuBar.h"
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
  mgr->RegisterClass<SMenuBar>();
  // Text fields.
  mgr->RegisterClass<SRichEdit>();
  mgr->RegisterClass<SEdit>();
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
