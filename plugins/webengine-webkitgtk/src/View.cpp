// Views: a WebKitWebView in a GtkOffscreenWindow, its pixels copied into a
// memory DC of the program's GDI on every damage, loads and their
// callbacks.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Engine.h"
#include "gdi/GdiCairo.h"
#include "gdi/gdi.h"

namespace {

void ReleaseBitmap(WkeViewImpl* v) {
  if (v->dc && v->oldBitmap) SelectObject(v->dc, v->oldBitmap);
  if (v->bitmap) DeleteObject(v->bitmap);
  v->bitmap = nullptr;
  v->oldBitmap = nullptr;
  v->bitmapWidth = v->bitmapHeight = 0;
}

// A 32-bit top-down DIB of the view's size, selected into the view's DC.
void EnsureBitmap(WkeViewImpl* v, int width, int height) {
  if (!v->dc) v->dc = CreateCompatibleDC(nullptr);
  if (v->bitmap && v->bitmapWidth == width && v->bitmapHeight == height) return;
  ReleaseBitmap(v);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = std::max(width, 1);
  info.bmiHeader.biHeight = -std::max(height, 1);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  v->bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!v->bitmap) return;
  v->oldBitmap = SelectObject(v->dc, v->bitmap);
  v->bitmapWidth = width;
  v->bitmapHeight = height;
}

// Reads the page's scroll size into the view, for wkeContentsWidth/Height.
void RefreshContentSize(WkeViewImpl* v) {
  webkit_web_view_evaluate_javascript(
      v->web, "[document.documentElement.scrollWidth, document.documentElement.scrollHeight].join(',')", -1,
      nullptr, nullptr, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* view = static_cast<WkeViewImpl*>(data);
        JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
        if (!value) return;
        if (wke::IsLiveView(view) && jsc_value_is_string(value)) {
          gchar* text = jsc_value_to_string(value);
          int w = 0, h = 0;
          if (std::sscanf(text, "%d,%d", &w, &h) == 2) {
            const double zoom = wke::PageScale();
            view->contentWidth = static_cast<int>(w * zoom);
            view->contentHeight = static_cast<int>(h * zoom);
          }
          g_free(text);
        }
        g_object_unref(value);
      },
      v);
}

gboolean OnDamage(GtkWidget* window, GdkEventExpose* event, gpointer data) {
  auto* v = static_cast<WkeViewImpl*>(data);
  cairo_surface_t* source = gtk_offscreen_window_get_surface(GTK_OFFSCREEN_WINDOW(window));
  if (!source) return FALSE;
  EnsureBitmap(v, v->width, v->height);
  cairo_surface_t* target = v->bitmap ? GdiSurfaceOfBitmap(v->bitmap) : nullptr;
  if (!target) return FALSE;
  cairo_t* cr = cairo_create(target);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source, 0, 0);
  gdk_cairo_rectangle(cr, &event->area);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(target);
  if (v->onPaint)
    v->onPaint(v, v->onPaintParam, v->dc, event->area.x, event->area.y, event->area.width, event->area.height);
  return FALSE;
}

void OnLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
  auto* v = static_cast<WkeViewImpl*>(data);
  if (event != WEBKIT_LOAD_FINISHED) return;
  RefreshContentSize(v);
  if (v->onFinish) v->onFinish(v, v->onFinishParam, &v->url, WKE_LOADING_SUCCEEDED, nullptr);
}

gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError*, gpointer data) {
  auto* v = static_cast<WkeViewImpl*>(data);
  if (v->onFail) v->onFail(v, v->onFailParam, uri, nullptr);
  return FALSE;  // WebKit still ends the load, which reports its finish
}

void OnUriChanged(WebKitWebView* web, GParamSpec*, gpointer data) {
  auto* v = static_cast<WkeViewImpl*>(data);
  v->url.text = wke::FromUtf8(webkit_web_view_get_uri(web));
  if (v->onUrl) v->onUrl(v, v->onUrlParam, &v->url);
}

