// Windowless text services: the engine behind every edit field
// (ITextServices) and what it asks of the window that hosts it (ITextHost).
// Method orders are the interfaces' slot orders; callers reach them through
// these declarations only.
#pragma once

#include "richedit/richedit.h"
#include "win32/imm.h"
#include "win32/ole.h"

// {8D33F740-CF58-11CE-A89D-00AA006CADC5}
extern const IID IID_ITextServices;
// {C5BDD8D0-D26E-11CE-A89E-00AA006CADC5}
extern const IID IID_ITextHost;

// Property bits the host reports through TxGetPropertyBits and announces
// through OnTxPropertyBitsChange.
#define TXTBIT_RICHTEXT 0x00000001
#define TXTBIT_MULTILINE 0x00000002
#define TXTBIT_READONLY 0x00000004
#define TXTBIT_SHOWACCELERATOR 0x00000008
#define TXTBIT_USEPASSWORD 0x00000010
#define TXTBIT_HIDESELECTION 0x00000020
#define TXTBIT_SAVESELECTION 0x00000040
#define TXTBIT_AUTOWORDSEL 0x00000080
#define TXTBIT_VERTICAL 0x00000100
#define TXTBIT_SELBARCHANGE 0x00000200
#define TXTBIT_WORDWRAP 0x00000400
#define TXTBIT_ALLOWBEEP 0x00000800
#define TXTBIT_DISABLEDRAG 0x00001000
#define TXTBIT_VIEWINSETCHANGE 0x00002000
#define TXTBIT_BACKSTYLECHANGE 0x00004000
#define TXTBIT_MAXLENGTHCHANGE 0x00008000
#define TXTBIT_SCROLLBARCHANGE 0x00010000
#define TXTBIT_CHARFORMATCHANGE 0x00020000
#define TXTBIT_PARAFORMATCHANGE 0x00040000
#define TXTBIT_EXTENTCHANGE 0x00080000
#define TXTBIT_CLIENTRECTCHANGE 0x00100000

typedef enum tagTXTBACKSTYLE { TXTBACK_TRANSPARENT = 0, TXTBACK_OPAQUE = 1 } TXTBACKSTYLE;

#define TXTVIEW_ACTIVE 0
#define TXTVIEW_INACTIVE (-1)

// Answers of TxQueryHitPoint.
#define HITRESULT_OUTSIDE 0
#define HITRESULT_TRANSPARENT 1
#define HITRESULT_CLOSE 2
#define HITRESULT_HIT 3

typedef struct _RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECTL, *LPRECTL;
typedef const RECTL* LPCRECTL;

typedef struct tagSIZEL {
  LONG cx;
  LONG cy;
} SIZEL, *LPSIZEL;

typedef WCHAR* BSTR;
typedef const RECT* LPCRECT;

