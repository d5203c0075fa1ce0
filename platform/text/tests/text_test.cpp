#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "../charset.h"
#include "png_out.h"
#include "qod/ansi.h"
#include "qod/text/text.h"

using namespace qod::text;

namespace {

// A 24-bit canvas that blends coverage the plain way.
struct Tela : PixelSink {
  int w, h;
  std::vector<uint8_t> rgb;
  Tela(int w_, int h_, Rgb fondo = {255, 255, 255}) : w(w_), h(h_), rgb(static_cast<size_t>(w_) * h_ * 3) {
    for (size_t i = 0; i < rgb.size(); i += 3) rgb[i] = fondo.r, rgb[i + 1] = fondo.g, rgb[i + 2] = fondo.b;
  }
  int Width() const override { return w; }
  int Height() const override { return h; }
  void Paint(int x, int y, int n, const uint8_t* cov, Rgb c) override {
    ASSERT_GE(x, 0);
    ASSERT_LE(x + n, w);
    ASSERT_GE(y, 0);
    ASSERT_LT(y, h);
    for (int i = 0; i < n; ++i) {
      uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x + i) * 3];
      int a = cov[i];
      p[0] = static_cast<uint8_t>((p[0] * (255 - a) + c.r * a) / 255);
      p[1] = static_cast<uint8_t>((p[1] * (255 - a) + c.g * a) / 255);
      p[2] = static_cast<uint8_t>((p[2] * (255 - a) + c.b * a) / 255);
    }
  }
  Rgb at(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
    return {p[0], p[1], p[2]};
  }
  bool Salva(const std::string& nome) const { return qod::testing::Png_Rgb(nome, w, h, w * 3, rgb); }
};

std::unique_ptr<Font> Crea(const char* face, int32_t height, int32_t width = 0, int32_t weight = 400,
                           int32_t escapement = 0, uint8_t cs = charset::kDefault) {
  LogFont lf;
  lf.face_name = face;
  lf.height = height;
  lf.width = width;
  lf.weight = weight;
  lf.escapement = lf.orientation = escapement;
  lf.charset = cs;
  std::string err;
  auto f = Font::Create(lf, &err);
  EXPECT_TRUE(f) << err;
  return f;
}

struct Scatola {
  int l = INT32_MAX, t = INT32_MAX, r = INT32_MIN, b = INT32_MIN;  // inclusive
  int n = 0;
};

// Bounds of the ink of a plane, in the reference point's frame.
Scatola Inchiostro(const TextImage& img, const Plane& p, int soglia = 128) {
  Scatola s;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.at(x, y) >= soglia) {
        s.l = std::min(s.l, x + img.left), s.r = std::max(s.r, x + img.left);
        s.t = std::min(s.t, y + img.top), s.b = std::max(s.b, y + img.top);
        ++s.n;
      }
  return s;
}

bool Inchiostrato(const TextImage& img, int x, int y) {
  int px = x - img.left, py = y - img.top;
  return px >= 0 && py >= 0 && px < img.ink.width && py < img.ink.height && img.ink.at(px, py) >= 128;
}

TextImage Disegna(const Font& f, std::string_view s, Rendering m = Rendering::kMono) {
  std::string err;
  auto img = f.Render(s, m, std::nullopt, &err);
  EXPECT_TRUE(img) << err;
  return img ? *img : TextImage{};
}

bool Installato(const char* lang) {
  FcPattern* p = FcPatternCreate();
  FcLangSet* ls = FcLangSetCreate();
  FcLangSetAdd(ls, reinterpret_cast<const FcChar8*>(lang));
  FcPatternAddLangSet(p, FC_LANG, ls);
  FcObjectSet* os = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcConfig* config = FcInitLoadConfigAndFonts();
  FcFontSet* fs = FcFontList(config, p, os);
  bool si = fs && fs->nfont > 0;
  if (fs) FcFontSetDestroy(fs);
  FcObjectSetDestroy(os);
  FcLangSetDestroy(ls);
  FcPatternDestroy(p);
  FcConfigDestroy(config);
  return si;
}

}  // namespace

TEST(Text, WindowsFacesMapToTheirMetricTwins) {
  struct {
    const char* face;
    const char* family;
  } casi[] = {{"Arial", "Liberation Sans"}, {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"},
              {"  Arial  ", "Liberation Sans"}};
  for (auto& c : casi) {
    auto f = Crea(c.face, -16);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Metrics().family, c.family) << c.face;
  }
  // Only the first 31 bytes of the face name count, as in a logical font.
  auto f = Crea("Courier New                    Symbol", -16);
  EXPECT_EQ(f->Metrics().family, "Liberation Mono");
}

