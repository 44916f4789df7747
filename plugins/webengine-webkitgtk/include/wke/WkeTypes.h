// The web engine module's programming interface: the types its entry points
// take and the signatures of the entry points the program calls. Every
// other name of the list (WkeApiNames.h) is exported too and does nothing.
#pragma once

#include <cstdint>

#include "win32/types.h"

extern "C" {

typedef struct WkeViewImpl* wkeWebView;
typedef struct WkeStringImpl* wkeString;
typedef struct WkeExecImpl* jsExecState;
// A script value handle; 0 is undefined.
typedef int64_t jsValue;
typedef void* wkeNetJob;

struct wkeRect {
  int x, y, w, h;
};

enum wkeLoadingResult { WKE_LOADING_SUCCEEDED, WKE_LOADING_FAILED, WKE_LOADING_CANCELED };
enum wkeNavigationType { WKE_NAVIGATION_TYPE_LINKCLICK, WKE_NAVIGATION_TYPE_OTHER = 5 };

typedef void (*wkeLoadUrlFailCallback)(wkeWebView view, void* param, const char* url, wkeNetJob job);
typedef void (*wkeLoadingFinishCallback)(wkeWebView view, void* param, const wkeString url, wkeLoadingResult result,
                                         const wkeString failedReason);
typedef wkeWebView (*wkeCreateViewCallback)(wkeWebView view, void* param, wkeNavigationType type, const wkeString url,
                                            const void* features);
typedef void (*wkePaintUpdatedCallback)(wkeWebView view, void* param, const HDC hdc, int x, int y, int cx, int cy);
typedef bool (*wkeLoadUrlBeginCallback)(wkeWebView view, void* param, const char* url, wkeNetJob job);
typedef void (*wkeLoadUrlEndCallback)(wkeWebView view, void* param, const char* url, wkeNetJob job, void* buf,
                                      int len);
typedef void (*wkeURLChangedCallback)(wkeWebView view, void* param, const wkeString url);
typedef jsValue (*wkeJsNativeFunction)(jsExecState es, void* param);

// The entry points the program calls, as pointer types named after them.
typedef void (*PFN_wkeInitializeEx)(const void* settings);
typedef bool (*PFN_wkeIsInitialize)();
typedef void (*PFN_wkeShutdown)();
typedef void (*PFN_wkeEnableHighDPISupport)();
typedef wkeWebView (*PFN_wkeCreateWebView)();
typedef void (*PFN_wkeDestroyWebView)(wkeWebView);
typedef void (*PFN_wkeSetHandle)(wkeWebView, HWND);
typedef void (*PFN_wkeSetNavigationToNewWindowEnable)(wkeWebView, bool);
typedef void (*PFN_wkeResize)(wkeWebView, int, int);
typedef HDC (*PFN_wkeGetViewDC)(wkeWebView);
typedef void (*PFN_wkeLoadURLW)(wkeWebView, const wchar_t*);
typedef void (*PFN_wkeSetCookieJarFullPath)(wkeWebView, const wchar_t*);
typedef void (*PFN_wkeSetLocalStorageFullPath)(wkeWebView, const wchar_t*);
typedef void (*PFN_wkeOnLoadUrlFail)(wkeWebView, wkeLoadUrlFailCallback, void*);
typedef void (*PFN_wkeOnLoadingFinish)(wkeWebView, wkeLoadingFinishCallback, void*);
typedef void (*PFN_wkeOnCreateView)(wkeWebView, wkeCreateViewCallback, void*);
typedef void (*PFN_wkeOnPaintUpdated)(wkeWebView, wkePaintUpdatedCallback, void*);
typedef void (*PFN_wkeOnLoadUrlBegin)(wkeWebView, wkeLoadUrlBeginCallback, void*);
typedef void (*PFN_wkeOnLoadUrlEnd)(wkeWebView, wkeLoadUrlEndCallback, void*);
typedef void (*PFN_wkeOnURLChanged)(wkeWebView, wkeURLChangedCallback, void*);
typedef const wchar_t* (*PFN_wkeToStringW)(const wkeString);
typedef int (*PFN_wkeContentsWidth)(wkeWebView);
typedef int (*PFN_wkeContentsHeight)(wkeWebView);
typedef bool (*PFN_wkeFireMouseEvent)(wkeWebView, UINT message, int x, int y, UINT flags);
typedef bool (*PFN_wkeMouseEvent)(wkeWebView, UINT message, int x, int y, UINT flags);
typedef bool (*PFN_wkeFireMouseWheelEvent)(wkeWebView, int x, int y, int delta, UINT flags);
typedef bool (*PFN_wkeFireKeyDownEvent)(wkeWebView, UINT code, UINT flags, bool systemKey);
typedef bool (*PFN_wkeFireKeyUpEvent)(wkeWebView, UINT code, UINT flags, bool systemKey);
typedef bool (*PFN_wkeFireKeyPressEvent)(wkeWebView, UINT code, UINT flags, bool systemKey);
typedef void (*PFN_wkeSetFocus)(wkeWebView);
typedef void (*PFN_wkeKillFocus)(wkeWebView);
typedef wkeRect (*PFN_wkeGetCaret)(wkeWebView);
typedef int (*PFN_wkeGetCursorInfoType)(wkeWebView);
typedef jsValue (*PFN_wkeRunJSW)(wkeWebView, const wchar_t*);
typedef void (*PFN_wkeJsBindFunction)(const char* name, wkeJsNativeFunction fn, void* param, unsigned argCount);
typedef int (*PFN_jsArgCount)(jsExecState);
typedef jsValue (*PFN_jsArg)(jsExecState, int index);
typedef const wchar_t* (*PFN_jsToStringW)(jsExecState, jsValue);
typedef jsValue (*PFN_jsUndefined)();

}
