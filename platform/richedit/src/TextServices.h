// The engine behind ITextServices: plain text in one format, edited by the
// host's messages, laid out by Pango and drawn on the host's DC.
#pragma once

#include <atomic>
#include <string>

#include "TextLayout.h"
#include "TextStore.h"
#include "UndoHistory.h"
#include "richedit/textserv.h"

namespace richedit {

class TextServices final : public ITextServices {
 public:
  explicit TextServices(ITextHost* host);
  ~TextServices();

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** out) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // ITextServices
  HRESULT TxSendMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* plresult) override;
  HRESULT TxDraw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd, HDC hdcDraw, HDC hicTargetDev,
                 LPCRECTL lprcBounds, LPCRECTL lprcWBounds, LPRECT lprcUpdate, BOOL(CALLBACK* pfnContinue)(DWORD),
                 DWORD dwContinue, LONG lViewId) override;
  HRESULT TxGetHScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled) override;
  HRESULT TxGetVScroll(LONG* plMin, LONG* plMax, LONG* plPos, LONG* plPage, BOOL* pfEnabled) override;
  HRESULT OnTxSetCursor(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd, HDC hdcDraw,
                        HDC hicTargetDev, LPCRECT lprcClient, INT x, INT y) override;
  HRESULT TxQueryHitPoint(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECT, INT, INT, DWORD*) override;
  HRESULT OnTxInPlaceActivate(LPCRECT prcClient) override;
  HRESULT OnTxInPlaceDeactivate() override;
  HRESULT OnTxUIActivate() override;
  HRESULT OnTxUIDeactivate() override;
  HRESULT TxGetText(BSTR*) override;
  HRESULT TxSetText(LPCWSTR) override;
  HRESULT TxGetCurTargetX(LONG*) override;
  HRESULT TxGetBaseLinePos(LONG*) override;
  HRESULT TxGetNaturalSize(DWORD, HDC, HDC, DVTARGETDEVICE*, DWORD, const SIZEL*, LONG*, LONG*) override;
  HRESULT TxGetDropTarget(IDropTarget**) override;
  HRESULT OnTxPropertyBitsChange(DWORD dwMask, DWORD dwBits) override;
  HRESULT TxGetCachedSize(DWORD*, DWORD*) override;

 private:
  // Who asked for an edit: the user is refused in a read-only field and
  // held to the number filter; the program is not.
  enum class Origin { Typing, User, Program };

  // Reading the host.
  void readProperties();
  void readCharFormat();
  void readView();
  void applyLayoutFormat();
  bool has(DWORD bit) const { return (bits_ & bit) != 0; }
  bool multiLine() const { return has(TXTBIT_MULTILINE); }
  bool numberOnly() const { return (scrollBars_ & 0x2000) != 0; }

  // Messages.
  bool handleMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result);
  LRESULT onSetText(const wchar_t* text);
  LRESULT onGetText(WPARAM size, wchar_t* buffer);
  LRESULT onSetSel(long start, long end);
  void onReplaceSel(const wchar_t* text, bool canUndo);
  LRESULT onStreamIn(WPARAM format, EDITSTREAM* stream);
  LRESULT onStreamOut(WPARAM format, EDITSTREAM* stream);
  LRESULT onSetCharFormat(WPARAM scope, const CHARFORMATW* format);
  LRESULT onSetParaFormat(const PARAFORMAT* format);
  bool onKeyDown(UINT key);
  bool onChar(wchar_t ch);
  void onButtonDown(int x, int y, bool shift);
  void onMouseMove(int x, int y);
  void onButtonUp();
  void onDoubleClick(int x, int y);
  void onAutoScrollTimer();
  void onScroll(bool vertical, WORD code, WORD thumb);
  void onFocus(bool focused);

  // Editing. Each answers whether the text changed; a change raises
  // EN_CHANGE before the message returns.
  bool replace(long start, long end, std::wstring text, Origin origin, bool undoable);
  // Changes the text and repaints what it touched; no history, no notice.
  void applyText(long start, long end, const std::wstring& text);
  // After a change: caret, scrolling, scroll bars, then EN_CHANGE.
  void finishChange();
  bool typeCharacter(wchar_t ch);
  void moveVertically(UINT key, bool extend);
  bool deleteRange(long start, long end);
  bool cut();
  bool copy();
  bool paste();
  bool undo();
  bool redo();
  void refuse();
  void notifyChange();

  // Selection, caret and scrolling.
  long selStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
  long selEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
  void select(long anchor, long caret, bool keepGoalX = false);
  void moveCaret(long pos, bool extend, bool keepGoalX = false);
  bool selectionShown() const;
  void updateCaret();
  void scrollToCaret();
  void scrollTo(long x, long y);
  void updateScrollBars();
  RECT viewRect() const;
  void invalidateAll();
  void invalidateParagraphs(size_t first, size_t last, bool toBottom);
  void invalidateSelection(long oldStart, long oldEnd);
  POINT textOrigin() const;

  std::atomic<ULONG> refs_{1};
  ITextHost* host_;
  TextStore text_;
  TextLayout layout_;
  UndoHistory undo_;

  DWORD bits_ = 0;
  DWORD scrollBars_ = 0;
  DWORD maxLength_ = 32767;
  DWORD eventMask_ = 0;
  LRESULT langOptions_ = 0;
  wchar_t passwordChar_ = L'*';
  CHARFORMAT2W charFormat_{};
  WORD alignment_ = 1;
  PangoFontDescription* font_ = nullptr;

  RECT client_{};
  RECT insetPx_{};
  long scrollX_ = 0;
  long scrollY_ = 0;
  long anchor_ = 0;
  long caret_ = 0;
  int goalX_ = -1;
  bool focused_ = false;
  bool caretMade_ = false;
  bool dragging_ = false;
  bool autoScrolling_ = false;
  POINT dragPoint_{};
  // The scroll bars last told to the host, so that unchanged ones are not re-sent.
  long sentVMax_ = -1, sentVPos_ = -1, sentHMax_ = -1, sentHPos_ = -1;
  int sentVShow_ = -1, sentHShow_ = -1;
};

}  // namespace richedit