struct ITextHost : IUnknown {
  virtual HDC TxGetDC() = 0;
  virtual INT TxReleaseDC(HDC hdc) = 0;
  virtual BOOL TxShowScrollBar(INT fnBar, BOOL fShow) = 0;
  virtual BOOL TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) = 0;
  virtual BOOL TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, BOOL fRedraw) = 0;
  virtual BOOL TxSetScrollPos(INT fnBar, INT nPos, BOOL fRedraw) = 0;
  virtual void TxInvalidateRect(LPCRECT prc, BOOL fMode) = 0;
  virtual void TxViewChange(BOOL fUpdate) = 0;
  virtual BOOL TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) = 0;
  virtual BOOL TxShowCaret(BOOL fShow) = 0;
  virtual BOOL TxSetCaretPos(INT x, INT y) = 0;
  virtual BOOL TxSetTimer(UINT idTimer, UINT uTimeout) = 0;
  virtual void TxKillTimer(UINT idTimer) = 0;
  virtual void TxScrollWindowEx(INT dx, INT dy, LPCRECT lprcScroll, LPCRECT lprcClip, HRGN hrgnUpdate,
                                LPRECT lprcUpdate, UINT fuScroll) = 0;
  virtual void TxSetCapture(BOOL fCapture) = 0;
  virtual void TxSetFocus() = 0;
  virtual void TxSetCursor(HCURSOR hcur, BOOL fText) = 0;
  virtual BOOL TxScreenToClient(LPPOINT lppt) = 0;
  virtual BOOL TxClientToScreen(LPPOINT lppt) = 0;
  virtual HRESULT TxActivate(LONG* plOldState) = 0;
  virtual HRESULT TxDeactivate(LONG lNewState) = 0;
  virtual HRESULT TxGetClientRect(LPRECT prc) = 0;
  // HIMETRIC units (0.01 mm).
  virtual HRESULT TxGetViewInset(LPRECT prc) = 0;
  virtual HRESULT TxGetCharFormat(const CHARFORMATW** ppCF) = 0;
  virtual HRESULT TxGetParaFormat(const PARAFORMAT** ppPF) = 0;
  virtual COLORREF TxGetSysColor(int nIndex) = 0;
  virtual HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) = 0;
  virtual HRESULT TxGetMaxLength(DWORD* plength) = 0;
  virtual HRESULT TxGetScrollBars(DWORD* pdwScrollBar) = 0;
  virtual HRESULT TxGetPasswordChar(WCHAR* pch) = 0;
  virtual HRESULT TxGetAcceleratorPos(LONG* pcp) = 0;
  virtual HRESULT TxGetExtent(LPSIZEL lpExtent) = 0;
  virtual HRESULT OnTxCharFormatChange(const CHARFORMATW* pCF) = 0;
  virtual HRESULT OnTxParaFormatChange(const PARAFORMAT* pPF) = 0;
  virtual HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) = 0;
  virtual HRESULT TxNotify(DWORD iNotify, void* pv) = 0;
  virtual HIMC TxImmGetContext() = 0;
  virtual void TxImmReleaseContext(HIMC himc) = 0;
  virtual HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) = 0;

 protected:
  ~ITextHost() = default;
};

struct ITextServices : IUnknown {
  virtual HRESULT TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult) = 0;
  virtual HRESULT TxDraw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd, HDC hdcDraw,
                         HDC hicTargetDev, LPCRECTL lprcBounds, LPCRECTL lprcWBounds, LPRECT lprcUpdate,
                         BOOL(CALLBACK* pfnContinue)(DWORD), DWORD dwContinue, LONG lViewId) = 0;
  virtual HRESULT TxGetHScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled) = 0;
  virtual HRESULT TxGetVScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled) = 0;
  virtual HRESULT OnTxSetCursor(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd, HDC hdcDraw,
                                HDC hicTargetDev, LPCRECT lprcClient, INT x, INT y) = 0;
  virtual HRESULT TxQueryHitPoint(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                  HDC hdcDraw, HDC hicTargetDev, LPCRECT lprcClient, INT x, INT y,
                                  DWORD* pHitResult) = 0;
  virtual HRESULT OnTxInPlaceActivate(LPCRECT prcClient) = 0;
  virtual HRESULT OnTxInPlaceDeactivate() = 0;
  virtual HRESULT OnTxUIActivate() = 0;
  virtual HRESULT OnTxUIDeactivate() = 0;
  virtual HRESULT TxGetText(BSTR* pbstrText) = 0;
  virtual HRESULT TxSetText(LPCWSTR pszText) = 0;
  virtual HRESULT TxGetCurTargetX(LONG* px) = 0;
  virtual HRESULT TxGetBaseLinePos(LONG* pBaseLinePos) = 0;
  virtual HRESULT TxGetNaturalSize(DWORD dwAspect, HDC hdcDraw, HDC hicTargetDev, DVTARGETDEVICE* ptd,
                                   DWORD dwMode, const SIZEL* psizelExtent, LONG* pwidth, LONG* pheight) = 0;
  virtual HRESULT TxGetDropTarget(IDropTarget** ppDropTarget) = 0;
  virtual HRESULT OnTxPropertyBitsChange(DWORD dwMask, DWORD dwBits) = 0;
  virtual HRESULT TxGetCachedSize(DWORD* pdwWidth, DWORD* pdwHeight) = 0;

 protected:
  ~ITextServices() = default;
};

// Makes the engine for `pITextHost` and answers its IUnknown in *ppUnk
// (one reference); query that for IID_ITextServices. The engine does not
// hold a reference on its host: the host owns the engine and must outlive
// it. An outer unknown (aggregation) is not supported: E_NOTIMPL then.
HRESULT CreateTextServices(IUnknown* punkOuter, ITextHost* pITextHost, IUnknown** ppUnk);
