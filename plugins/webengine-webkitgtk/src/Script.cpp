// Functions bound for page script: window[name] posts its arguments to a
// script message handler shared by every view; the bound function runs on
// the UI thread with the arguments readable through jsArgCount/jsArg.
#include <deque>

#include "Engine.h"

struct WkeExecImpl {
  std::vector<JSCValue*> args;
  std::deque<std::wstring> texts;  // strings handed out during the call
};

namespace {

constexpr const char* kHandler = "wkeBoundCall";

struct Binding {
  wkeJsNativeFunction fn;
  void* param;
};

std::map<std::string, Binding>& Bindings() {
  static std::map<std::string, Binding> bindings;
  return bindings;
}

// Names reach the page inside a script: keep them to identifier characters.
bool IsPlainName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!g_ascii_isalnum(c) && c != '_' && c != '$') return false;
  return !g_ascii_isdigit(name[0]);
}

std::string BindingScript(const std::string& name) {
  return "window['" + name + "'] = function() { window.webkit.messageHandlers." + kHandler +
         ".postMessage({name: '" + name +
         "', args: Array.prototype.map.call(arguments, function(a) {"
         " return (a === null || a === undefined || typeof a === 'number' || typeof a === 'boolean'"
         " || typeof a === 'string') ? a : String(a); })}); };";
}

void OnMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer) {
  JSCValue* message = webkit_javascript_result_get_js_value(result);
  if (!jsc_value_is_object(message)) return;
  JSCValue* nameValue = jsc_value_object_get_property(message, "name");
  gchar* name = jsc_value_to_string(nameValue);
  g_object_unref(nameValue);
  auto found = Bindings().find(name);
  g_free(name);
  if (found == Bindings().end()) return;
  WkeExecImpl exec;
  JSCValue* args = jsc_value_object_get_property(message, "args");
  if (jsc_value_is_array(args)) {
    JSCValue* length = jsc_value_object_get_property(args, "length");
    const int count = jsc_value_to_int32(length);
    g_object_unref(length);
    for (int i = 0; i < count; ++i) exec.args.push_back(jsc_value_object_get_property_at_index(args, i));
  }
  g_object_unref(args);
  found->second.fn(&exec, found->second.param);
  for (JSCValue* arg : exec.args) g_object_unref(arg);
}

}  // namespace

namespace wke {

void InstallBindings(WebKitUserContentManager* manager) {
  g_signal_connect(manager, (std::string("script-message-received::") + kHandler).c_str(), G_CALLBACK(OnMessage),
                   nullptr);
  webkit_user_content_manager_register_script_message_handler(manager, kHandler);
  for (const auto& [name, binding] : Bindings()) {
    WebKitUserScript* script =
        webkit_user_script_new(BindingScript(name).c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(manager, script);
    webkit_user_script_unref(script);
  }
}

}  // namespace wke

WKE_EXPORT void wkeJsBindFunction(const char* name, wkeJsNativeFunction fn, void* param, unsigned) {
  wke::EngineCalled();
  if (!name || !fn) return;
  const std::string plain(name);
  if (!IsPlainName(plain)) {
    std::fprintf(stderr, "web engine: refused to bind '%s': not a plain script name\n", name);
    return;
  }
  const bool fresh = Bindings().count(plain) == 0;
  Bindings()[plain] = Binding{fn, param};
  if (!fresh || !wke::Initialized()) return;  // before start-up: added when the engine starts
  WebKitUserScript* script =
      webkit_user_script_new(BindingScript(plain).c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                             WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
  webkit_user_content_manager_add_script(wke::SharedContentManager(), script);
  webkit_user_script_unref(script);
  // Pages already shown get the function too.
  for (WkeViewImpl* view : wke::LiveViews())
    webkit_web_view_evaluate_javascript(view->web, BindingScript(plain).c_str(), -1, nullptr, nullptr, nullptr,
                                        nullptr, nullptr);
}

WKE_EXPORT int jsArgCount(jsExecState es) { return es ? static_cast<int>(es->args.size()) : 0; }

WKE_EXPORT jsValue jsArg(jsExecState es, int index) {
  if (!es || index < 0 || index >= static_cast<int>(es->args.size())) return 0;
  return static_cast<jsValue>(reinterpret_cast<intptr_t>(es->args[static_cast<size_t>(index)]));
}

WKE_EXPORT const wchar_t* jsToStringW(jsExecState es, jsValue value) {
  if (!es) return L"";
  JSCValue* v = nullptr;
  for (JSCValue* arg : es->args)
    if (static_cast<jsValue>(reinterpret_cast<intptr_t>(arg)) == value) v = arg;
  if (!v || jsc_value_is_undefined(v) || jsc_value_is_null(v)) return L"";
  gchar* text = jsc_value_to_string(v);
  es->texts.push_back(wke::FromUtf8(text));
  g_free(text);
  return es->texts.back().c_str();
}

WKE_EXPORT jsValue jsUndefined() { return 0; }