TEST(Text, PositiveHeightIsTheCellNegativeTheCharacter) {
  for (const char* face : {"Arial", "Times New Roman", "Courier New"}) {
    for (int fd : {10, 16, 33, 100}) {
      auto cella = Crea(face, fd);
      auto car = Crea(face, -fd);
      const TextMetrics& a = cella->Metrics();
      const TextMetrics& b = car->Metrics();
      EXPECT_EQ(a.height, fd) << face << " " << fd;
      EXPECT_EQ(a.ascent + a.descent, a.height);
      EXPECT_EQ(b.ascent + b.descent, b.height);
      // The em is fd for the character height, so its cell is taller.
      EXPECT_GT(b.height, fd) << face << " " << fd;
      EXPECT_EQ(b.internal_leading, b.height - fd) << face << " " << fd;
      // The glyphs are bigger too.
      auto ia = Inchiostro(Disegna(*cella, "H"), Disegna(*cella, "H").ink);
      auto ib = Inchiostro(Disegna(*car, "H"), Disegna(*car, "H").ink);
      EXPECT_GT(ib.b - ib.t, ia.b - ia.t - (fd < 20 ? 1 : 0)) << face << " " << fd;
    }
  }
  // The average width is the one the Windows originals report: Arial at a
  // 16-pixel em averages 7 pixels, Courier New at 20 pixels 12.
  auto f = Crea("Arial", -16);
  EXPECT_EQ(f->Metrics().ave_char_width, 7);
  EXPECT_EQ(Crea("Courier New", -20)->Metrics().ave_char_width, 12);
  // Height 0 takes the default cell.
  EXPECT_EQ(Crea("Arial", 0)->Metrics().height, 16);
}

TEST(Text, GlyphsSitInTheCellWithTheBaselineAtTheAscent) {
  auto f = Crea("Arial", -40);
  const TextMetrics& m = f->Metrics();
  TextImage img = Disegna(*f, "HxH");
  Size ext = f->Extent("HxH");
  // The cell is the box from the reference point, extent wide, cell high.
  auto box = Inchiostro(img, img.box);
  EXPECT_EQ(box.l, 0);
  EXPECT_EQ(box.t, 0);
  EXPECT_EQ(box.r, ext.cx - 1);
  EXPECT_EQ(box.b, m.height - 1);
  EXPECT_EQ(box.n, ext.cx * m.height);
  // "H" and "x" stand on the baseline: their lowest ink row is ascent - 1.
  auto ink = Inchiostro(img, img.ink);
  EXPECT_EQ(ink.b, m.ascent - 1);
  // The cap height of Arial is 0.716 em, with the top of "H" that far above
  // the baseline.
  EXPECT_NEAR(m.ascent - ink.t, 0.716 * 40, 1.0);
  EXPECT_GE(ink.l, 0);
  EXPECT_LE(ink.l, 4);
  EXPECT_LE(ink.r, ext.cx - 1);

  // On a target, at (x, y).
  Tela t(200, 100);
  ASSERT_TRUE(TextOut(*f, t, 30, 20, "HxH", {0, 0, 0}, {255, 255, 255}, BkMode::kTransparent, Rendering::kMono));
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x)
      EXPECT_EQ(t.at(x, y) == (Rgb{0, 0, 0}), Inchiostrato(img, x - 30, y - 20)) << x << "," << y;
}

TEST(Text, DescendersGoBelowTheBaselineWithinTheCell) {
  auto f = Crea("Times New Roman", 30);
  TextImage img = Disegna(*f, "gjpqy");
  auto ink = Inchiostro(img, img.ink);
  EXPECT_GT(ink.b, f->Metrics().ascent);
  EXPECT_LE(ink.b, f->Metrics().height - 1);
}

TEST(Text, MonochromeHasTwoLevelsGreyHasMany) {
  auto f = Crea("Arial", -24);
  for (auto [modo, grigi] : {std::pair{Rendering::kMono, false}, std::pair{Rendering::kGrey, true}}) {
    TextImage img = Disegna(*f, "Quillon", modo);
    bool intermedi = std::any_of(img.ink.data.begin(), img.ink.data.end(), [](uint8_t v) { return v != 0 && v != 255; });
    EXPECT_EQ(intermedi, grigi);
    auto ink = Inchiostro(img, img.ink);
    EXPECT_GT(ink.n, 100);
  }
}

