// Windows built from parts: "captionex" is the framework caption with a
// drag mode (1 moves the host like any caption, 0 moves the control inside
// its parent); "part" is a caption that loads its children from a layout
// resource of its own ("src") and hands its commands, timers, copied data
// and application messages to a handler object the host gives it.
#pragma once

#include "control/SCaption.h"
#include "core/SHostWnd.h"

namespace ORIEL {

class SCaptionEx : public SCaption {
  SOBJ_CLASS(SCaptionEx, SCaption, L"captionex", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"caption"; }
  enum : int { kDragInParent = 0, kDragHost = 1 };

  void SetDragMode(int mode) { dragMode_ = mode; }
  int GetDragMode() const { return dragMode_; }
  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  int dragMode_ = kDragHost;
  bool dragging_ = false;
  POINT last_{0, 0};
};

class SCtrlPart;

// A part's behaviour. A handler claims a message by setting its part's
// handled flag (SCtrlPart::SetMsgHandled); one that leaves it clear
// declines, and the message goes on to the caption.
class ISCtrlPartHandler {
 public:
  ISCtrlPartHandler(SHostWnd* host, SCtrlPart* part) : host_(host), part_(part) {}
  virtual ~ISCtrlPartHandler() = default;

  virtual void OnInit() = 0;
  virtual void OnCommand(UINT code, UINT id, LPARAM lParam) = 0;
  virtual LRESULT OnUserMessage(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  virtual void OnCopyData(WPARAM wParam, LPARAM lParam) = 0;
  // Declines: a host's timers pass through a part unclaimed.
  virtual void OnTimer(UINT_PTR id);

  SHostWnd* GetHost() const { return host_; }
  SCtrlPart* GetPart() const { return part_; }
  SWindow* FindChildByName(const SStringW& name, int depth = -1) const;
  SWindow* FindChildByID(int id, int depth = -1) const;
  void InvalidatePart();

 private:
  SHostWnd* host_;
  SCtrlPart* part_;
};

class SCtrlPart : public SCaptionEx {
  SOBJ_CLASS(SCtrlPart, SCaptionEx, L"part", kObjWindow)

 public:
  static LPCWSTR BaseClassName() { return L"captionex"; }

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SCaptionEx::ApplyAttribute;

  // The part does not own the handler. Setting one runs its OnInit at once.
  void SetHandler(ISCtrlPartHandler* handler);
  ISCtrlPartHandler* GetHandler() const { return handler_; }
  const SStringW& GetLayoutSource() const { return source_; }

  void SetMsgHandled(BOOL handled) { msgHandled_ = handled; }
  BOOL IsMsgHandled() const { return msgHandled_; }

  BOOL HandleSwndMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // The children of the "include" document the source names ("TYPE:name",
  // or a name alone of type LAYOUT); none when it does not load.
  void LoadPartLayout();
  // Offers a message to the handler; true when it claimed it.
  BOOL OfferToHandler(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  SStringW source_;
  ISCtrlPartHandler* handler_ = nullptr;
  BOOL msgHandled_ = FALSE;
};

}  // namespace ORIEL
