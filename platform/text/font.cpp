#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_BITMAP_H
#include FT_GLYPH_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <tuple>
#include <unordered_map>

#include "charset.h"
#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/text/text.h"

namespace qod::text {
namespace {

constexpr int64_t kMaxPpem = 16384;
constexpr int64_t kMaxPlanePixels = 32LL * 1024 * 1024;
constexpr int kDefaultCellHeight = 16;
constexpr size_t kFaceNameBytes = 31;

// Glyphs are fitted to the pixel grid by FreeType's own hinter, for black
// and white or for grey: with the fonts' own instructions, black-and-white
// glyphs overlap their neighbours at some small sizes. Both renderings share
// the black-and-white advances, so a text has one extent whatever its target.
constexpr FT_Int32 kCaricaMono = FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO | FT_LOAD_FORCE_AUTOHINT;
constexpr FT_Int32 kCaricaGrigio = FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL | FT_LOAD_FORCE_AUTOHINT;

// The FreeType library and fontconfig are shared by every font; opening and
// closing faces and rasterising go through this lock.
std::mutex& Library_Lock() {
  static std::mutex m;
  return m;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

int64_t Arrotonda(double v) { return static_cast<int64_t>(std::llround(v)); }

int Limita_Int(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

// ---- Choosing the physical font ------------------------------------------

// A fontconfig configuration of our own, freed at exit (the library's
// default one lives until the process ends).
FcConfig* Configurazione() {
  struct Chiudi {
    void operator()(FcConfig* c) const { FcConfigDestroy(c); }
  };
  static std::unique_ptr<FcConfig, Chiudi> config(FcInitLoadConfigAndFonts());
  return config.get();
}

struct Scelta {
  std::string file;
  int index = 0;
  std::string family;
  int fc_weight = FC_WEIGHT_REGULAR;
  int fc_slant = FC_SLANT_ROMAN;
  bool covers = true;
};

bool Copre_Lingua(FcPattern* p, const char* lang) {
  if (lang == nullptr) return true;
  FcLangSet* ls = nullptr;
  if (FcPatternGetLangSet(p, FC_LANG, 0, &ls) != FcResultMatch || ls == nullptr) return false;
  return FcLangSetHasLang(ls, reinterpret_cast<const FcChar8*>(lang)) != FcLangDifferentLang;
}

std::optional<Scelta> Fc_Abbina(const std::string* family, int weight, bool italic, const char* lang_pattern,
                                const char* lang_needed) {
  FcPattern* pat = FcPatternCreate();
  if (pat == nullptr) return std::nullopt;
  if (family != nullptr) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family->c_str()));
  if (lang_pattern != nullptr) FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>(lang_pattern));
  FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(Configurazione(), pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res = FcResultNoMatch;
  FcPattern* m = FcFontMatch(Configurazione(), pat, &res);
  FcPatternDestroy(pat);
  if (m == nullptr) return std::nullopt;
  Scelta s;
  FcChar8* str = nullptr;
  if (FcPatternGetString(m, FC_FILE, 0, &str) == FcResultMatch && str != nullptr)
    s.file = reinterpret_cast<const char*>(str);
  if (FcPatternGetString(m, FC_FAMILY, 0, &str) == FcResultMatch && str != nullptr)
    s.family = reinterpret_cast<const char*>(str);
  FcPatternGetInteger(m, FC_INDEX, 0, &s.index);
  FcPatternGetInteger(m, FC_WEIGHT, 0, &s.fc_weight);
  FcPatternGetInteger(m, FC_SLANT, 0, &s.fc_slant);
  s.covers = Copre_Lingua(m, lang_needed);
  FcPatternDestroy(m);
  if (s.file.empty()) return std::nullopt;
  return s;
}

// The face name asked for, then, when that family lacks the character set's
// script, the nearest installed font that has it; when none has it, the
// face name's font all the same.
std::optional<Scelta> Scegli(const std::string& family, int weight, bool italic, uint8_t cs) {
  static std::map<std::tuple<std::string, int, bool, uint8_t>, Scelta> cache;
  static bool fc_pronto = Configurazione() != nullptr;
  auto key = std::make_tuple(family, weight, italic, cs);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  if (!fc_pronto) return std::nullopt;
  const char* lang = detail::Charset_Info(cs).lang;
  auto s = Fc_Abbina(family.empty() ? nullptr : &family, weight, italic, nullptr, lang);
  if (!s) return std::nullopt;
  if (!s->covers) {
    auto alt = Fc_Abbina(nullptr, weight, italic, lang, lang);
    if (alt && alt->covers) s = alt;
  }
  // Face names come from data: the cache is bounded.
  if (cache.size() >= 256) cache.clear();
  cache.emplace(key, *s);
  return s;
}

// The classic average character width: the weighted mean of the lower-case
// letters and the blank. The faces that stand in for the Windows ones carry
// an all-glyph average in their tables; this is the value the originals
// carry, so a width asked for scales the text as it did there.
constexpr char kLettereMedia[] = "abcdefghijklmnopqrstuvwxyz ";
constexpr int kPesiMedia[] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6, 35, 20, 56,
                              56, 17, 4,  49, 56,  71, 31, 10, 18, 3,  18, 2, 166};

double Media_Unita(FT_Face face, bool unicode) {
  if (unicode) {
    double somma = 0;
    bool tutte = true;
    for (int i = 0; i < 27; ++i) {
      FT_UInt g = FT_Get_Char_Index(face, static_cast<FT_ULong>(static_cast<unsigned char>(kLettereMedia[i])));
      FT_Fixed adv = 0;
      if (g == 0 || FT_Get_Advance(face, g, FT_LOAD_NO_SCALE, &adv) != 0) {
        tutte = false;
        break;
      }
      somma += static_cast<double>(adv) * kPesiMedia[i];
    }
    if (tutte && somma > 0) return somma / 1000.0;
  }
  if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->xAvgCharWidth > 0)
    return os2->xAvgCharWidth;
  return face->units_per_EM / 2.0;
}