TEST(Text, EscapementTurnsTheTextCounterClockwiseAroundTheReferencePoint) {
  for (auto [faccia, fd] : {std::pair{"Arial", -30}, std::pair{"Courier New", 25}}) {
    auto piatto = Crea(faccia, fd, 0, 400, 0);
    auto su = Crea(faccia, fd, 0, 400, 900);
    auto giu = Crea(faccia, fd, 0, 400, 2700);
    const std::string s = "Lato 7";
    TextImage a = Disegna(*piatto, s), b = Disegna(*su, s), c = Disegna(*giu, s);
    Size ext = piatto->Extent(s);
    // 900: the cell lies right of x and above y; the baseline runs upwards.
    auto box = Inchiostro(b, b.box);
    EXPECT_EQ(box.l, 0);
    EXPECT_EQ(box.r, ext.cy - 1);
    EXPECT_EQ(box.t, -ext.cx);
    EXPECT_EQ(box.b, -1);
    // Pixel (px, py) of the flat text is pixel (py, -1 - px) turned up, and
    // (-1 - py, px) turned down; the hinted outlines land on the same pixels.
    auto ia = Inchiostro(a, a.ink);
    int diversi_su = 0, diversi_giu = 0;
    for (int py = ia.t; py <= ia.b; ++py)
      for (int px = ia.l; px <= ia.r; ++px) {
        bool v = Inchiostrato(a, px, py);
        diversi_su += v != Inchiostrato(b, py, -1 - px);
        diversi_giu += v != Inchiostrato(c, -1 - py, px);
      }
    // The rasteriser settles pixels on an edge by the scan direction, so a
    // few may differ.
    EXPECT_LE(diversi_su, ia.n / 20) << faccia;
    EXPECT_LE(diversi_giu, ia.n / 20) << faccia;
    EXPECT_NEAR(Inchiostro(b, b.ink).n, ia.n, ia.n / 20);
  }
}

TEST(Text, AnyAngleKeepsTheCellAndTheInk) {
  auto piatto = Crea("Arial", -30);
  Size ext = piatto->Extent("Obliquo");
  TextImage a = Disegna(*piatto, "Obliquo");
  for (int esc : {450, 1350, 3150, -450, 3600 + 450}) {
    auto f = Crea("Arial", -30, 0, 400, esc);
    TextImage img = Disegna(*f, "Obliquo");
    auto box = Inchiostro(img, img.box);
    EXPECT_NEAR(box.n, ext.cx * ext.cy, ext.cx * ext.cy / 20) << esc;
    EXPECT_NEAR(Inchiostro(img, img.ink).n, Inchiostro(a, a.ink).n, Inchiostro(a, a.ink).n / 8) << esc;
  }
  // 450: the far end of the baseline is up and to the right of the start.
  auto f = Crea("Arial", -30, 0, 400, 450);
  TextImage img = Disegna(*f, "Obliquo");
  auto box = Inchiostro(img, img.box);
  double d = ext.cx / std::sqrt(2.0);
  EXPECT_NEAR(box.t, -d, 2);
  EXPECT_NEAR(box.r, d + ext.cy / std::sqrt(2.0), 2);
  EXPECT_NEAR(box.l, 0, 1);
}

TEST(Text, OpaqueFillsTheCellTransparentLeavesIt) {
  auto f = Crea("Arial", -20);
  const std::string s = "Opaco";
  Size ext = f->Extent(s);
  const Rgb blu{0, 0, 255}, rosso{255, 0, 0}, nero{0, 0, 0};
  for (auto modo : {BkMode::kOpaque, BkMode::kTransparent}) {
    for (auto r : {Rendering::kMono, Rendering::kGrey}) {
      Tela t(150, 60, blu);
      ASSERT_TRUE(TextOut(*f, t, 10, 15, s, nero, rosso, modo, r));
      int inchiostro = 0;
      for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 150; ++x) {
          bool in_cella = x >= 10 && x < 10 + ext.cx && y >= 15 && y < 15 + ext.cy;
          Rgb p = t.at(x, y);
          if (!in_cella) {
            EXPECT_EQ(p, blu) << x << "," << y;
          } else if (p == nero) {
            ++inchiostro;
          } else if (r == Rendering::kMono) {
            EXPECT_EQ(p, modo == BkMode::kOpaque ? rosso : blu) << x << "," << y;
          } else if (modo == BkMode::kOpaque) {
            EXPECT_EQ(p.b, 0) << x << "," << y;  // red blended with black: no blue left
          }
        }
      EXPECT_GT(inchiostro, 50);
    }
  }
}

