// COM and OLE basics as the system's code sees them: GUIDs, IUnknown
// reference counting, the HRESULT codes, CoInitialize, and the drop side of
// OLE drag and drop. There is no apartment model, no marshalling and no
// class registry: interfaces are plain C++ abstract classes.
//
// A window registered with RegisterDragDrop receives files and text dropped
// from other programs (file managers) over the X drag-and-drop protocol; its
// IDropTarget is called on the thread that owns the window's top-level
// window, with screen points and MK_* key states.
#pragma once

#include <cstdint>

#include "win32/types.h"
#include "win32/user32.h"

#include "win32/guid.h"
typedef GUID IID;
typedef GUID CLSID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
typedef const GUID& REFGUID;

inline bool IsEqualGUID(REFGUID a, REFGUID b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}
inline bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }

// Spelled as the GDI header spells the ones it shares, so either may come first.
#ifndef S_OK
#define S_OK ((HRESULT)0L)
#endif
#ifndef S_FALSE
#define S_FALSE ((HRESULT)1L)
#endif
#ifndef E_FAIL
#define E_FAIL ((HRESULT)0x80004005L)
#endif
#ifndef E_INVALIDARG
#define E_INVALIDARG ((HRESULT)0x80070057L)
#endif
#ifndef E_OUTOFMEMORY
#define E_OUTOFMEMORY ((HRESULT)0x8007000EL)
#endif
#ifndef E_NOTIMPL
#define E_NOTIMPL ((HRESULT)0x80004001L)
#endif
#ifndef SUCCEEDED
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#endif
#define E_NOINTERFACE ((HRESULT)0x80004002L)
#define E_POINTER ((HRESULT)0x80004003L)
#define E_UNEXPECTED ((HRESULT)0x8000FFFFL)
#define E_NOTFOUND ((HRESULT)0x80070490L)
#define CO_E_NOTINITIALIZED ((HRESULT)0x800401F0L)
#define DV_E_FORMATETC ((HRESULT)0x80040064L)
#define DV_E_TYMED ((HRESULT)0x80040069L)
#define OLE_E_ADVISENOTSUPPORTED ((HRESULT)0x80040003L)
#define DRAGDROP_E_NOTREGISTERED ((HRESULT)0x80040100L)
#define DRAGDROP_E_ALREADYREGISTERED ((HRESULT)0x80040101L)
#define DRAGDROP_E_INVALIDHWND ((HRESULT)0x80040102L)

#define STDMETHODCALLTYPE
#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2

extern const IID IID_IUnknown;     // {00000000-0000-0000-C000-000000000046}
extern const IID IID_IDataObject;  // {0000010E-0000-0000-C000-000000000046}
extern const IID IID_IDropTarget;  // {00000122-0000-0000-C000-000000000046}

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;
};

// Per-thread initialisation counts: the first call on a thread answers
// S_OK, later ones S_FALSE; each needs its CoUninitialize.
HRESULT CoInitialize(LPVOID pvReserved);
HRESULT CoInitializeEx(LPVOID pvReserved, DWORD dwCoInit);
void CoUninitialize();
HRESULT OleInitialize(LPVOID pvReserved);
void OleUninitialize();

// Data transfer.
#define CF_HDROP 15
#define DVASPECT_CONTENT 1
#define TYMED_NULL 0
#define TYMED_HGLOBAL 1

typedef WORD CLIPFORMAT;
struct DVTARGETDEVICE;
struct IEnumFORMATETC;
struct IAdviseSink;
struct IEnumSTATDATA;

typedef struct tagFORMATETC {
  CLIPFORMAT cfFormat;
  DVTARGETDEVICE* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
} FORMATETC, *LPFORMATETC;

typedef struct tagSTGMEDIUM {
  DWORD tymed;
  HGLOBAL hGlobal;
  IUnknown* pUnkForRelease;
} STGMEDIUM, *LPSTGMEDIUM;

// Frees the medium's memory (or lets pUnkForRelease do it) and clears it.
void ReleaseStgMedium(STGMEDIUM* medium);

struct IDataObject : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) = 0;
  virtual HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink,
                                            DWORD* connection) = 0;
  virtual HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** out) = 0;

 protected:
  ~IDataObject() = default;
};

// Dropped files: a DROPFILES header followed by NUL-terminated wide paths
// and a final NUL, in one global memory block.
DECLARE_HANDLE(HDROP);
typedef struct _DROPFILES {
  DWORD pFiles;  // byte offset of the first path
  POINT pt;
  BOOL fNC;
  BOOL fWide;
} DROPFILES;

// 0xFFFFFFFF as `iFile` counts the files; a null buffer asks for one path's
// length in characters (no terminator); otherwise copies at most cch - 1
// characters and a terminator and answers the characters copied. 0 for a
// file that is not there.
UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch);
BOOL DragQueryPoint(HDROP hDrop, POINT* ppt);
void DragFinish(HDROP hDrop);

// Drop targets.
#define DROPEFFECT_NONE 0
#define DROPEFFECT_COPY 1
#define DROPEFFECT_MOVE 2
#define DROPEFFECT_LINK 4

typedef struct _POINTL {
  LONG x;
  LONG y;
} POINTL;

struct IDropTarget : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD grfKeyState, POINTL pt,
                                              DWORD* pdwEffect) = 0;
  virtual HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) = 0;
  virtual HRESULT STDMETHODCALLTYPE DragLeave() = 0;
  virtual HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD grfKeyState, POINTL pt,
                                         DWORD* pdwEffect) = 0;

 protected:
  ~IDropTarget() = default;
};

// The target is held (AddRef) until RevokeDragDrop. The window's top-level
// window announces itself to drag sources while any window in it has one.
HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* pDropTarget);
HRESULT RevokeDragDrop(HWND hwnd);