enum class Mappa { kUnicode, kMsSymbol, kCustom };

bool Seleziona(FT_Face face, FT_Encoding enc) { return FT_Select_Charmap(face, enc) == 0; }

struct Geometria {
  double c = 1;  // cos of the escapement
  double s = 0;  // sin
  bool assiale = true;
  // Text frame (u along the baseline, v down the cell) to device, relative
  // to the reference point, y down.
  double X(double u, double v) const { return u * c + v * s; }
  double Y(double u, double v) const { return -u * s + v * c; }
  double U(double x, double y) const { return x * c - y * s; }
  double V(double x, double y) const { return x * s + y * c; }
};

Geometria Geometria_Da(int32_t escapement) {
  int64_t e = escapement % 3600;
  if (e < 0) e += 3600;
  Geometria g;
  switch (e) {
    case 0: g.c = 1, g.s = 0; break;
    case 900: g.c = 0, g.s = 1; break;
    case 1800: g.c = -1, g.s = 0; break;
    case 2700: g.c = 0, g.s = -1; break;
    default: {
      double a = static_cast<double>(e) * std::numbers::pi / 1800.0;
      g.c = std::cos(a);
      g.s = std::sin(a);
      g.assiale = false;
    }
  }
  return g;
}

struct Limiti {
  int64_t l = INT64_MAX, t = INT64_MAX, r = INT64_MIN, b = INT64_MIN;
  void Unisci(int64_t l2, int64_t t2, int64_t r2, int64_t b2) {
    if (l2 >= r2 || t2 >= b2) return;
    l = std::min(l, l2), t = std::min(t, t2), r = std::max(r, r2), b = std::max(b, b2);
  }
  bool Vuoto() const { return l >= r || t >= b; }
};

// The device bounds of a text-frame rectangle.
void Unisci_Rettangolo(Limiti& lim, const Geometria& g, double u0, double v0, double u1, double v1) {
  if (u0 >= u1 || v0 >= v1) return;
  double xs[4] = {g.X(u0, v0), g.X(u1, v0), g.X(u1, v1), g.X(u0, v1)};
  double ys[4] = {g.Y(u0, v0), g.Y(u1, v0), g.Y(u1, v1), g.Y(u0, v1)};
  lim.Unisci(static_cast<int64_t>(std::floor(*std::min_element(xs, xs + 4))),
             static_cast<int64_t>(std::floor(*std::min_element(ys, ys + 4))),
             static_cast<int64_t>(std::ceil(*std::max_element(xs, xs + 4))),
             static_cast<int64_t>(std::ceil(*std::max_element(ys, ys + 4))));
}

