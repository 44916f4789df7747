// DrawTextW over Pango: one engine for GDI callers and the render plug-in,
// so that measuring (DT_CALCRECT) and drawing always agree.
#include <pango/pangocairo.h>

#include <cmath>
#include <cwchar>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "GdiObjects.h"
#include "crt/utf8.h"
#include "gdi/GdiCairo.h"

namespace {

// One Pango context per thread with fixed font options: measured sizes must
// not depend on the surface a text happens to be drawn on.
PangoContext* ThreadContext() {
  struct Holder {
    PangoContext* ctx;
    ~Holder() { g_object_unref(ctx); }  // layouts still cached keep their own reference
  };
  thread_local Holder holder{[] {
    GdiEnsureFontAliases();
    PangoContext* c = pango_font_map_create_context(pango_cairo_font_map_get_default());
    cairo_font_options_t* o = cairo_font_options_create();
    cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(c, o);
    pango_cairo_context_set_resolution(c, 96);
    cairo_font_options_destroy(o);
    return c;
  }()};
  return holder.ctx;
}

// '&' marks the next character as the mnemonic (underlined, '&' dropped);
// "&&" is a literal '&'. DT_NOPREFIX turns this off. A single line ignores
// line breaks: they neither break it nor show as a glyph.
struct Prepared {
  std::string utf8;
  std::vector<std::pair<unsigned, unsigned>> underlines;  // byte ranges
};

Prepared Prepare(LPCWSTR text, int len, bool prefix, bool singleLine) {
  Prepared p;
  std::wstring out;
  out.reserve(static_cast<size_t>(len));
  std::vector<size_t> marks;
  for (int i = 0; i < len; ++i) {
    if (singleLine && (text[i] == L'\r' || text[i] == L'\n')) continue;
    if (prefix && text[i] == L'&') {
      if (i + 1 < len && text[i + 1] == L'&') {
        out += L'&';
        ++i;
      } else if (i + 1 < len) {
        marks.push_back(out.size());
      }
      continue;
    }
    out += text[i];
  }
  for (size_t m : marks) {
    if (m >= out.size()) continue;  // the marked character was a dropped line break
    unsigned start = crt::WideToUtf8(std::wstring_view(out.data(), m)).size();
    unsigned end = crt::WideToUtf8(std::wstring_view(out.data(), m + 1)).size();
    p.underlines.emplace_back(start, end);
  }
  p.utf8 = crt::WideToUtf8(out);
  return p;
}

struct TextLayout {
  PangoLayout* layout = nullptr;
  int width = 0;   // logical extent in pixels
  int height = 0;
  ~TextLayout() {
    if (layout) g_object_unref(layout);
  }
};

// Laid-out texts of this thread, most recently used first: windows repaint
// the same texts over and over, and shaping is what text costs.
class LayoutCache {
 public:
  ~LayoutCache() {
    for (auto& e : order_) g_object_unref(e.second.layout);
  }
  struct Entry {
    PangoLayout* layout;
    int width, height;
  };
  bool Find(const std::string& key, Entry* out) {
    auto it = index_.find(key);
    if (it == index_.end()) return false;
    order_.splice(order_.begin(), order_, it->second);
    *out = it->second->second;
    return true;
  }
  void Put(const std::string& key, const Entry& e) {
    g_object_ref(e.layout);
    order_.emplace_front(key, e);
    index_[key] = order_.begin();
    if (order_.size() > kCapacity) {
      g_object_unref(order_.back().second.layout);
      index_.erase(order_.back().first);
      order_.pop_back();
    }
  }

 private:
  static constexpr size_t kCapacity = 512;
  std::list<std::pair<std::string, Entry>> order_;
  std::unordered_map<std::string, std::list<std::pair<std::string, Entry>>::iterator> index_;
};

std::string CacheKey(const GdiTextFont& font, LPCWSTR text, int len, const RECT& rc, UINT format) {
  const UINT shaping = format & (DT_SINGLELINE | DT_WORDBREAK | DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_NOPREFIX);
  const bool wrap = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE);
  const bool sized = wrap || (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS));
  char* desc = pango_font_description_to_string(font.desc);
  std::string key = desc;
  g_free(desc);
  key += '\x1f' + std::to_string(shaping) + ',' + std::to_string(font.underline) + std::to_string(font.strikeOut);
  if (sized) key += ',' + std::to_string(rc.right - rc.left);
  if (wrap && (format & DT_END_ELLIPSIS)) key += ',' + std::to_string(rc.bottom - rc.top);
  key += '\x1f';
  key.append(reinterpret_cast<const char*>(text), (size_t)len * sizeof(wchar_t));
  return key;
}

