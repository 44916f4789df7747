// The module's own input method: a typed character's key press commits its
// text (a character that arrived as WM_CHAR, so already composed by the
// program's input method), other keys go on to the page; WebKit tells it
// where the caret is, which wkeGetCaret reports.
#include "Engine.h"

struct WkeInputContext {
  WebKitInputMethodContext parent;
  wkeRect caret;
};

struct WkeInputContextClass {
  WebKitInputMethodContextClass parent;
};

G_DEFINE_TYPE(WkeInputContext, wke_input_context, WEBKIT_TYPE_INPUT_METHOD_CONTEXT)

namespace {

gboolean FilterKey(WebKitInputMethodContext* context, GdkEventKey* key) {
  if (key->type != GDK_KEY_PRESS || (key->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK))) return FALSE;
  const gunichar c = gdk_keyval_to_unicode(key->keyval);
  if (c < 0x20 || c == 0x7F) return FALSE;
  char text[8] = {};
  g_unichar_to_utf8(c, text);
  g_signal_emit_by_name(context, "committed", text);
  return TRUE;
}

void NotifyCursorArea(WebKitInputMethodContext* context, int x, int y, int width, int height) {
  reinterpret_cast<WkeInputContext*>(context)->caret = wkeRect{x, y, width, height};
}

void GetPreedit(WebKitInputMethodContext*, gchar** text, GList** underlines, guint* cursor) {
  if (text) *text = g_strdup("");
  if (underlines) *underlines = nullptr;
  if (cursor) *cursor = 0;
}

}  // namespace

static void wke_input_context_init(WkeInputContext* self) { self->caret = wkeRect{0, 0, 0, 0}; }

static void wke_input_context_class_init(WkeInputContextClass* klass) {
  auto* im = WEBKIT_INPUT_METHOD_CONTEXT_CLASS(klass);
  im->filter_key_event = FilterKey;
  im->notify_cursor_area = NotifyCursorArea;
  im->get_preedit = GetPreedit;
}

namespace wke {

WebKitInputMethodContext* NewInputContext() {
  return WEBKIT_INPUT_METHOD_CONTEXT(g_object_new(wke_input_context_get_type(), nullptr));
}

wkeRect CaretOf(WebKitWebView* web) {
  WebKitInputMethodContext* context = webkit_web_view_get_input_method_context(web);
  if (!context || !G_TYPE_CHECK_INSTANCE_TYPE(context, wke_input_context_get_type())) return wkeRect{0, 0, 0, 0};
  return reinterpret_cast<WkeInputContext*>(context)->caret;
}

}  // namespace wke

WKE_EXPORT wkeRect wkeGetCaret(wkeWebView v) {
  wke::EngineCalled();
  if (!wke::IsLiveView(v)) return wkeRect{0, 0, 0, 0};
  return wke::CaretOf(v->web);
}

// The pointer's look over the page: a hand over links, an I-beam over text
// that can be edited, else the arrow.
WKE_EXPORT int wkeGetCursorInfoType(wkeWebView v) { return wke::IsLiveView(v) ? v->cursorType : 0; }
