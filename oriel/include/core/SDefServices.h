// The three services a program may replace, with the defaults the
// application installs: a translator that translates nothing, a tool-tip
// factory, and the factory of the framework's message loop.
#pragma once

#include <pugixml.hpp>

#include "core/SString.h"
#include "gdi/gdi.h"
#include "render/TObjRefImpl.h"

namespace ORIEL {

class SMessageLoop;
struct IToolTip;
struct FontInfo;

struct ITranslatorMgr : IObjRef {
  virtual void SetLanguage(const SStringW& lang) = 0;
  virtual void GetLanguage(wchar_t* buffer) = 0;
  virtual int InstallTranslator(void* translator) = 0;
  virtual int UninstallTranslator(void* id) = 0;
  virtual int CreateTranslator(void** out) = 0;
  // Size in characters of the translation, terminator included, written
  // when the buffer is large enough; 0 when there is none.
  virtual int TranslateInContext(const wchar_t* src, const wchar_t* context, wchar_t* buffer, int size) = 0;
  // May change the LOGFONTW a font is made from; true when it did.
  virtual BOOL UpdateFont(const FontInfo&, LOGFONTW&) { return FALSE; }
};

struct IToolTipFactory : IObjRef {
  virtual IToolTip* CreateToolTip(HWND host) = 0;
  virtual void DestroyToolTip(IToolTip* tip) = 0;
};

struct IMsgLoopFactory : IObjRef {
  virtual SMessageLoop* CreateMsgLoop() = 0;
  virtual void DestroyMsgLoop(SMessageLoop* loop) = 0;
};

class SNullTranslator : public TObjRefImpl<ITranslatorMgr> {
 public:
  void SetLanguage(const SStringW&) override {}
  void GetLanguage(wchar_t* buffer) override {
    if (buffer) buffer[0] = 0;
  }
  int InstallTranslator(void*) override { return 0; }
  int UninstallTranslator(void*) override { return 0; }
  int CreateTranslator(void**) override { return 0; }
  int TranslateInContext(const wchar_t*, const wchar_t*, wchar_t*, int) override { return 0; }
};

// Makes the framework's own tool tip (null when its window cannot be made);
// destroying it destroys the window, after which the tip deletes itself.
class SDefToolTipFactory : public TObjRefImpl<IToolTipFactory> {
 public:
  IToolTip* CreateToolTip(HWND host) override;
  void DestroyToolTip(IToolTip* tip) override;
};

class SDefMsgLoopFactory : public TObjRefImpl<IMsgLoopFactory> {
 public:
  SMessageLoop* CreateMsgLoop() override;
  void DestroyMsgLoop(SMessageLoop* loop) override;
};

}  // namespace ORIEL
