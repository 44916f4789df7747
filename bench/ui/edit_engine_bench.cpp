// What a keystroke costs the text engine as the text grows: 10,000
// characters typed into a multi-line field (a break every 80), each
// keystroke handled and then its repaint drawn on an 800x600 surface, as a
// host window would. Prints milliseconds per keystroke over the first 500
// and the last 500, and their ratio, without and with word wrap; a ratio
// near 1 means a keystroke costs its line, not the text.
//
//   edit_engine_bench [characters]     (default 10000)
#include <cairo.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gdi/GdiCairo.h"
#include "richedit/textserv.h"
#include "win32/user32.h"

namespace {

class BenchHost : public ITextHost {
 public:
  explicit BenchHost(DWORD bits) : bits_(bits) {
    format_.cbSize = sizeof format_;
    format_.dwMask = CFM_SIZE | CFM_FACE | CFM_COLOR;
    format_.yHeight = 180;
    wcscpy(format_.szFaceName, L"微软雅黑");
    para_.cbSize = sizeof para_;
  }
  RECT dirty{};
  bool anyDirty = false;

  HRESULT QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HDC TxGetDC() override { return nullptr; }
  INT TxReleaseDC(HDC) override { return 1; }
  BOOL TxShowScrollBar(INT, BOOL) override { return TRUE; }
  BOOL TxEnableScrollBar(INT, INT) override { return TRUE; }
  BOOL TxSetScrollRange(INT, LONG, INT, BOOL) override { return TRUE; }
  BOOL TxSetScrollPos(INT, INT, BOOL) override { return TRUE; }
  void TxInvalidateRect(LPCRECT prc, BOOL) override {
    const RECT r = prc ? *prc : client_;
    if (!anyDirty) dirty = r;
    else UnionRect(&dirty, &dirty, &r);
    anyDirty = true;
  }
  void TxViewChange(BOOL) override {}
  BOOL TxCreateCaret(HBITMAP, INT, INT) override { return TRUE; }
  BOOL TxShowCaret(BOOL) override { return TRUE; }
  BOOL TxSetCaretPos(INT, INT) override { return TRUE; }
  BOOL TxSetTimer(UINT, UINT) override { return TRUE; }
  void TxKillTimer(UINT) override {}
  void TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) override {}
  void TxSetCapture(BOOL) override {}
  void TxSetFocus() override {}
  void TxSetCursor(HCURSOR, BOOL) override {}
  BOOL TxScreenToClient(LPPOINT) override { return TRUE; }
  BOOL TxClientToScreen(LPPOINT) override { return TRUE; }
  HRESULT TxActivate(LONG*) override { return S_OK; }
  HRESULT TxDeactivate(LONG) override { return S_OK; }
  HRESULT TxGetClientRect(LPRECT prc) override {
    *prc = client_;
    return S_OK;
  }
  HRESULT TxGetViewInset(LPRECT prc) override {
    *prc = RECT{53, 53, 53, 53};  // 2 px
    return S_OK;
  }
  HRESULT TxGetCharFormat(const CHARFORMATW** out) override {
    *out = reinterpret_cast<const CHARFORMATW*>(&format_);
    return S_OK;
  }
  HRESULT TxGetParaFormat(const PARAFORMAT** out) override {
    *out = reinterpret_cast<const PARAFORMAT*>(&para_);
    return S_OK;
  }
  COLORREF TxGetSysColor(int index) override { return GetSysColor(index); }
  HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override {
    *style = TXTBACK_TRANSPARENT;
    return S_OK;
  }
  HRESULT TxGetMaxLength(DWORD* length) override {
    *length = 1000000;
    return S_OK;
  }
  HRESULT TxGetScrollBars(DWORD* bars) override {
    *bars = 0x200000;  // WS_VSCROLL
    return S_OK;
  }
  HRESULT TxGetPasswordChar(WCHAR* ch) override {
    *ch = L'*';
    return S_OK;
  }
  HRESULT TxGetAcceleratorPos(LONG* cp) override {
    *cp = -1;
    return S_OK;
  }
  HRESULT TxGetExtent(LPSIZEL) override { return E_NOTIMPL; }
  HRESULT OnTxCharFormatChange(const CHARFORMATW*) override { return S_OK; }
  HRESULT OnTxParaFormatChange(const PARAFORMAT*) override { return S_OK; }
  HRESULT TxGetPropertyBits(DWORD mask, DWORD* out) override {
    *out = bits_ & mask;
    return S_OK;
  }
  HRESULT TxNotify(DWORD, void*) override { return S_OK; }
  HIMC TxImmGetContext() override { return nullptr; }
  void TxImmReleaseContext(HIMC) override {}
  HRESULT TxGetSelectionBarWidth(LONG* width) override {
    *width = 0;
    return S_OK;
  }

