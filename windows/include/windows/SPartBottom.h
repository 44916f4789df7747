#pragma once
// The main window's bottom bar: the product's web site, customer service,
// the update button (offered to channels from "360" on), the version, and
// the advertising panel, whose page the advertising bridge drives. Without
// an advertisement (flag off, no module, no engine) the panel is hidden.

#include <memory>
#include <string>

#include "controls/SCtrlPart.h"
#include "core/SHostWnd.h"
#include "event/SWndEvents.h"
#include "online/AdvertiseBridge.h"

namespace ORIEL {
class SWkeWebkit;
}

class SPartBottom : public ORIEL::ISCtrlPartHandler, public IBLLAdvertiseUI {
 public:
  // `view` is the main window; `part` the bar whose children come from
  // "layoutglobal:part_main_bottom". The bridge loads the advertising
  // module from `adModule` (the program's own when empty).
  SPartBottom(ORIEL::SHostWnd* view, ORIEL::SCtrlPart* part, const std::wstring& adModule = std::wstring());
  ~SPartBottom() override;
  SPartBottom(const SPartBottom&) = delete;
  SPartBottom& operator=(const SPartBottom&) = delete;

  // When the bar initialises: the panel, the buttons, the version.
  void OnInit() override;
  void OnCommand(UINT, UINT, LPARAM) override {}
  LRESULT OnUserMessage(UINT, WPARAM, LPARAM) override { return 0; }
  // The advertising status record: its script runs in the panel's page.
  // Anything else is ignored; the message is never claimed.
  void OnCopyData(WPARAM wParam, LPARAM lParam) override;

  bool OpenWebsite(ORIEL::EventCmd* e);
  bool OpenCustomerService(ORIEL::EventCmd* e);
  // The update check is the caption's menu item 4.
  bool RequestUpdateCheck(ORIEL::EventCmd* e);

  void BeforeAdClick(CBLLAdvertiseUI*) override {}

  ORIEL::SWkeWebkit* GetAdView() const { return ad_; }
  CBLLAdvertiseUI& GetBridge() { return *bridge_; }

 private:
  void InitAdPanel();

  ORIEL::SHostWnd* view_;
  ORIEL::SWindow* part_;
  ORIEL::SWkeWebkit* ad_ = nullptr;
  std::unique_ptr<CBLLAdvertiseUI> bridge_;
};

// The product page the web-site button opens when none is configured.
const wchar_t* DefaultProductPage();
