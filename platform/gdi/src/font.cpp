#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>

#include "GdiObjects.h"
#include "crt/utf8.h"
#include "gdi/GdiCairo.h"

namespace {

// The faces the program asks for by their Windows names, and the installed
// faces (fonts-noto-cjk) that stand in for them.
struct FaceAlias {
  const char* name;
  const char* target;
};
constexpr FaceAlias kAliases[] = {
    {"微软雅黑", "Noto Sans CJK SC"},  {"Microsoft YaHei", "Noto Sans CJK SC"},
    {"黑体", "Noto Sans CJK SC"},      {"SimHei", "Noto Sans CJK SC"},
    {"宋体", "Noto Serif CJK SC"},     {"SimSun", "Noto Serif CJK SC"},
    {"新宋体", "Noto Serif CJK SC"},   {"NSimSun", "Noto Serif CJK SC"},
};

std::string AliasConfig() {
  std::string xml =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n";
  for (const FaceAlias& a : kAliases) {
    xml += "  <alias binding=\"same\"><family>";
    xml += a.name;
    xml += "</family><prefer><family>";
    xml += a.target;
    xml += "</family></prefer></alias>\n";
  }
  xml += "</fontconfig>\n";
  return xml;
}

const char* AliasTarget(const std::string& face) {
  for (const FaceAlias& a : kAliases)
    if (strcasecmp(a.name, face.c_str()) == 0) return a.target;
  return nullptr;
}

}  // namespace

void GdiEnsureFontAliases() {
  static std::once_flag once;
  std::call_once(once, [] {
    FcInit();
    std::string xml = AliasConfig();
    if (!FcConfigParseAndLoadFromMemory(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(xml.c_str()),
                                        FcTrue))
      fprintf(stderr, "gdi: the font alias configuration was refused by fontconfig\n");
  });
}

bool GdiFontFaceExists(LPCWSTR face) {
  if (!face || !*face) return false;
  GdiEnsureFontAliases();
  std::string name = crt::WideToUtf8(face);
  const char* target = AliasTarget(name);
  FcPattern* pat = FcPatternCreate();
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* match = FcFontMatch(nullptr, pat, &res);
  bool found = false;
  if (match) {
    FcChar8* fam = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &fam) == FcResultMatch; ++i) {
      const char* f = reinterpret_cast<const char*>(fam);
      if (strcasecmp(f, name.c_str()) == 0 || (target && strcasecmp(f, target) == 0)) found = true;
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  return found;
}

PangoFontDescription* GdiFontDescriptionFromLogFont(const LOGFONTW& lf) {
  GdiEnsureFontAliases();
  PangoFontDescription* d = pango_font_description_new();
  WCHAR face[LF_FACESIZE];
  wcsncpy(face, lf.lfFaceName, LF_FACESIZE - 1);
  face[LF_FACESIZE - 1] = 0;
  std::string family = face[0] ? crt::WideToUtf8(face) : std::string("微软雅黑");
  pango_font_description_set_family(d, family.c_str());
  // A negative height is the character height in pixels; a positive one the
  // cell height, of which the character takes about the font's em square.
  int px = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight > 0 ? lf.lfHeight * 4 / 5 : 12;
  if (px < 1) px = 1;
  pango_font_description_set_absolute_size(d, px * PANGO_SCALE);
  int weight = lf.lfWeight == FW_DONTCARE ? FW_NORMAL : lf.lfWeight;
  pango_font_description_set_weight(d, static_cast<PangoWeight>(weight < 100 ? 100 : weight > 1000 ? 1000 : weight));
  pango_font_description_set_style(d, lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return d;
}

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  auto* f = new GdiFont;
  f->lf = *lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  f->desc = GdiFontDescriptionFromLogFont(f->lf);
  GdiRegister(f);
  return reinterpret_cast<HFONT>(f);
}

LOGFONTW GdiDefaultLogFont() {
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  wcscpy(lf.lfFaceName, L"微软雅黑");
  return lf;
}

GdiFont* GdiStockFont() {
  static GdiFont* font = [] {
    const LOGFONTW lf = GdiDefaultLogFont();
    auto* f = reinterpret_cast<GdiFont*>(CreateFontIndirectW(&lf));
    f->stock = true;
    return f;
  }();
  return font;
}

int EnumFontsW(HDC, LPCWSTR face, FONTENUMPROCW proc, LPARAM lparam) {
  if (!proc) return 0;
  // Only lookups by name are made by this system; a face that resolves is
  // reported once, a missing one not at all.
  if (!face || !GdiFontFaceExists(face)) return 1;
  LOGFONTW lf{};
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  TEXTMETRICW tm{};
  tm.tmWeight = FW_NORMAL;
  return proc(&lf, &tm, 4 /* TRUETYPE_FONTTYPE */, lparam);
}