  RECT client_{0, 0, 800, 600};

 private:
  DWORD bits_;
  CHARFORMAT2W format_{};
  PARAFORMAT2 para_{};
};

double mean(const std::vector<double>& v) {
  double sum = 0;
  for (double x : v) sum += x;
  return v.empty() ? 0 : sum / static_cast<double>(v.size());
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

struct Result {
  double firstMean, lastMean, firstMedian, lastMedian;
};

Result run(bool wrap, int characters) {
  const DWORD bits = TXTBIT_MULTILINE | TXTBIT_HIDESELECTION | (wrap ? TXTBIT_WORDWRAP : 0);
  BenchHost host(bits);
  IUnknown* unknown = nullptr;
  ITextServices* services = nullptr;
  CreateTextServices(nullptr, &host, &unknown);
  unknown->QueryInterface(IID_ITextServices, reinterpret_cast<void**>(&services));
  unknown->Release();
  services->OnTxInPlaceActivate(&host.client_);
  LRESULT result = 0;
  services->TxSendMessage(WM_SETFOCUS, 0, 0, &result);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 800, 600);
  HDC dc = GdiCreateSurfaceDC(surface);
  const RECTL bounds{0, 0, 800, 600};
  const wchar_t* sample = L"The quick brown fox jumps over the lazy dog 录音 1234567890 ";
  const size_t sampleLength = wcslen(sample);
  std::vector<double> first, last;
  for (int i = 0; i < characters; ++i) {
    const wchar_t ch = (i % 80 == 79) ? L'\r' : sample[static_cast<size_t>(i) % sampleLength];
    const auto t0 = std::chrono::steady_clock::now();
    host.anyDirty = false;
    services->TxSendMessage(WM_CHAR, ch, 1, &result);
    if (host.anyDirty) {
      RECT update = host.dirty;
      // The host clears what it repaints: the text draws over a fresh background.
      cairo_t* cr = cairo_create(surface);
      cairo_rectangle(cr, update.left, update.top, update.right - update.left, update.bottom - update.top);
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_fill(cr);
      cairo_destroy(cr);
      services->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &bounds, nullptr, &update, nullptr, 0,
                       TXTVIEW_ACTIVE);
      cairo_surface_flush(surface);
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (i < 500) first.push_back(ms);
    if (i >= characters - 500) last.push_back(ms);
  }
  DeleteDC(dc);
  cairo_surface_destroy(surface);
  services->Release();
  return Result{mean(first), mean(last), median(first), median(last)};
}

}  // namespace

int main(int argc, char** argv) {
  const int characters = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 10000;
  std::printf("%d characters typed into an 800x600 multi-line field, a break every 80; "
              "each keystroke handled and its repaint drawn\n",
              characters);
  std::printf("%-10s %18s %18s %12s %14s\n", "wrap", "first 500 ms/key", "last 500 ms/key", "ratio (mean)",
              "ratio (median)");
  for (bool wrap : {false, true}) {
    run(wrap, 600);  // warm the font caches
    const Result r = run(wrap, characters);
    std::printf("%-10s %8.4f (med %6.4f) %8.4f (med %6.4f) %12.2f %14.2f\n", wrap ? "on" : "off", r.firstMean,
                r.firstMedian, r.lastMean, r.lastMedian, r.lastMean / r.firstMean, r.lastMedian / r.firstMedian);
  }
  return 0;
}
