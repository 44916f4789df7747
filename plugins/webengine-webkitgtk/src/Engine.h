// The module's shared state: one GTK initialisation on the UI thread, the
// views it made, and the functions bound for page script.
#pragma once

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "wke/WkeTypes.h"

#define WKE_EXPORT extern "C" __attribute__((visibility("default")))

struct WkeStringImpl {
  std::wstring text;
};

struct WkeViewImpl {
  GtkWidget* window = nullptr;  // the GtkOffscreenWindow
  WebKitWebView* web = nullptr;
  HWND host = nullptr;
  bool newWindows = true;
  int width = 0, height = 0;
  int contentWidth = 0, contentHeight = 0;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  int bitmapWidth = 0, bitmapHeight = 0;
  std::wstring cookiePath, storagePath;
  WkeStringImpl url;
  int cursorType = 0;
  bool shift = false, control = false;
  wkeLoadUrlFailCallback onFail = nullptr;
  void* onFailParam = nullptr;
  wkeLoadingFinishCallback onFinish = nullptr;
  void* onFinishParam = nullptr;
  wkeCreateViewCallback onCreate = nullptr;
  void* onCreateParam = nullptr;
  wkePaintUpdatedCallback onPaint = nullptr;
  void* onPaintParam = nullptr;
  wkeLoadUrlBeginCallback onBegin = nullptr;
  void* onBeginParam = nullptr;
  wkeLoadUrlEndCallback onEnd = nullptr;
  void* onEndParam = nullptr;
  wkeURLChangedCallback onUrl = nullptr;
  void* onUrlParam = nullptr;
};

namespace wke {

bool Initialized();
// Called on entry by every export that calls GTK or WebKit: GLib's sources
// are asked again at the thread's next wait (what the call added there
// wakes nothing).
void EngineCalled();
// How many engine pixels a page's CSS pixel takes: the engine scale once
// high-DPI support is on, else 1.
double PageScale();
// The zoom level that gives a view that scale.
double ViewZoom();
// The content manager all views share, so that bound functions reach every
// view, present and later.
WebKitUserContentManager* SharedContentManager();
std::vector<WkeViewImpl*>& LiveViews();
bool IsLiveView(const WkeViewImpl* view);

std::string ToUtf8(const wchar_t* text);
std::wstring FromUtf8(const char* text);

// The module's input method for a new view, and the caret it was told of.
WebKitInputMethodContext* NewInputContext();
wkeRect CaretOf(WebKitWebView* web);

// Script binding, set up on the shared content manager.
void InstallBindings(WebKitUserContentManager* manager);

}  // namespace wke
