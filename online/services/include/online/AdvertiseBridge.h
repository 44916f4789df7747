// The program's side of the advertising panel: a loader that binds the
// advertising module, and the bridge that registers with its manager,
// passes the manager's status into the panel's page (through the host
// window, as the advertising status record) and the page's clicks to the
// manager.
//
// The module is optional: when it or one of its exports is missing, the
// loader logs why and the program runs on without a panel.
#pragma once

#include <string>

#include "online/AdStatusRecord.h"
#include "online/AdvertiseMgr.h"
#include "wke/WkeTypes.h"
#include "win32/windows.h"

namespace ORIEL {
class SWkeWebkit;
}

class CBLLAdvertiseUI;

// The panel hosting the bridge (the bottom bar); told before each click is
// reported.
class IBLLAdvertiseUI {
 public:
  virtual void BeforeAdClick(CBLLAdvertiseUI* bridge) = 0;

 protected:
  ~IBLLAdvertiseUI() = default;
};

class CBLLAdvertiseMgrLoader {
 public:
  // Loads ./libPalvane.so from the current directory (start-up makes it
  // the program's folder).
  CBLLAdvertiseMgrLoader();
  explicit CBLLAdvertiseMgrLoader(const std::wstring& modulePath);
  // Releases the manager and frees the module, once.
  virtual ~CBLLAdvertiseMgrLoader();
  CBLLAdvertiseMgrLoader(const CBLLAdvertiseMgrLoader&) = delete;
  CBLLAdvertiseMgrLoader& operator=(const CBLLAdvertiseMgrLoader&) = delete;

  bool IsLoaded() const { return m_module != nullptr; }
  // The module's manager; null without the module.
  IBLLAdvertiseMgr* GetManager();

 private:
  HMODULE m_module = nullptr;
  GetBLLAdvertiseMgrDLLFn m_get = nullptr;
  ReleaseBLLAdvertiseMgrDLLFn m_release = nullptr;
};

class CBLLAdvertiseUI : public IBLLAdvertiseMgrInterface {
 public:
  // Loads the module, takes its manager and registers with it.
  explicit CBLLAdvertiseUI(ORIEL::SWkeWebkit* web = nullptr);
  CBLLAdvertiseUI(const std::wstring& modulePath, ORIEL::SWkeWebkit* web);
  // Sends the page adStatus('<text>') through the host window; nothing
  // while no host window is set.
  void adStatus(const wchar_t* text) override;
  // The loader member releases the manager and frees the module.
  virtual ~CBLLAdvertiseUI() = default;
  // Binds the page's global function adClick to OnJsAdClick; true.
  virtual bool BindAdClick();

  ORIEL::SWkeWebkit* GetWebView() const { return m_web; }
  void SetWebView(ORIEL::SWkeWebkit* web) { m_web = web; }
  void SetHostWindow(HWND host) { m_host = host; }
  void SetAdUI(IBLLAdvertiseUI* ui) { m_ui = ui; }
  IBLLAdvertiseUI* GetAdUI() const { return m_ui; }
  IBLLAdvertiseMgr* GetManager() const { return m_manager; }

 private:
  ORIEL::SWkeWebkit* m_web = nullptr;
  HWND m_host = nullptr;
  IBLLAdvertiseUI* m_ui = nullptr;
  IBLLAdvertiseMgr* m_manager = nullptr;
  CBLLAdvertiseMgrLoader m_loader;
};

// The page's adClick(first, second, third): tells the panel, then reports
// the three texts to the manager when the first is not empty.
jsValue OnJsAdClick(jsExecState es, void* bridge);

// `text` as the inside of a single-quoted JavaScript string: quotes,
// backslashes, line ends and other control characters escaped.
std::wstring EscapeJsString(const std::wstring& text);

// The panel's start as the bottom bar does it: with ad_enabled = 1, a
// service address and the module's manager, the view loads
// "<service_url>Index/advertising?"; otherwise it is hidden. Either way the
// bridge gets the view, the host window and the panel, and binds adClick.
// True when the page is loading.
bool InitAdPanel(CBLLAdvertiseUI& bridge, ORIEL::SWkeWebkit* web, HWND host, IBLLAdvertiseUI* ui);

// The receiving end of the status record in the host window's WM_COPYDATA:
// runs the record's script in `web`. Other data is ignored. Returns 0.
LRESULT RunAdStatusCopyData(ORIEL::SWkeWebkit* web, const COPYDATASTRUCT* data);