void BuildLayout(TextLayout& t, const GdiTextFont& font, LPCWSTR text, int len, const RECT& rc, UINT format) {
  thread_local LayoutCache cache;
  const std::string key = CacheKey(font, text, len, rc, format);
  LayoutCache::Entry hit;
  if (cache.Find(key, &hit)) {
    t.layout = static_cast<PangoLayout*>(g_object_ref(hit.layout));
    t.width = hit.width;
    t.height = hit.height;
    return;
  }
  Prepared p = Prepare(text, len, !(format & DT_NOPREFIX), (format & DT_SINGLELINE) != 0);
  t.layout = pango_layout_new(ThreadContext());
  pango_layout_set_font_description(t.layout, font.desc);
  PangoAttrList* attrs = pango_attr_list_new();
  if (font.underline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (font.strikeOut) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
  for (auto& u : p.underlines) {
    PangoAttribute* a = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
    a->start_index = u.first;
    a->end_index = u.second;
    pango_attr_list_insert(attrs, a);
  }
  pango_layout_set_attributes(t.layout, attrs);
  pango_attr_list_unref(attrs);
  pango_layout_set_text(t.layout, p.utf8.data(), (int)p.utf8.size());

  const int rw = rc.right - rc.left;
  const int rh = rc.bottom - rc.top;
  const bool single = format & DT_SINGLELINE;
  const bool wrap = (format & DT_WORDBREAK) && !single;
  const bool ellipsis = format & DT_END_ELLIPSIS;
  // A path keeps its start and its end, where names differ, and gives up
  // the middle.
  const bool middle = (format & DT_PATH_ELLIPSIS) && !ellipsis;
  if (single) pango_layout_set_single_paragraph_mode(t.layout, TRUE);
  if (wrap) {
    pango_layout_set_width(t.layout, (rw > 0 ? rw : 1) * PANGO_SCALE);
    pango_layout_set_wrap(t.layout, PANGO_WRAP_WORD_CHAR);
  }
  if (ellipsis && rw > 0) {
    pango_layout_set_width(t.layout, rw * PANGO_SCALE);
    pango_layout_set_ellipsize(t.layout, PANGO_ELLIPSIZE_END);
    // Wrapped text ellipsises its last line that fits; otherwise each line
    // is cut on its own.
    pango_layout_set_height(t.layout, wrap && rh > 0 ? rh * PANGO_SCALE : -1);
  }
  if (middle && rw > 0) {
    pango_layout_set_width(t.layout, rw * PANGO_SCALE);
    pango_layout_set_ellipsize(t.layout, PANGO_ELLIPSIZE_MIDDLE);
    pango_layout_set_height(t.layout, -1);
  }
  PangoRectangle logical;
  pango_layout_get_pixel_extents(t.layout, nullptr, &logical);
  t.width = p.utf8.empty() ? 0 : logical.width;
  t.height = p.utf8.empty() ? 0 : logical.height;
  cache.Put(key, LayoutCache::Entry{t.layout, t.width, t.height});
}

int TopOf(const TextLayout& t, const RECT& rc, UINT format) {
  // Vertical placement applies to single lines only, as in GDI.
  if (!(format & DT_SINGLELINE)) return rc.top;
  if (format & DT_BOTTOM) return rc.bottom - t.height;
  if (format & DT_VCENTER) return rc.top + (rc.bottom - rc.top - t.height) / 2;
  return rc.top;
}

}  // namespace