// Half the diagonal of a pixel: no point of a pixel is farther from its centre.
constexpr double kMezzaDiagonale = 0.7072;

// Fills a text-frame rectangle into a plane whose top-left pixel is (L, T):
// a pixel is covered when its centre lies inside; turned rectangles on a
// grey plane get 4 x 4 samples per pixel.
void Riempi_Rettangolo(Plane& p, int64_t L, int64_t T, const Geometria& g, double u0, double v0, double u1, double v1,
                       bool grey) {
  if (u0 >= u1 || v0 >= v1) return;
  const bool campioni = grey && !g.assiale;
  auto dentro = [&](double x, double y) {
    double u = g.U(x, y), v = g.V(x, y);
    return u >= u0 && u < u1 && v >= v0 && v < v1;
  };
  for (int py = 0; py < p.height; ++py) {
    uint8_t* riga = p.data.data() + static_cast<size_t>(py) * static_cast<size_t>(p.stride);
    for (int px = 0; px < p.width; ++px) {
      const double x = static_cast<double>(L + px) + 0.5, y = static_cast<double>(T + py) + 0.5;
      int cop = 0;
      if (!campioni) {
        cop = dentro(x, y) ? 255 : 0;
      } else {
        // Whole pixels inside or outside need no samples.
        const double u = g.U(x, y), v = g.V(x, y), d = kMezzaDiagonale;
        if (u - d >= u0 && u + d < u1 && v - d >= v0 && v + d < v1) {
          cop = 255;
        } else if (u + d < u0 || u - d >= u1 || v + d < v0 || v - d >= v1) {
          cop = 0;
        } else {
          int n = 0;
          for (int sy = 0; sy < 4; ++sy)
            for (int sx = 0; sx < 4; ++sx) n += dentro(x + (sx - 1.5) / 4, y + (sy - 1.5) / 4) ? 1 : 0;
          cop = n * 255 / 16;
        }
      }
      if (cop > riga[px]) riga[px] = static_cast<uint8_t>(cop);
    }
  }
}

FT_Fixed Fisso(double v) { return static_cast<FT_Fixed>(std::llround(v * 65536.0)); }

}  // namespace

// ---- The font --------------------------------------------------------------

struct Font::Impl {
  LogFont logical;
  TextMetrics metrics;
  FT_Face face = nullptr;
  Mappa mappa = Mappa::kUnicode;
  int ppem = 0;
  int extra_bold = 0;  // pixels added to every advance by synthetic emboldening
  bool oblique = false;
  int ul_top = 0, ul_height = 0;  // rows below the top of the cell
  int so_top = 0, so_height = 0;
  mutable std::unordered_map<FT_UInt, int> advances;

  ~Impl() {
    if (face != nullptr) {
      std::lock_guard lock(Library_Lock());
      FT_Done_Face(face);
    }
  }

  std::vector<FT_UInt> Glifi(std::string_view ansi) const {
    std::vector<FT_UInt> g;
    g.reserve(ansi.size());
    if (mappa == Mappa::kMsSymbol) {
      for (unsigned char b : ansi) {
        FT_UInt i = FT_Get_Char_Index(face, 0xF000u + b);
        g.push_back(i != 0 ? i : FT_Get_Char_Index(face, b));
      }
    } else if (mappa == Mappa::kCustom) {
      for (unsigned char b : ansi) g.push_back(FT_Get_Char_Index(face, b));
    } else {
      for (char32_t c : detail::Charset_Decodifica(ansi, logical.charset))
        g.push_back(c == detail::kNoChar ? 0 : FT_Get_Char_Index(face, c));
    }
    return g;
  }

