#include "TextLayout.h"

#include <algorithm>

#include "crt/utf8.h"
#include "gdi/GdiCairo.h"

namespace richedit {
namespace {

// The font options the GDI text engine uses, so that a line measured by
// the control and a line laid out here agree.
PangoContext* makeContext() {
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
}

void addRange(cairo_t* cr, double x0, double y0, double x1, double y1) {
  if (x1 > x0 && y1 > y0) cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
}

}  // namespace

TextLayout::TextLayout() : context_(makeContext()) {}

TextLayout::~TextLayout() {
  for (auto& p : paragraphs_) release(p);
  g_object_unref(context_);
}

void TextLayout::release(Paragraph& p) {
  if (p.layout) g_object_unref(p.layout);
  p.layout = nullptr;
}

void TextLayout::setFormat(const LayoutFormat& format, const TextStore& text) {
  format_ = format;
  // An empty layout has the height of one line of the font.
  PangoLayout* probe = pango_layout_new(context_);
  pango_layout_set_font_description(probe, format_.font);
  pango_layout_set_text(probe, "", 0);
  int w = 0, h = 0;
  pango_layout_get_pixel_size(probe, &w, &h);
  g_object_unref(probe);
  lineHeight_ = std::max(h, 1);
  relayoutAll(text);
}

void TextLayout::relayoutAll(const TextStore& text) {
  for (auto& p : paragraphs_) release(p);
  paragraphs_.assign(text.paragraphCount(), Paragraph{});
  std::vector<long> heights(text.paragraphCount(), lineHeight_);
  heights_.assign(heights);
  for (size_t i = 0; i < paragraphs_.size(); ++i) layOut(text, i);
}

void TextLayout::applyChange(const TextStore& text, const TextStore::Change& change) {
  const size_t first = change.firstParagraph;
  if (change.removedBreaks == 0 && change.insertedBreaks == 0) {
    layOut(text, first);
    return;
  }
  // Breaks came or went: the paragraph list changes shape around `first`.
  for (size_t k = first; k <= first + change.removedBreaks; ++k) release(paragraphs_[k]);
  const auto at = paragraphs_.begin() + static_cast<long>(first);
  paragraphs_.erase(at, at + static_cast<long>(change.removedBreaks) + 1);
  paragraphs_.insert(paragraphs_.begin() + static_cast<long>(first), change.insertedBreaks + 1, Paragraph{});
  std::vector<long> heights;
  heights.reserve(paragraphs_.size());
  for (size_t k = 0; k < paragraphs_.size(); ++k) {
    const bool kept = k < first || k > first + change.insertedBreaks;
    size_t old = k;
    if (k > first + change.insertedBreaks) old = k - change.insertedBreaks + change.removedBreaks;
    heights.push_back(kept ? heights_.value(old) : lineHeight_);
  }
  heights_.assign(heights);
  for (size_t k = first; k <= first + change.insertedBreaks; ++k) layOut(text, k);
}

void TextLayout::layOut(const TextStore& text, size_t i) {
  Paragraph& p = paragraphs_[i];
  if (!p.layout) {
    p.layout = pango_layout_new(context_);
    pango_layout_set_font_description(p.layout, format_.font);
    if (format_.underline || format_.strikeOut) {
      PangoAttrList* list = pango_attr_list_new();
      if (format_.underline) pango_attr_list_insert(list, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
      if (format_.strikeOut) pango_attr_list_insert(list, pango_attr_strikethrough_new(TRUE));
      pango_layout_set_attributes(p.layout, list);
      pango_attr_list_unref(list);
    }
    if (format_.wrapWidth > 0) {
      pango_layout_set_width(p.layout, format_.wrapWidth * PANGO_SCALE);
      pango_layout_set_wrap(p.layout, PANGO_WRAP_WORD_CHAR);
      pango_layout_set_alignment(p.layout, format_.alignment == 3   ? PANGO_ALIGN_CENTER
                                           : format_.alignment == 2 ? PANGO_ALIGN_RIGHT
                                                                    : PANGO_ALIGN_LEFT);
    }
  }
  const std::wstring& source = text.paragraph(i);
  const std::string utf8 = format_.passwordChar ? crt::WideToUtf8(std::wstring(source.size(), format_.passwordChar))
                                                : crt::WideToUtf8(source);
  pango_layout_set_text(p.layout, utf8.data(), static_cast<int>(utf8.size()));
  PangoRectangle logical;
  pango_layout_get_pixel_extents(p.layout, nullptr, &logical);
  p.width = logical.width;
  heights_.set(i, std::max(logical.height, lineHeight_));
}

size_t TextLayout::paragraphAtY(long y) const {
  return heights_.find(std::clamp(y, 0L, std::max(0L, totalHeight() - 1)));
}

int TextLayout::maxWidth() const {
  int widest = 0;
  for (const auto& p : paragraphs_) widest = std::max(widest, p.width);
  return widest;
}

int TextLayout::offsetX(size_t i) const {
  if (format_.wrapWidth > 0 || format_.alignment == 1) return 0;
  const int room = format_.viewWidth - paragraphs_[i].width;
  if (room <= 0) return 0;
  return format_.alignment == 3 ? room / 2 : format_.alignment == 2 ? room : 0;
}

int TextLayout::byteIndex(size_t i, long offset) const {
  const char* t = pango_layout_get_text(paragraphs_[i].layout);
  return static_cast<int>(g_utf8_offset_to_pointer(t, offset) - t);
}

long TextLayout::charOffset(size_t i, int index) const {
  const char* t = pango_layout_get_text(paragraphs_[i].layout);
  return g_utf8_pointer_to_offset(t, t + index);
}

const PangoLogAttr* TextLayout::attrs(size_t i, int* count) const {
  return pango_layout_get_log_attrs_readonly(paragraphs_[i].layout, count);
}

CaretBox TextLayout::caretAt(const TextStore& text, long pos) const {
  const size_t i = text.paragraphAt(pos);
  PangoRectangle strong;
  pango_layout_get_cursor_pos(paragraphs_[i].layout, byteIndex(i, pos - text.paragraphStart(i)), &strong, nullptr);
  CaretBox box;
  box.x = PANGO_PIXELS(strong.x) + offsetX(i);
  box.y = static_cast<int>(paragraphTop(i)) + PANGO_PIXELS(strong.y);
  box.height = strong.height > 0 ? PANGO_PIXELS(strong.height) : lineHeight_;
  return box;
}

long TextLayout::hit(const TextStore& text, int x, int y) const {
  const size_t i = paragraphAtY(y);
  const long localY = std::clamp(static_cast<long>(y) - paragraphTop(i), 0L, static_cast<long>(paragraphHeight(i)) - 1);
  int index = 0, trailing = 0;
  pango_layout_xy_to_index(paragraphs_[i].layout, (x - offsetX(i)) * PANGO_SCALE, static_cast<int>(localY) * PANGO_SCALE,
                           &index, &trailing);
  const long length = static_cast<long>(text.paragraph(i).size());
  const long offset = std::min(charOffset(i, index) + trailing, length);
  return text.paragraphStart(i) + offset;
}

long TextLayout::step(const TextStore& text, long pos, int direction, bool word) const {
  const size_t i = text.paragraphAt(pos);
  const long start = text.paragraphStart(i);
  const long length = static_cast<long>(text.paragraph(i).size());
  const long offset = pos - start;
  int count = 0;
  const PangoLogAttr* a = attrs(i, &count);
  auto stop = [&](long k) { return word ? a[k].is_word_start : a[k].is_cursor_position; };
  if (direction > 0) {
    if (offset >= length) return pos < text.length() ? pos + 1 : pos;
    long k = offset + 1;
    while (k < length && !stop(k)) ++k;
    return start + k;
  }
  if (offset == 0) return pos > 0 ? pos - 1 : 0;
  long k = offset - 1;
  while (k > 0 && !stop(k)) --k;
  return start + k;
}

std::pair<long, long> TextLayout::visualLine(const TextStore& text, long pos) const {
  const size_t i = text.paragraphAt(pos);
  const long start = text.paragraphStart(i);
  PangoLayout* layout = paragraphs_[i].layout;
  int line = 0, x = 0;
  pango_layout_index_to_line_x(layout, byteIndex(i, pos - start), FALSE, &line, &x);
  PangoLayoutLine* l = pango_layout_get_line_readonly(layout, line);
  const long first = charOffset(i, l->start_index);
  long end = charOffset(i, l->start_index + l->length);
  const bool last = line == pango_layout_get_line_count(layout) - 1;
  if (!last && end > first && iswspace(text.paragraph(i)[static_cast<size_t>(end - 1)])) --end;
  return {start + first, start + end};
}

std::pair<long, long> TextLayout::wordAround(const TextStore& text, long pos) const {
  const size_t i = text.paragraphAt(pos);
  const long start = text.paragraphStart(i);
  const long length = static_cast<long>(text.paragraph(i).size());
  if (length == 0) return {pos, pos};
  int count = 0;
  const PangoLogAttr* a = attrs(i, &count);
  long s = std::min(pos - start, length - 1);
  while (s > 0 && !a[s].is_word_start) --s;
  long e = s + 1;
  while (e < length && !a[e].is_word_end) ++e;
  return {start + s, start + e};
}

void TextLayout::draw(cairo_t* cr, const TextStore& text, double originX, double originY, long clipTop,
                      long clipBottom, long selStart, long selEnd, const Colors& colors) const {
  if (paragraphs_.empty() || clipBottom <= clipTop) return;
  for (size_t i = paragraphAtY(clipTop); i < paragraphs_.size(); ++i) {
    const long top = paragraphTop(i);
    if (top >= clipBottom) break;
    PangoLayout* layout = paragraphs_[i].layout;
    const double x = originX + offsetX(i);
    const double y = originY + static_cast<double>(top);
    const long ps = text.paragraphStart(i);
    const long pe = ps + static_cast<long>(text.paragraph(i).size());
    const long a = std::max(selStart, ps);
    const long b = std::min(selEnd, pe);
    bool selected = false;
    if (a < b) {
      const int ia = byteIndex(i, a - ps);
      const int ib = byteIndex(i, b - ps);
      PangoLayoutIter* it = pango_layout_get_iter(layout);
      do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(it);
        int y0 = 0, y1 = 0;
        pango_layout_iter_get_line_yrange(it, &y0, &y1);
        int* ranges = nullptr;
        int n = 0;
        pango_layout_line_get_x_ranges(line, ia, ib, &ranges, &n);
        for (int k = 0; k < n; ++k)
          addRange(cr, x + ranges[2 * k] / double(PANGO_SCALE), y + y0 / double(PANGO_SCALE),
                   x + ranges[2 * k + 1] / double(PANGO_SCALE), y + y1 / double(PANGO_SCALE));
        g_free(ranges);
      } while (pango_layout_iter_next_line(it));
      pango_layout_iter_free(it);
      selected = true;
    }
    if (selected) {
      cairo_path_t* area = cairo_copy_path(cr);
      cairo_set_source_rgba(cr, colors.highlight[0], colors.highlight[1], colors.highlight[2], colors.highlight[3]);
      cairo_fill(cr);
      cairo_set_source_rgba(cr, colors.text[0], colors.text[1], colors.text[2], colors.text[3]);
      cairo_move_to(cr, x, y);
      pango_cairo_show_layout(cr, layout);
      cairo_save(cr);
      cairo_new_path(cr);
      cairo_append_path(cr, area);
      cairo_clip(cr);
      cairo_set_source_rgba(cr, colors.highlightText[0], colors.highlightText[1], colors.highlightText[2],
                            colors.highlightText[3]);
      cairo_move_to(cr, x, y);
      pango_cairo_show_layout(cr, layout);
      cairo_restore(cr);
      cairo_path_destroy(area);
    } else {
      cairo_set_source_rgba(cr, colors.text[0], colors.text[1], colors.text[2], colors.text[3]);
      cairo_move_to(cr, x, y);
      pango_cairo_show_layout(cr, layout);
    }
    cairo_new_path(cr);
  }
}

}  // namespace richedit