GtkWidget* OnCreate(WebKitWebView* web, WebKitNavigationAction* action, gpointer data) {
  auto* v = static_cast<WkeViewImpl*>(data);
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
  if (!uri) return nullptr;
  WkeStringImpl target{wke::FromUtf8(uri)};
  wkeWebView chosen = v->onCreate ? v->onCreate(v, v->onCreateParam, WKE_NAVIGATION_TYPE_LINKCLICK, &target, nullptr)
                                  : (v->newWindows ? nullptr : v);
  // New windows are not made: the page that asked navigates in place when
  // its own view is chosen, and nothing opens otherwise.
  if (chosen == v) webkit_web_view_load_uri(web, uri);
  return nullptr;
}

void OnResourceStarted(WebKitWebView*, WebKitWebResource* resource, WebKitURIRequest* request, gpointer data) {
  auto* v = static_cast<WkeViewImpl*>(data);
  const char* uri = webkit_uri_request_get_uri(request);
  if (v->onBegin) v->onBegin(v, v->onBeginParam, uri, nullptr);
  if (!v->onEnd) return;
  g_signal_connect(resource, "finished", G_CALLBACK(+[](WebKitWebResource* res, gpointer viewData) {
                     auto* view = static_cast<WkeViewImpl*>(viewData);
                     if (!wke::IsLiveView(view) || !view->onEnd) return;
                     view->onEnd(view, view->onEndParam, webkit_web_resource_get_uri(res), nullptr, nullptr, 0);
                   }),
                   v);
}

void OnMouseTarget(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer data) {
  auto* v = static_cast<WkeViewImpl*>(data);
  if (webkit_hit_test_result_context_is_link(hit)) v->cursorType = 2;
  else if (webkit_hit_test_result_context_is_editable(hit)) v->cursorType = 3;
  else v->cursorType = 0;
}

}  // namespace

WKE_EXPORT wkeWebView wkeCreateWebView() {
  wke::EngineCalled();
  if (!wke::Initialized()) return nullptr;
  auto* v = new WkeViewImpl;
  v->window = gtk_offscreen_window_new();
  v->web = WEBKIT_WEB_VIEW(webkit_web_view_new_with_user_content_manager(wke::SharedContentManager()));
  WebKitSettings* settings = webkit_web_view_get_settings(v->web);
  // No GPU here: the offscreen window is drawn by software into its surface.
  webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  webkit_web_view_set_zoom_level(v->web, wke::ViewZoom());
  WebKitInputMethodContext* input = wke::NewInputContext();
  webkit_web_view_set_input_method_context(v->web, input);
  g_object_unref(input);
  gtk_container_add(GTK_CONTAINER(v->window), GTK_WIDGET(v->web));
  v->width = 1;
  v->height = 1;
  gtk_window_set_default_size(GTK_WINDOW(v->window), 1, 1);
  g_signal_connect(v->window, "damage-event", G_CALLBACK(OnDamage), v);
  g_signal_connect(v->web, "load-changed", G_CALLBACK(OnLoadChanged), v);
  g_signal_connect(v->web, "load-failed", G_CALLBACK(OnLoadFailed), v);
  g_signal_connect(v->web, "notify::uri", G_CALLBACK(OnUriChanged), v);
  g_signal_connect(v->web, "create", G_CALLBACK(OnCreate), v);
  g_signal_connect(v->web, "mouse-target-changed", G_CALLBACK(OnMouseTarget), v);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  g_signal_connect(v->web, "resource-load-started", G_CALLBACK(OnResourceStarted), v);
  G_GNUC_END_IGNORE_DEPRECATIONS
  gtk_widget_show_all(v->window);
  wke::LiveViews().push_back(v);
  return v;
}

WKE_EXPORT void wkeDestroyWebView(wkeWebView v) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v)) return;
  auto& views = wke::LiveViews();
  views.erase(std::find(views.begin(), views.end(), v));
  g_signal_handlers_disconnect_by_data(v->web, v);
  g_signal_handlers_disconnect_by_data(v->window, v);
  gtk_widget_destroy(v->window);
  ReleaseBitmap(v);
  if (v->dc) DeleteDC(v->dc);
  delete v;
}

WKE_EXPORT void wkeSetHandle(wkeWebView v, HWND hwnd) {
  wke::EngineCalled();
  if (wke::IsLiveView(v)) v->host = hwnd;
}

