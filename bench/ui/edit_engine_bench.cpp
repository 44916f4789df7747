// What a keystroke costs the text engine as the text grows: 10,000
// characters typed into a multi-line field (a break every 80), each
// keystroke handled and then its repaint drawn on an 800x600 surface, as a
// host window would. Prints milliseconds per keystroke over the first 500
// and the last 500, and their ratio, without and with word wrap, for plain
// characters and for breaks apart (a break at the end of a long text
// scrolls the view, which repaints all of it); a ratio near 1 means a
// keystroke costs its line, not the text.
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

bool isBreak(int i) { return i % 80 == 79; }

// Milliseconds for each keystroke of one run.
std::vector<double> run(bool wrap, int characters) {
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
  std::vector<double> times;
  times.reserve(static_cast<size_t>(characters));
  for (int i = 0; i < characters; ++i) {
    const wchar_t ch = isBreak(i) ? L'\r' : sample[static_cast<size_t>(i) % sampleLength];
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
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  DeleteDC(dc);
  cairo_surface_destroy(surface);
  services->Release();
  return times;
}

// Mean over keystrokes [from, to) that are (or are not) breaks.
double meanOf(const std::vector<double>& times, int from, int to, bool breaks) {
  std::vector<double> picked;
  for (int i = from; i < to; ++i)
    if (isBreak(i) == breaks) picked.push_back(times[static_cast<size_t>(i)]);
  return mean(picked);
}

}  // namespace

int main(int argc, char** argv) {
  const int characters = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 10000;
  const int repeats = 3;
  std::printf("%d keystrokes into an 800x600 multi-line field (a break every 80), each handled and its\n"
              "repaint drawn; per keystroke the best of %d runs, in ms\n",
              characters, repeats);
  std::printf("%-5s %-11s %10s %10s %7s\n", "wrap", "keystrokes", "first 500", "last 500", "ratio");
  for (bool wrap : {false, true}) {
    run(wrap, 600);  // warm the font caches
    std::vector<double> best = run(wrap, characters);
    for (int r = 1; r < repeats; ++r) {
      const std::vector<double> again = run(wrap, characters);
      for (size_t i = 0; i < best.size(); ++i) best[i] = std::min(best[i], again[i]);
    }
    const int lastFrom = characters - 500;
    const double firstChars = meanOf(best, 0, 500, false), lastChars = meanOf(best, lastFrom, characters, false);
    const double firstBreaks = meanOf(best, 0, 500, true), lastBreaks = meanOf(best, lastFrom, characters, true);
    std::vector<double> all(best.begin(), best.begin() + 500), tail(best.begin() + lastFrom, best.end());
    const double firstAll = mean(all), lastAll = mean(tail);
    const char* w = wrap ? "on" : "off";
    std::printf("%-5s %-11s %10.4f %10.4f %7.2f\n", w, "characters", firstChars, lastChars, lastChars / firstChars);
    std::printf("%-5s %-11s %10.4f %10.4f %7.2f\n", w, "breaks", firstBreaks, lastBreaks, lastBreaks / firstBreaks);
    std::printf("%-5s %-11s %10.4f %10.4f %7.2f\n", w, "all", firstAll, lastAll, lastAll / firstAll);
  }
  return 0;
}