  int Avanzamento(FT_UInt glifo) const {
    auto it = advances.find(glifo);
    if (it != advances.end()) return it->second;
    // The hinted advance of the black-and-white rendering, for both
    // renderings: hinting widens glyphs at small sizes, and the advance keeps
    // them apart.
    FT_Fixed adv = 0;
    int px = 0;
    if (FT_Get_Advance(face, glifo, kCaricaMono, &adv) == 0)
      px = static_cast<int>(std::llround(static_cast<double>(adv) / 65536.0));
    px += extra_bold;
    advances.emplace(glifo, px);
    return px;
  }
};

Font::Font(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;

const LogFont& Font::Logical() const { return impl_->logical; }
const TextMetrics& Font::Metrics() const { return impl_->metrics; }

std::unique_ptr<Font> Font::Create(const LogFont& logical, std::string* error) {
  auto fail = [&](std::string why) -> std::unique_ptr<Font> {
    if (error) *error = std::move(why);
    return nullptr;
  };
  auto impl = std::make_unique<Impl>();
  impl->logical = logical;
  std::string nome = logical.face_name.substr(0, std::min(logical.face_name.size(), kFaceNameBytes));
  nome = Trim(nome);
  impl->logical.face_name = nome;
  const int weight = logical.weight == 0 ? 400 : std::clamp(logical.weight, 1, 1000);

  std::lock_guard lock(Library_Lock());
  if (Library() == nullptr) return fail("FreeType non disponibile");
  auto scelta = Scegli(Ansi_A_Utf8(nome), weight, logical.italic, logical.charset);
  if (!scelta) return fail("nessun font per \"" + Ansi_A_Utf8(nome) + "\"");
  FT_Face face = nullptr;
  if (FT_New_Face(Library(), scelta->file.c_str(), scelta->index, &face) != 0 || face == nullptr)
    return fail("font illeggibile: " + scelta->file);
  impl->face = face;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return fail("font non scalabile: " + scelta->file);

  // Character map: the symbol set reads the font's own symbol encoding; a
  // font that has only a symbol encoding is read through it whatever the set.
  if (logical.charset == charset::kSymbol && Seleziona(face, FT_ENCODING_MS_SYMBOL)) {
    impl->mappa = Mappa::kMsSymbol;
  } else if (logical.charset == charset::kSymbol && Seleziona(face, FT_ENCODING_ADOBE_CUSTOM)) {
    impl->mappa = Mappa::kCustom;
  } else if (Seleziona(face, FT_ENCODING_UNICODE)) {
    impl->mappa = Mappa::kUnicode;
  } else if (Seleziona(face, FT_ENCODING_MS_SYMBOL)) {
    impl->mappa = Mappa::kMsSymbol;
  } else if (Seleziona(face, FT_ENCODING_ADOBE_CUSTOM)) {
    impl->mappa = Mappa::kCustom;
  }

  // Vertical size from the Windows ascent and descent.
  const double em = face->units_per_EM;
  double win_a = face->ascender, win_d = -static_cast<double>(face->descender);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    win_a = os2->usWinAscent;
    win_d = os2->usWinDescent;
  }
  if (win_a + win_d <= 0) win_a = em * 0.8, win_d = em * 0.2;

  int64_t h = logical.height == 0 ? kDefaultCellHeight : logical.height;
  int64_t ppem = 0, ascent = 0, descent = 0;
  if (h > 0) {
    double p = static_cast<double>(h) * em / (win_a + win_d);
    if (p > kMaxPpem) return fail("font troppo grande");
    ppem = std::max<int64_t>(1, Arrotonda(p));
    ascent = Arrotonda(win_a * static_cast<double>(h) / (win_a + win_d));
    descent = h - ascent;
  } else {
    ppem = -h;
    if (ppem > kMaxPpem) return fail("font troppo grande");
    ascent = Arrotonda(win_a * static_cast<double>(ppem) / em);
    descent = Arrotonda(win_d * static_cast<double>(ppem) / em);
  }
  const double media = Media_Unita(face, impl->mappa == Mappa::kUnicode);
  double ppem_x = static_cast<double>(ppem);
  if (logical.width != 0) {
    ppem_x = std::abs(static_cast<double>(logical.width)) * em / media;
    if (ppem_x > 4 * kMaxPpem) return fail("font troppo largo");
  }
  if (FT_Set_Char_Size(face, std::max<FT_F26Dot6>(1, static_cast<FT_F26Dot6>(std::llround(ppem_x * 64))),
                       static_cast<FT_F26Dot6>(ppem * 64), 72, 72) != 0)
    return fail("dimensione del font non valida");
  impl->ppem = static_cast<int>(ppem);
  const double sx = static_cast<double>(face->size->metrics.x_scale) / 65536.0 / 64.0;  // pixels per unit
  const double sy = static_cast<double>(face->size->metrics.y_scale) / 65536.0 / 64.0;

  TextMetrics& m = impl->metrics;
  m.height = static_cast<int>(ascent + descent);
  m.ascent = static_cast<int>(ascent);
  m.descent = static_cast<int>(descent);
  m.internal_leading = static_cast<int>(std::max<int64_t>(0, ascent + descent - ppem));
  double gap = static_cast<double>(face->height) - (static_cast<double>(face->ascender) - face->descender);
  double line_gap = gap - ((win_a + win_d) - (static_cast<double>(face->ascender) - face->descender));
  m.external_leading = static_cast<int>(std::max<int64_t>(0, Arrotonda(line_gap * sy)));
  m.charset = logical.charset;
  m.family = scelta->family;
  m.file = scelta->file;
  m.charset_covered = scelta->covers;
  m.italic = logical.italic;
  m.underlined = logical.underline;
  m.struck_out = logical.strike_out;
  m.synthetic_bold = weight >= 600 && scelta->fc_weight < FC_WEIGHT_DEMIBOLD;
  m.synthetic_italic = logical.italic && scelta->fc_slant == FC_SLANT_ROMAN;
  m.weight = m.synthetic_bold ? weight : FcWeightToOpenType(scelta->fc_weight);
  impl->extra_bold = m.synthetic_bold ? static_cast<int>(std::max<int64_t>(1, Arrotonda(ppem / 24.0))) : 0;
  impl->oblique = m.synthetic_italic;
  m.ave_char_width = static_cast<int>(Arrotonda(media * sx));
  m.max_char_width = static_cast<int>(Arrotonda(face->max_advance_width * sx)) + impl->extra_bold;

  // Underline and strike-out, as rows counted from the top of the cell.
  double ul_top = face->underline_position + face->underline_thickness / 2.0;
  impl->ul_top = static_cast<int>(ascent + Arrotonda(-ul_top * sy));
  impl->ul_height = static_cast<int>(std::max<int64_t>(1, Arrotonda(face->underline_thickness * sy)));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
    impl->so_top = static_cast<int>(ascent - Arrotonda(os2->yStrikeoutPosition * sy));
    impl->so_height = static_cast<int>(std::max<int64_t>(1, Arrotonda(os2->yStrikeoutSize * sy)));
  } else {
    impl->so_top = static_cast<int>(ascent - Arrotonda(static_cast<double>(ppem) * 0.3));
    impl->so_height = impl->ul_height;
  }
  return std::unique_ptr<Font>(new Font(std::move(impl)));
}