TEST(Text, UnderlineAndStrikeOutRunTheWholeExtent) {
  LogFont lf;
  lf.face_name = "Arial";
  lf.height = -30;
  auto semplice = Font::Create(lf);
  lf.underline = true;
  auto sotto = Font::Create(lf);
  lf.underline = false;
  lf.strike_out = true;
  auto barrato = Font::Create(lf);
  const std::string s = "ace mu";  // no descenders, a blank inside
  Size ext = semplice->Extent(s);
  auto righe_piene = [&](const TextImage& img) {
    std::vector<int> righe;
    for (int y = img.top; y < img.top + img.ink.height; ++y) {
      bool piena = true;
      for (int x = 0; x < ext.cx && piena; ++x) piena = Inchiostrato(img, x, y);
      if (piena) righe.push_back(y);
    }
    return righe;
  };
  const int asc = semplice->Metrics().ascent;
  EXPECT_TRUE(righe_piene(Disegna(*semplice, s)).empty());
  auto u = righe_piene(Disegna(*sotto, s));
  ASSERT_FALSE(u.empty());
  EXPECT_GE(u.front(), asc);  // below the baseline
  EXPECT_LT(u.back(), semplice->Metrics().height);
  auto b = righe_piene(Disegna(*barrato, s));
  ASSERT_FALSE(b.empty());
  EXPECT_LT(b.back(), asc);
  EXPECT_GT(b.front(), asc - 14);  // through the lower-case letters (x-height 0.52 em)
  EXPECT_EQ(sotto->Extent(s).cx, ext.cx);
}

TEST(Text, BoldIsWiderAndDarkerItalicLeans) {
  for (const char* face : {"Arial", "Times New Roman"}) {
    auto normale = Crea(face, -24, 0, 400);
    auto grassetto = Crea(face, -24, 0, 700);
    const std::string s = "Grassetto corsivo";
    EXPECT_GT(grassetto->Extent(s).cx, normale->Extent(s).cx) << face;
    EXPECT_FALSE(grassetto->Metrics().synthetic_bold);
    EXPECT_EQ(grassetto->Metrics().weight, 700);
    TextImage n = Disegna(*normale, s), g = Disegna(*grassetto, s);
    EXPECT_GT(Inchiostro(g, g.ink).n, Inchiostro(n, n.ink).n * 5 / 4) << face;
    EXPECT_EQ(grassetto->Metrics().height, normale->Metrics().height);

    LogFont lf = normale->Logical();
    lf.italic = true;
    auto corsivo = Font::Create(lf);
    ASSERT_TRUE(corsivo);
    EXPECT_FALSE(corsivo->Metrics().synthetic_italic);
    // An upright "l" has one ink column range from top to bottom; italic
    // moves its top to the right of its foot.
    TextImage d = Disegna(*normale, "l"), c = Disegna(*corsivo, "l");
    auto colonna = [](const TextImage& img, int y) {
      for (int x = img.left; x < img.left + img.ink.width; ++x)
        if (Inchiostrato(img, x, y)) return x;
      return INT32_MIN;
    };
    auto sd = Inchiostro(d, d.ink), sc = Inchiostro(c, c.ink);
    EXPECT_LE(std::abs(colonna(d, sd.t + 1) - colonna(d, sd.b - 1)), 1);
    EXPECT_GE(colonna(c, sc.t + 1) - colonna(c, sc.b - 1), 2);
  }
}

TEST(Text, WidthScalesHorizontallyOnly) {
  auto propria = Crea("Arial", 24);
  const std::string s = "abcdefghijklmnopqrstuvwxyz";
  for (int fw : {5, 10, 20}) {
    auto f = Crea("Arial", 24, fw);
    EXPECT_NEAR(f->Metrics().ave_char_width, fw, 1) << fw;
    EXPECT_EQ(f->Metrics().height, 24);
    TextImage img = Disegna(*f, "Hl");
    auto ink = Inchiostro(img, img.ink);
    auto ip = Inchiostro(Disegna(*propria, "Hl"), Disegna(*propria, "Hl").ink);
    EXPECT_EQ(ink.b - ink.t, ip.b - ip.t) << fw;
  }
  double a = Crea("Arial", 24, 10)->Extent(s).cx, b = Crea("Arial", 24, 20)->Extent(s).cx;
  EXPECT_NEAR(b / a, 2.0, 0.1);
  // The sign of the width is ignored.
  EXPECT_EQ(Crea("Arial", 24, -10)->Extent(s).cx, Crea("Arial", 24, 10)->Extent(s).cx);
}

