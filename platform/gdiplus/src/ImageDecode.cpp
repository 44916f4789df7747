#include "gdiplus/ImageDecode.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "GpObjects.h"

namespace {

void PixbufToPremultiplied(GdkPixbuf* pb, DecodedFrame* f) {
  f->width = gdk_pixbuf_get_width(pb);
  f->height = gdk_pixbuf_get_height(pb);
  const int channels = gdk_pixbuf_get_n_channels(pb);
  const bool alpha = gdk_pixbuf_get_has_alpha(pb);
  const int stride = gdk_pixbuf_get_rowstride(pb);
  const guchar* data = gdk_pixbuf_read_pixels(pb);
  f->pixels.resize((size_t)f->width * f->height);
  for (int y = 0; y < f->height; ++y) {
    const guchar* row = data + (size_t)y * stride;
    for (int x = 0; x < f->width; ++x) {
      const guchar* p = row + (size_t)x * channels;
      const uint32_t a = alpha ? p[3] : 255;
      const uint32_t straight = (a << 24) | ((uint32_t)p[0] << 16) | ((uint32_t)p[1] << 8) | p[2];
      f->pixels[(size_t)y * f->width + x] = GdipToPremultiplied(straight, Gdiplus::PixelFormat32bppARGB);
    }
  }
}

// Which rows a loader has delivered: some loaders close without an error
// on data that ends early, leaving the rows they never got blank.
struct Coverage {
  cairo_region_t* rows = cairo_region_create();
  ~Coverage() { cairo_region_destroy(rows); }
  static void OnArea(GdkPixbufLoader*, gint x, gint y, gint w, gint h, gpointer self) {
    cairo_rectangle_int_t r{x, y, w, h};
    cairo_region_union_rectangle(static_cast<Coverage*>(self)->rows, &r);
  }
  bool Covers(int w, int h) const {
    cairo_rectangle_int_t all{0, 0, w, h};
    return cairo_region_contains_rectangle(rows, &all) == CAIRO_REGION_OVERLAP_IN;
  }
};

// Skips a chain of GIF data sub-blocks; false when the data ends first.
bool SkipSubBlocks(const unsigned char* d, size_t n, size_t& i) {
  while (i < n) {
    size_t len = d[i++];
    if (len == 0) return true;
    i += len;
  }
  return false;
}

}  // namespace

std::vector<int> GifFrameDelays(const unsigned char* d, size_t n) {
  std::vector<int> delays;
  if (n < 13 || (memcmp(d, "GIF87a", 6) != 0 && memcmp(d, "GIF89a", 6) != 0)) return {};
  size_t i = 13;
  if (d[10] & 0x80) i += 3u * (1u << ((d[10] & 7) + 1));
  int pendingDelay = 0;
  while (i < n) {
    unsigned char tag = d[i++];
    if (tag == 0x3B) return delays;  // trailer
    if (tag == 0x21) {
      if (i >= n) return {};
      unsigned char label = d[i++];
      if (label == 0xF9 && i + 5 < n && d[i] == 4) pendingDelay = d[i + 2] | (d[i + 3] << 8);
      if (!SkipSubBlocks(d, n, i)) return {};
    } else if (tag == 0x2C) {
      if (i + 9 > n) return {};
      unsigned char flags = d[i + 8];
      i += 9;
      if (flags & 0x80) i += 3u * (1u << ((flags & 7) + 1));
      i += 1;  // LZW minimum code size
      if (!SkipSubBlocks(d, n, i)) return {};
      delays.push_back(pendingDelay);
      pendingDelay = 0;
    } else {
      return {};
    }
  }
  return {};  // no trailer: damaged
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
bool DecodeImageBytes(const void* data, size_t size, DecodedImage* out, std::string* error) {
  out->frames.clear();
  out->format.clear();
  auto fail = [&](const std::string& why) {
    out->frames.clear();
    if (error) *error = why;
    return false;
  };
  if (!data || size == 0) return fail("no image data");
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  Coverage coverage;
  g_signal_connect(loader, "area-updated", G_CALLBACK(Coverage::OnArea), &coverage);
  GError* err = nullptr;
  bool ok = gdk_pixbuf_loader_write(loader, static_cast<const guchar*>(data), size, &err);
  // Closing tells a loader the data ended: a truncated file fails here.
  bool closed = gdk_pixbuf_loader_close(loader, ok ? &err : nullptr);
  if (!ok || !closed) {
    std::string why = err ? err->message : "the image data could not be decoded";
    if (err) g_error_free(err);
    g_object_unref(loader);
    return fail(why);
  }
  GdkPixbufFormat* fmt = gdk_pixbuf_loader_get_format(loader);
  if (fmt) {
    gchar* name = gdk_pixbuf_format_get_name(fmt);
    out->format = name ? name : "";
    g_free(name);
  }
  GdkPixbufAnimation* anim = gdk_pixbuf_loader_get_animation(loader);
  if (!anim) {
    g_object_unref(loader);
    return fail("the image data could not be decoded");
  }
  if (out->format == "gif" && !gdk_pixbuf_animation_is_static_image(anim)) {
    std::vector<int> delays = GifFrameDelays(static_cast<const unsigned char*>(data), size);
    if (delays.empty()) {
      g_object_unref(loader);
      return fail("damaged GIF: its frames cannot be counted");
    }
    // Step gdk-pixbuf's player frame by frame, by the delays it uses itself,
    // to get each frame composited over the ones before it.
    GTimeVal t{0, 0};
    GdkPixbufAnimationIter* it = gdk_pixbuf_animation_get_iter(anim, &t);
    for (size_t k = 0; k < delays.size(); ++k) {
      DecodedFrame f;
      PixbufToPremultiplied(gdk_pixbuf_animation_iter_get_pixbuf(it), &f);
      f.delay = delays[k];
      out->frames.push_back(std::move(f));
      int ms = gdk_pixbuf_animation_iter_get_delay_time(it);
      if (ms < 0) break;
      g_time_val_add(&t, (glong)ms * 1000);
      gdk_pixbuf_animation_iter_advance(it, &t);
    }
    g_object_unref(it);
  } else {
    GdkPixbuf* pb = gdk_pixbuf_loader_get_pixbuf(loader);
    if (!pb) {
      g_object_unref(loader);
      return fail("the image data could not be decoded");
    }
    if (!coverage.Covers(gdk_pixbuf_get_width(pb), gdk_pixbuf_get_height(pb))) {
      g_object_unref(loader);
      return fail("the image data ends before the picture does");
    }
    DecodedFrame f;
    PixbufToPremultiplied(pb, &f);
    out->frames.push_back(std::move(f));
  }
  g_object_unref(loader);
  return true;
}
#pragma GCC diagnostic pop

bool DecodeImageFile(const std::string& utf8Path, DecodedImage* out, std::string* error) {
  std::ifstream in(utf8Path, std::ios::binary);
  if (!in) {
    out->frames.clear();
    if (error) *error = "cannot open " + utf8Path;
    return false;
  }
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return DecodeImageBytes(bytes.data(), bytes.size(), out, error);
}