Size Font::Extent(std::string_view ansi) const {
  int64_t cx = 0;
  for (FT_UInt g : impl_->Glifi(ansi)) cx += impl_->Avanzamento(g);
  return Size{Limita_Int(cx), impl_->metrics.height};
}

std::optional<TextImage> Font::Render(std::string_view ansi, Rendering mode, const std::optional<Rect>& clip,
                                      std::string* error) const {
  const Impl& f = *impl_;
  const bool grey = mode == Rendering::kGrey;
  const Geometria g = Geometria_Da(f.logical.escapement);
  const std::vector<FT_UInt> glifi = f.Glifi(ansi);
  std::vector<int64_t> penne;
  penne.reserve(glifi.size());
  int64_t cx = 0;
  for (FT_UInt gl : glifi) {
    penne.push_back(cx);
    cx += f.Avanzamento(gl);
  }
  const double cxd = static_cast<double>(cx), cyd = f.metrics.height, asc = f.metrics.ascent;

  // Bounds: the cell, the lines, and a generous square around each glyph's
  // origin (refined below once the glyph is loaded).
  Limiti lim;
  Unisci_Rettangolo(lim, g, 0, 0, cxd, cyd);
  if (f.logical.underline) Unisci_Rettangolo(lim, g, 0, f.ul_top, cxd, f.ul_top + f.ul_height);
  if (f.logical.strike_out) Unisci_Rettangolo(lim, g, 0, f.so_top, cxd, f.so_top + f.so_height);
  Limiti vista{INT64_MIN, INT64_MIN, INT64_MAX, INT64_MAX};
  if (clip) vista = Limiti{clip->left, clip->top, clip->right, clip->bottom};

  std::lock_guard lock(Library_Lock());
  const FT_Int32 flags = grey ? kCaricaGrigio : kCaricaMono;
  const int64_t raggio = 4 * std::max<int64_t>(f.metrics.height, std::max(f.metrics.max_char_width, f.ppem)) + 4;
  struct Glifo {
    FT_Glyph glyph;
    int64_t l, t, r, b;
  };
  std::vector<Glifo> pronti;
  auto libera = [&] {
    for (auto& p : pronti) FT_Done_Glyph(p.glyph);
  };
  for (size_t i = 0; i < glifi.size(); ++i) {
    const double u = static_cast<double>(penne[i]);
    const double ox = g.X(u, asc), oy = g.Y(u, asc);  // the glyph origin, y down
    if (ox + raggio < static_cast<double>(vista.l) || ox - raggio > static_cast<double>(vista.r) ||
        oy + raggio < static_cast<double>(vista.t) || oy - raggio > static_cast<double>(vista.b))
      continue;
    if (FT_Load_Glyph(f.face, glifi[i], flags) != 0) continue;
    if (f.face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) continue;
    FT_Glyph glyph = nullptr;
    if (FT_Get_Glyph(f.face->glyph, &glyph) != 0 || glyph == nullptr) continue;
    FT_Outline* o = &reinterpret_cast<FT_OutlineGlyph>(glyph)->outline;
    if (f.extra_bold > 0) FT_Outline_EmboldenXY(o, f.extra_bold * 64, 0);
    if (f.oblique) {
      FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};
      FT_Outline_Transform(o, &shear);
    }
    if (g.c != 1 || g.s != 0) {
      FT_Matrix rot{Fisso(g.c), Fisso(-g.s), Fisso(g.s), Fisso(g.c)};
      FT_Outline_Transform(o, &rot);
    }
    // To the device frame with y up: the origin goes to (ox, -oy).
    FT_Outline_Translate(o, static_cast<FT_Pos>(std::llround(ox * 64)), static_cast<FT_Pos>(std::llround(-oy * 64)));
    FT_BBox box;
    FT_Outline_Get_CBox(o, &box);
    Glifo p{glyph, static_cast<int64_t>(std::floor(box.xMin / 64.0)), static_cast<int64_t>(std::floor(-box.yMax / 64.0)),
            static_cast<int64_t>(std::ceil(box.xMax / 64.0)), static_cast<int64_t>(std::ceil(-box.yMin / 64.0))};
    lim.Unisci(p.l, p.t, p.r, p.b);
    pronti.push_back(p);
  }
  lim.l = std::max(lim.l, vista.l), lim.t = std::max(lim.t, vista.t);
  lim.r = std::min(lim.r, vista.r), lim.b = std::min(lim.b, vista.b);
  TextImage img;
  if (lim.Vuoto()) {
    libera();
    return img;
  }
  const int64_t w = lim.r - lim.l, h = lim.b - lim.t;
  if (w > kMaxPlanePixels || h > kMaxPlanePixels || w * h > kMaxPlanePixels) {
    libera();
    if (error) *error = "testo troppo grande";
    return std::nullopt;
  }
  img.left = static_cast<int>(lim.l);
  img.top = static_cast<int>(lim.t);
  for (Plane* p : {&img.ink, &img.box}) {
    p->width = static_cast<int>(w);
    p->height = static_cast<int>(h);
    p->stride = static_cast<int>(w);
    p->data.assign(static_cast<size_t>(w * h), 0);
  }
  Riempi_Rettangolo(img.box, lim.l, lim.t, g, 0, 0, cxd, cyd, grey);
  if (f.logical.underline) Riempi_Rettangolo(img.ink, lim.l, lim.t, g, 0, f.ul_top, cxd, f.ul_top + f.ul_height, grey);
  if (f.logical.strike_out) Riempi_Rettangolo(img.ink, lim.l, lim.t, g, 0, f.so_top, cxd, f.so_top + f.so_height, grey);

  std::vector<unsigned char> buf;
  for (auto& p : pronti) {
    const int64_t x0 = std::max(p.l, lim.l), y0 = std::max(p.t, lim.t);
    const int64_t x1 = std::min(p.r, lim.r), y1 = std::min(p.b, lim.b);
    if (x0 >= x1 || y0 >= y1) continue;
    FT_Outline* o = &reinterpret_cast<FT_OutlineGlyph>(p.glyph)->outline;
    FT_Outline_Translate(o, static_cast<FT_Pos>(-x0 * 64), static_cast<FT_Pos>(y1 * 64));
    FT_Bitmap bm;
    FT_Bitmap_Init(&bm);
    bm.width = static_cast<unsigned>(x1 - x0);
    bm.rows = static_cast<unsigned>(y1 - y0);
    bm.pitch = grey ? static_cast<int>(bm.width) : static_cast<int>((bm.width + 7) / 8);
    bm.pixel_mode = grey ? FT_PIXEL_MODE_GRAY : FT_PIXEL_MODE_MONO;
    bm.num_grays = 256;
    buf.assign(static_cast<size_t>(bm.pitch) * bm.rows, 0);
    bm.buffer = buf.data();
    if (FT_Outline_Get_Bitmap(Library(), o, &bm) != 0) continue;
    for (unsigned ry = 0; ry < bm.rows; ++ry) {
      const unsigned char* src = buf.data() + static_cast<size_t>(ry) * static_cast<size_t>(bm.pitch);
      uint8_t* dst = img.ink.data.data() + static_cast<size_t>(y0 - lim.t + ry) * static_cast<size_t>(w) +
                     static_cast<size_t>(x0 - lim.l);
      for (unsigned rx = 0; rx < bm.width; ++rx) {
        uint8_t v = grey ? src[rx] : (((src[rx >> 3] >> (7 - (rx & 7))) & 1) ? 255 : 0);
        if (v > dst[rx]) dst[rx] = v;
      }
    }
  }
  libera();
  return img;
}