TEST(Text, CodePagesOfTheCharacterSets) {
  using qod::text::detail::Charset_Decodifica;
  using qod::text::detail::kNoChar;
  struct {
    uint8_t cs;
    std::string bytes;
    std::u32string chars;
  } casi[] = {
      {charset::kDefault, "A\x80\xE0", U"A\u20AC\u00E0"},
      {charset::kAnsi, "\x81\x9F", U"\u0081\u0178"},
      {charset::kGreek, "\xC1\xD3\xE1", U"\u0391\u03A3\u03B1"},
      {charset::kRussian, "\xC0\xFF", U"\u0410\u044F"},
      {charset::kEastEurope, "\x8A\xF8", U"\u0160\u0159"},
      {charset::kTurkish, "\xD0\xFD", U"\u011E\u0131"},
      {charset::kBaltic, "\xC0\xE6", U"\u0104\u0119"},
      {charset::kHebrew, "\xE0", U"\u05D0"},
      {charset::kArabic, "\xC7", U"\u0627"},
      {charset::kThai, "\xA1", U"\u0E01"},
      {charset::kMac, "\x8E", U"\u00E9"},
      {charset::kOem, "\x82\xB5", U"\u00E9\u00C1"},
      {charset::kShiftJis, "A\x82\xA0", U"A\u3042"},
      {charset::kShiftJis, "\x82", std::u32string(1, kNoChar)},  // a lead byte at the end
      {charset::kChineseBig5, "\xA4\x40", U"\u4E00"},
      {charset::kGb2312, "\xD6\xD0", U"\u4E2D"},
      {charset::kHangeul, "\xB0\xA1", U"\uAC00"},
      {charset::kGreek, "\xAA", std::u32string(1, kNoChar)},  // undefined in 1253
      {99, "\xE0", U"\u00E0"},                                // unknown sets read as the default
  };
  for (auto& c : casi) EXPECT_EQ(Charset_Decodifica(c.bytes, c.cs), c.chars) << int(c.cs) << " " << c.bytes;
}

TEST(Text, CharacterSetsPickAFontWithTheirScript) {
  // Liberation covers Greek and Cyrillic: Arial stays Arial and the bytes
  // draw other glyphs than the same bytes in the default set.
  auto latino = Crea("Arial", -20, 0, 400, 0, charset::kDefault);
  for (uint8_t cs : {charset::kGreek, charset::kRussian}) {
    auto f = Crea("Arial", -20, 0, 400, 0, cs);
    EXPECT_EQ(f->Metrics().family, "Liberation Sans");
    EXPECT_TRUE(f->Metrics().charset_covered);
    TextImage a = Disegna(*latino, "\xD3\xD4\xF8"), b = Disegna(*f, "\xD3\xD4\xF8");
    EXPECT_NE(a.ink.data, b.ink.data) << int(cs);
  }
  // Japanese: a font with Japanese when one is installed, else Arial's font.
  auto jp = Crea("Arial", -20, 0, 400, 0, charset::kShiftJis);
  EXPECT_EQ(jp->Metrics().charset_covered, Installato("ja"));
  if (!Installato("ja")) {
    EXPECT_EQ(jp->Metrics().family, "Liberation Sans");
  }
  EXPECT_EQ(jp->Extent("\x82\xA0\x82\xA2").cx > 0, true);
}

TEST(Text, SymbolSetReadsTheFontsOwnEncoding) {
  auto simbolo = Crea("Symbol", -30, 0, 400, 0, charset::kSymbol);
  auto normale = Crea("Symbol", -30, 0, 400, 0, charset::kDefault);
  ASSERT_TRUE(simbolo && normale);
  if (simbolo->Metrics().family == normale->Metrics().family &&
      Disegna(*simbolo, "a").ink.data == Disegna(*normale, "a").ink.data)
    GTEST_SKIP() << "no symbol font installed (" << simbolo->Metrics().family << ")";
  // In a symbol font, "a" is alpha: not the Latin letter of the same font.
  EXPECT_NE(Disegna(*simbolo, "a").ink.data, Disegna(*normale, "a").ink.data);
}