WKE_EXPORT void wkeSetNavigationToNewWindowEnable(wkeWebView v, bool enable) {
  wke::EngineCalled();
  if (wke::IsLiveView(v)) v->newWindows = enable;
}

WKE_EXPORT void wkeResize(wkeWebView v, int width, int height) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v)) return;
  v->width = std::max(width, 1);
  v->height = std::max(height, 1);
  gtk_window_resize(GTK_WINDOW(v->window), v->width, v->height);
  gtk_widget_set_size_request(GTK_WIDGET(v->web), v->width, v->height);
  EnsureBitmap(v, v->width, v->height);
}

WKE_EXPORT HDC wkeGetViewDC(wkeWebView v) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v)) return nullptr;
  EnsureBitmap(v, v->width, v->height);
  return v->dc;
}

WKE_EXPORT void wkeLoadURLW(wkeWebView v, const wchar_t* url) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v) || !url) return;
  webkit_web_view_load_uri(v->web, wke::ToUtf8(url).c_str());
}

WKE_EXPORT void wkeSetCookieJarFullPath(wkeWebView v, const wchar_t* path) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v) || !path || v->cookiePath == path) return;
  v->cookiePath = path;
  const std::string file = wke::ToUtf8(path);
  // The store is a file in a folder that may not exist yet.
  gchar* folder = g_path_get_dirname(file.c_str());
  if (g_mkdir_with_parents(folder, 0700) != 0)
    std::fprintf(stderr, "web engine: cannot make the cookie folder %s: %s\n", folder, g_strerror(errno));
  g_free(folder);
  WebKitWebContext* context = webkit_web_view_get_context(v->web);
  WebKitCookieManager* cookies = webkit_web_context_get_cookie_manager(context);
  webkit_cookie_manager_set_persistent_storage(cookies, file.c_str(),
                                               WEBKIT_COOKIE_PERSISTENT_STORAGE_SQLITE);
}

// Recorded only: WebKit keeps its local storage under its own data folder.
WKE_EXPORT void wkeSetLocalStorageFullPath(wkeWebView v, const wchar_t* path) {
  if (wke::IsLiveView(v) && path) v->storagePath = path;
}

WKE_EXPORT const wchar_t* wkeToStringW(const wkeString s) { return s ? s->text.c_str() : L""; }

WKE_EXPORT int wkeContentsWidth(wkeWebView v) { return wke::IsLiveView(v) ? v->contentWidth : 0; }
WKE_EXPORT int wkeContentsHeight(wkeWebView v) { return wke::IsLiveView(v) ? v->contentHeight : 0; }

#define WKE_CALLBACK_SETTER(api, type, field)                 \
  WKE_EXPORT void api(wkeWebView v, type callback, void* param) { \
    if (!wke::IsLiveView(v)) return;                          \
    v->field = callback;                                      \
    v->field##Param = param;                                  \
  }
WKE_CALLBACK_SETTER(wkeOnLoadUrlFail, wkeLoadUrlFailCallback, onFail)
WKE_CALLBACK_SETTER(wkeOnLoadingFinish, wkeLoadingFinishCallback, onFinish)
WKE_CALLBACK_SETTER(wkeOnCreateView, wkeCreateViewCallback, onCreate)
WKE_CALLBACK_SETTER(wkeOnPaintUpdated, wkePaintUpdatedCallback, onPaint)
WKE_CALLBACK_SETTER(wkeOnLoadUrlBegin, wkeLoadUrlBeginCallback, onBegin)
WKE_CALLBACK_SETTER(wkeOnLoadUrlEnd, wkeLoadUrlEndCallback, onEnd)
WKE_CALLBACK_SETTER(wkeOnURLChanged, wkeURLChangedCallback, onUrl)

WKE_EXPORT jsValue wkeRunJSW(wkeWebView v, const wchar_t* script) {
  wke::EngineCalled();
  if (wke::IsLiveView(v) && script)
    webkit_web_view_evaluate_javascript(v->web, wke::ToUtf8(script).c_str(), -1, nullptr, nullptr, nullptr, nullptr,
                                        nullptr);
  return 0;
}