int GdiDrawTextCairo(cairo_t* cr, const GdiTextFont& font, LPCWSTR text, int len, RECT* rc, UINT format,
                     const double rgba[4]) {
  if (!text || !rc || !font.desc) return 0;
  if (len < 0) len = (int)wcslen(text);
  TextLayout t;
  BuildLayout(t, font, text, len, *rc, format);
  if (format & DT_CALCRECT) {
    rc->right = rc->left + t.width;
    rc->bottom = rc->top + t.height;
    return t.height;
  }
  if (!cr || t.height == 0) return t.height;
  const int top = TopOf(t, *rc, format);
  cairo_save(cr);
  if (!(format & DT_NOCLIP)) {
    // Glyph ink may overhang its advance by a pixel at either end of a line;
    // that sliver is kept, so text drawn in its measured rectangle is whole.
    const int overhang = 2;
    cairo_rectangle(cr, rc->left - overhang, rc->top, rc->right - rc->left + 2 * overhang, rc->bottom - rc->top);
    cairo_clip(cr);
  }
  cairo_set_source_rgba(cr, rgba[0], rgba[1], rgba[2], rgba[3]);
  PangoLayoutIter* it = pango_layout_get_iter(t.layout);
  do {
    PangoRectangle line;
    pango_layout_iter_get_line_extents(it, nullptr, &line);
    int lineWidth = PANGO_PIXELS(line.width);
    int x = rc->left;
    if (format & DT_RIGHT)
      x = rc->right - lineWidth;
    else if (format & DT_CENTER)
      x = rc->left + (rc->right - rc->left - lineWidth) / 2;
    double baseline = pango_layout_iter_get_baseline(it) / (double)PANGO_SCALE;
    cairo_move_to(cr, x - line.x / (double)PANGO_SCALE, std::round(top + baseline));
    pango_cairo_show_layout_line(cr, pango_layout_iter_get_line_readonly(it));
  } while (pango_layout_iter_next_line(it));
  pango_layout_iter_free(it);
  cairo_restore(cr);
  return t.height;
}

SIZE GdiMeasureTextRun(const GdiTextFont& font, LPCWSTR text, int len) {
  if (!text || !font.desc) return SIZE{0, 0};
  if (len < 0) len = (int)wcslen(text);
  if (len == 0) {
    // An empty run is as high as a line, like GDI's text extent.
    RECT rc{0, 0, 0, 0};
    GdiDrawTextCairo(nullptr, font, L"A", 1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX, nullptr);
    return SIZE{0, rc.bottom};
  }
  RECT rc{0, 0, 0, 0};
  GdiDrawTextCairo(nullptr, font, text, len, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX, nullptr);
  return SIZE{rc.right, rc.bottom};
}

static GdiTextFont FontOf(GdiDC* dc) {
  GdiFont* f = dc->font ? dc->font : GdiStockFont();
  return GdiTextFont{f->desc, f->lf.lfUnderline != 0, f->lf.lfStrikeOut != 0};
}

int DrawTextW(HDC hdc, LPCWSTR text, int len, LPRECT rect, UINT format) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc || !text || !rect) return 0;
  GdiTextFont font = FontOf(dc);
  if (format & DT_CALCRECT) return GdiDrawTextCairo(nullptr, font, text, len, rect, format, nullptr);
  cairo_t* cr = GdiBeginDraw(dc);
  if (!cr) return 0;
  if (dc->bkMode == OPAQUE) {
    RECT box = *rect;
    GdiDrawTextCairo(nullptr, font, text, len, &box, format | DT_CALCRECT, nullptr);
    GdiSetSourceColorRef(cr, dc->bkColor);
    cairo_rectangle(cr, rect->left, rect->top, box.right - box.left, box.bottom - box.top);
    cairo_fill(cr);
  }
  double rgba[4] = {GetRValue(dc->textColor) / 255.0, GetGValue(dc->textColor) / 255.0,
                    GetBValue(dc->textColor) / 255.0, 1.0};
  int h = GdiDrawTextCairo(cr, font, text, len, rect, format, rgba);
  cairo_destroy(cr);
  return h;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int len, LPSIZE size) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc || !size || len < 0 || (!text && len > 0)) return FALSE;
  *size = GdiMeasureTextRun(FontOf(dc), text ? text : L"", len);
  return TRUE;
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm) {
  GdiDC* dc = GdiDCOf(hdc);
  if (!dc || !tm) return FALSE;
  GdiTextFont font = FontOf(dc);
  PangoFontMetrics* m = pango_context_get_metrics(ThreadContext(), font.desc, nullptr);
  *tm = TEXTMETRICW{};
  tm->tmAscent = PANGO_PIXELS(pango_font_metrics_get_ascent(m));
  tm->tmDescent = PANGO_PIXELS(pango_font_metrics_get_descent(m));
  tm->tmHeight = GdiMeasureTextRun(font, L"A", 1).cy;
  tm->tmAveCharWidth = PANGO_PIXELS(pango_font_metrics_get_approximate_char_width(m));
  tm->tmMaxCharWidth = tm->tmAveCharWidth * 2;
  tm->tmWeight = pango_font_description_get_weight(font.desc);
  pango_font_metrics_unref(m);
  return TRUE;
}