TEST(Text, EmptyTextDrawsNothing) {
  auto f = Crea("Arial", -20);
  EXPECT_EQ(f->Extent("").cx, 0);
  EXPECT_EQ(f->Extent("").cy, f->Metrics().height);
  TextImage img = Disegna(*f, "");
  EXPECT_TRUE(img.empty());
  Tela t(10, 10);
  EXPECT_TRUE(TextOut(*f, t, 0, 0, "", {0, 0, 0}, {0, 0, 0}, BkMode::kOpaque, Rendering::kMono));
  EXPECT_EQ(t.at(0, 0), (Rgb{255, 255, 255}));
}

TEST(Text, SampleSheetForALook) {
  Tela t(900, 700);
  struct Riga {
    const char* face;
    int32_t h, w, weight, esc;
    bool italic, underline;
    uint8_t cs;
    int x, y;
    const char* testo;
    BkMode modo;
  } righe[] = {
      {"Arial", -24, 0, 400, 0, false, false, charset::kDefault, 20, 20, "Arial -24: Quillon \xE0\xE8\xEC\xF2\xF9 \x80", BkMode::kTransparent},
      {"Arial", 24, 0, 400, 0, false, false, charset::kDefault, 20, 60, "Arial +24 (cella): Quillon", BkMode::kOpaque},
      {"Times New Roman", -24, 0, 700, 0, false, true, charset::kDefault, 20, 100, "Times grassetto sottolineato", BkMode::kTransparent},
      {"Courier New", 20, 8, 400, 0, true, false, charset::kDefault, 20, 140, "Courier 20x8 corsivo", BkMode::kOpaque},
      {"Arial", -22, 0, 400, 0, false, false, charset::kGreek, 20, 180, "\xC1\xE8\xDE\xED\xE1 (1253)", BkMode::kTransparent},
      {"Arial", -22, 0, 400, 0, false, false, charset::kRussian, 20, 220, "\xCC\xEE\xF1\xEA\xE2\xE0 (1251)", BkMode::kTransparent},
      {"Arial", -22, 0, 400, 0, false, false, charset::kEastEurope, 20, 260, "\x8A\xE8\xF8 \xB9 (1250)", BkMode::kTransparent},
      {"Arial", -24, 0, 400, 900, false, false, charset::kDefault, 600, 400, "su 900", BkMode::kOpaque},
      {"Arial", -24, 0, 400, 2700, false, false, charset::kDefault, 700, 150, "giu 2700", BkMode::kOpaque},
      {"Arial", -24, 0, 400, 450, false, true, charset::kDefault, 300, 600, "obliquo 450", BkMode::kOpaque},
      {"Arial", -24, 0, 400, 1800, false, false, charset::kDefault, 550, 650, "capovolto 1800", BkMode::kTransparent},
  };
  for (auto& r : righe) {
    LogFont lf;
    lf.face_name = r.face;
    lf.height = r.h;
    lf.width = r.w;
    lf.weight = r.weight;
    lf.escapement = lf.orientation = r.esc;
    lf.italic = r.italic;
    lf.underline = r.underline;
    lf.charset = r.cs;
    auto f = Font::Create(lf);
    ASSERT_TRUE(f);
    ASSERT_TRUE(TextOut(*f, t, r.x, r.y, r.testo, {0, 0, 0}, {200, 220, 255}, r.modo, Rendering::kGrey));
    // Mark the reference point.
    t.rgb[(static_cast<size_t>(r.y) * t.w + r.x) * 3] = 255;
    t.rgb[(static_cast<size_t>(r.y) * t.w + r.x) * 3 + 1] = 0;
    t.rgb[(static_cast<size_t>(r.y) * t.w + r.x) * 3 + 2] = 0;
  }
  EXPECT_TRUE(t.Salva("text_samples.png"));

  // The same texts in black and white, as on a 1-bit page.
  Tela m(900, 120);
  auto f = Crea("Arial", -20);
  auto g = Crea("Courier New", 16);
  ASSERT_TRUE(TextOut(*f, m, 10, 10, "Monocromatico: 0123456789 ABC abc", {0, 0, 0}, {255, 255, 255}, BkMode::kOpaque,
                      Rendering::kMono));
  ASSERT_TRUE(TextOut(*g, m, 10, 50, "Courier New 16: FATTURA N. 000123 DEL 01/02/2026", {0, 0, 0}, {255, 255, 255},
                      BkMode::kOpaque, Rendering::kMono));
  EXPECT_TRUE(m.Salva("text_mono.png"));
}