// ---- Painting ----------------------------------------------------------------

void Draw(const TextImage& image, int x, int y, Rgb text_colour, Rgb background, BkMode mode, PixelSink& sink) {
  if (image.empty()) return;
  const int64_t W = sink.Width(), H = sink.Height();
  const int64_t X0 = static_cast<int64_t>(x) + image.left, Y0 = static_cast<int64_t>(y) + image.top;
  const int64_t xa = std::max<int64_t>(0, X0), xb = std::min<int64_t>(W, X0 + image.ink.width);
  if (xa >= xb) return;
  for (int r = 0; r < image.ink.height; ++r) {
    const int64_t Y = Y0 + r;
    if (Y < 0 || Y >= H) continue;
    const size_t off = static_cast<size_t>(r) * static_cast<size_t>(image.ink.stride) + static_cast<size_t>(xa - X0);
    if (mode == BkMode::kOpaque)
      sink.Paint(static_cast<int>(xa), static_cast<int>(Y), static_cast<int>(xb - xa), image.box.data.data() + off,
                 background);
    sink.Paint(static_cast<int>(xa), static_cast<int>(Y), static_cast<int>(xb - xa), image.ink.data.data() + off,
               text_colour);
  }
}

bool TextOut(const Font& font, PixelSink& sink, int x, int y, std::string_view ansi, Rgb text_colour, Rgb background,
             BkMode mode, Rendering rendering, std::string* error) {
  Rect clip{Limita_Int(-static_cast<int64_t>(x)), Limita_Int(-static_cast<int64_t>(y)),
            Limita_Int(static_cast<int64_t>(sink.Width()) - x), Limita_Int(static_cast<int64_t>(sink.Height()) - y)};
  auto img = font.Render(ansi, rendering, clip, error);
  if (!img) return false;
  Draw(*img, x, y, text_colour, background, mode, sink);
  return true;
}

}  // namespace qod::text
