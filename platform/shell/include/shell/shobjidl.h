// The shell's in-process objects that the system creates by class id:
// the task-bar list, whose DeleteTab takes a window off the task bar (and
// the pager) through the display layer.
#pragma once

#include "win32/ole.h"

#define CLSCTX_INPROC_SERVER 0x1
#define CLSCTX_LOCAL_SERVER 0x4
#define CLSCTX_ALL 0x17
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154L)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110L)

extern const CLSID CLSID_TaskbarList;  // {56FDF344-FD6D-11D0-958A-006097C9A090}
extern const IID IID_ITaskbarList;     // {56FDF342-FD6D-11D0-958A-006097C9A090}

struct ITaskbarList : IUnknown {
  // Fails without a display: there is no task bar to speak to.
  virtual HRESULT STDMETHODCALLTYPE HrInit() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddTab(HWND hwnd) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteTab(HWND hwnd) = 0;
  virtual HRESULT STDMETHODCALLTYPE ActivateTab(HWND hwnd) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND hwnd) = 0;
};

// Creates an in-process object: only CLSID_TaskbarList is known
// (REGDB_E_CLASSNOTREG for any other class, CLASS_E_NOAGGREGATION with an
// outer object, E_NOINTERFACE for an interface it does not have).
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* outer, DWORD context, REFIID riid, LPVOID* object);
