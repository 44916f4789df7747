#include "online/AdvertiseBridge.h"

#include <cwchar>

#include "base/ProductInfo.h"
#include "controls/SWkeWebkit.h"
#include "controls/WkeApi.h"
#include "online/WideFormat.h"

namespace {

void Log(const std::wstring& text) { OutputDebugStringW((text + L"\n").c_str()); }

}  // namespace

CBLLAdvertiseMgrLoader::CBLLAdvertiseMgrLoader() : CBLLAdvertiseMgrLoader(PALVANE_MODULE_PATH) {}

CBLLAdvertiseMgrLoader::CBLLAdvertiseMgrLoader(const std::wstring& modulePath) {
  HMODULE module = LoadLibraryW(modulePath.c_str());
  if (!module) {
    const wchar_t* why = Win32ModuleLoadError();
    Log(std::wstring(L"错误:无法加载Palvane模块,请重新安装程序 (") + (why ? why : L"") + L")");
    return;
  }
  auto get = reinterpret_cast<GetBLLAdvertiseMgrDLLFn>(GetProcAddress(module, PALVANE_GET_EXPORT));
  auto release = get ? reinterpret_cast<ReleaseBLLAdvertiseMgrDLLFn>(GetProcAddress(module, PALVANE_RELEASE_EXPORT))
                     : nullptr;
  if (!get || !release) {
    Log(L"错误:无法获取Palvane模块的函数,请重新安装程序");
    FreeLibrary(module);
    return;
  }
  m_module = module;
  m_get = get;
  m_release = release;
}

CBLLAdvertiseMgrLoader::~CBLLAdvertiseMgrLoader() {
  if (!m_module) return;
  m_release();
  FreeLibrary(m_module);
  m_module = nullptr;
  m_get = nullptr;
  m_release = nullptr;
}

IBLLAdvertiseMgr* CBLLAdvertiseMgrLoader::GetManager() { return m_get ? m_get() : nullptr; }

CBLLAdvertiseUI::CBLLAdvertiseUI(ORIEL::SWkeWebkit* web) : CBLLAdvertiseUI(PALVANE_MODULE_PATH, web) {}

CBLLAdvertiseUI::CBLLAdvertiseUI(const std::wstring& modulePath, ORIEL::SWkeWebkit* web)
    : m_web(web), m_loader(modulePath) {
  m_manager = m_loader.GetManager();
  if (m_manager) m_manager->RegisterObserver(this);
}

void CBLLAdvertiseUI::adStatus(const wchar_t* text) {
  if (!m_host) return;  // before the panel exists: dropped
  const std::wstring script = FormatWString(L"adStatus('%s')", EscapeJsString(text ? text : L"").c_str());
  AdStatusRecord record = MakeAdStatusRecord(script.c_str());
  COPYDATASTRUCT data{0, static_cast<DWORD>(sizeof record), &record};
  SendMessageW(m_host, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

bool CBLLAdvertiseUI::BindAdClick() {
  if (WKE_HAS(wkeJsBindFunction)) WKE_API(wkeJsBindFunction)("adClick", &OnJsAdClick, this, 1);
  return true;
}

jsValue OnJsAdClick(jsExecState es, void* param) {
  auto* bridge = static_cast<CBLLAdvertiseUI*>(param);
  if (!bridge) return WKE_HAS(jsUndefined) ? WKE_API(jsUndefined)() : 0;
  if (IBLLAdvertiseUI* ui = bridge->GetAdUI()) ui->BeforeAdClick(bridge);
  std::wstring args[3];
  const int count = WKE_HAS(jsArgCount) ? WKE_API(jsArgCount)(es) : 0;
  for (int i = 0; i < 3 && i < count; ++i) {
    const wchar_t* text = WKE_API(jsToStringW)(es, WKE_API(jsArg)(es, i));
    args[i] = text ? text : L"";
  }
  if (!args[0].empty() && bridge->GetManager())
    bridge->GetManager()->ReportClick(args[0].c_str(), args[1].c_str(), args[2].c_str());
  return WKE_HAS(jsUndefined) ? WKE_API(jsUndefined)() : 0;
}

std::wstring EscapeJsString(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'\\': out += L"\\\\"; break;
      case L'\'': out += L"\\'"; break;
      case L'"': out += L"\\\""; break;
      case L'\n': out += L"\\n"; break;
      case L'\r': out += L"\\r"; break;
      case 0x2028: out += L"\\u2028"; break;
      case 0x2029: out += L"\\u2029"; break;
      default:
        if (c < 0x20) out += FormatWString(L"\\x%02x", static_cast<int>(c));
        else out += c;
    }
  }
  return out;
}

bool InitAdPanel(CBLLAdvertiseUI& bridge, ORIEL::SWkeWebkit* web, HWND host, IBLLAdvertiseUI* ui) {
  bool loading = false;
  if (web) {
    const std::wstring service = GetServiceUrlSetting();
    if (GetAdEnabledSetting() && !service.empty() && bridge.GetManager()) {
      const std::wstring url = service + L"Index/advertising?";
      loading = web->ApplyAttribute(SStringW(L"url"), SStringW(url.c_str()), FALSE) == S_OK;
    }
    // No empty panel: without a page the view is not shown.
    web->SetVisible(loading ? TRUE : FALSE, TRUE);
  }
  bridge.SetWebView(web);
  bridge.SetHostWindow(host);
  bridge.SetAdUI(ui);
  bridge.BindAdClick();
  return loading;
}

LRESULT RunAdStatusCopyData(ORIEL::SWkeWebkit* web, const COPYDATASTRUCT* data) {
  const wchar_t* script = ReadAdStatusScript(data);
  if (script && web && web->GetWebView() && WKE_HAS(wkeRunJSW)) WKE_API(wkeRunJSW)(web->GetWebView(), script);
  return 0;
}
