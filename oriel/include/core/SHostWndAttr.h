// The attributes of a host window's root element: size, resize margins,
// minimum and maximised extents, window styles, title, icons and the
// flag word (alpha, window type, resizable, app window, tool window,
// translucent, spy access, wheel routing).
#pragma once

#include "core/SLayoutSize.h"
#include "core/SObject.h"

namespace ORIEL {

struct ITrCtxProvider {
  virtual ~ITrCtxProvider() = default;
  virtual SStringW GetTrCtx() const = 0;
};

class SHostWndAttr : public SObjectImpl<TObjRefImpl<IObject>>, public ITrCtxProvider {
  SOBJ_CLASS(SHostWndAttr, SObjectImpl<TObjRefImpl<IObject>>, L"SHostWndAttr", kObjNone)

 public:
  enum WndType { kUndefine = 0, kAppMain = 1, kNormal = 2 };

  SHostWndAttr();
  ~SHostWndAttr() override;
  SHostWndAttr(const SHostWndAttr&) = delete;
  SHostWndAttr& operator=(const SHostWndAttr&) = delete;

  HRESULT ApplyAttribute(const SStringW& name, const SStringW& value, BOOL loading) override;
  using SObjectImpl<TObjRefImpl<IObject>>::ApplyAttribute;
  SStringW GetTrCtx() const override { return trCtx_; }

  // Alpha 255, type "undefine", spy allowed, other bits and both styles
  // cleared, icons destroyed; sizes and texts keep their values.
  void ResetDefaults();

  RECT MarginPixels(int scale) const;
  SIZE MinSizePixels(int scale) const;
  RECT MaxInsetPixels(int scale) const;
  SLayoutSize& Width() { return width_; }
  SLayoutSize& Height() { return height_; }
  const SLayoutSize& Width() const { return width_; }
  const SLayoutSize& Height() const { return height_; }
  // Wrap-content windows have no resize border along that axis.
  void ClearHorizontalMargins() { margin_[0] = margin_[2] = SLayoutSize(); }
  void ClearVerticalMargins() { margin_[1] = margin_[3] = SLayoutSize(); }

  BYTE Alpha() const { return static_cast<BYTE>(flags_ & 0xFF); }
  WndType Type() const { return static_cast<WndType>((flags_ >> 8) & 0xFF); }
  bool Resizable() const { return (flags_ & kResizable) != 0; }
  bool AppWnd() const { return (flags_ & kAppWnd) != 0; }
  bool ToolWindow() const { return (flags_ & kToolWindow) != 0; }
  bool Translucent() const { return (flags_ & kTranslucent) != 0; }
  bool AllowSpy() const { return (flags_ & kAllowSpy) != 0; }
  bool SendWheelToHover() const { return (flags_ & kSendWheel2Hover) != 0; }
  DWORD WndStyle() const { return wndStyle_; }
  DWORD WndStyleEx() const { return wndStyleEx_; }
  SStringW Title() const { return title_; }
  HICON SmallIcon() const { return smallIcon_; }
  HICON BigIcon() const { return bigIcon_; }

 private:
  enum : DWORD {
    kResizable = 1u << 16,
    kAppWnd = 1u << 17,
    kToolWindow = 1u << 18,
    kTranslucent = 1u << 19,
    kAllowSpy = 1u << 20,
    kSendWheel2Hover = 1u << 21,
  };
  void SetBit(DWORD bit, const SStringW& value);
  void DestroyIcons();

  SLayoutSize margin_[4];
  SLayoutSize minSize_[2];
  SLayoutSize width_, height_;
  SLayoutSize maxInset_[4];
  DWORD flags_ = 0;
  DWORD wndStyle_ = 0;
  DWORD wndStyleEx_ = 0;
  SStringW trCtx_;
  SStringW title_;
  HICON smallIcon_ = nullptr;
  HICON bigIcon_ = nullptr;
};

}  // namespace ORIEL
