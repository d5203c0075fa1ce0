// Drawing operations: raster modes across depths, clipping, stretching,
// rotation, inversion, grey levels, conversions and the memory cap.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "qod/imaging/immagine.h"

namespace qod::img {
namespace {

bool Scuro(Colore c) { return c.Luminanza() < 128; }

// An image of `bit` whose pixel (x, y) is black where f says so, else white.
Immagine Bn(int w, int h, int bit, const std::function<bool(int, int)>& f) {
  Immagine im;
  EXPECT_TRUE(im.Crea(w, h, bit));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) im.Imposta_Pixel(x, y, f(x, y) ? Nero : Bianco);
  return im;
}

bool Inchiostro_Sorgente(int x, int y) { return (x * 7 + y * 3) % 5 < 2; }
bool Inchiostro_Pagina(int x, int y) { return (x + y) % 3 == 0; }

struct Caso_Raster {
  int bit_src, bit_dst;
  Raster modo;
};

std::string Nome_Caso(const ::testing::TestParamInfo<Caso_Raster>& info) {
  static const char* const modi[] = {"SRCCOPY", "SRCAND", "SRCPAINT"};
  return std::to_string(info.param.bit_src) + "_su_" + std::to_string(info.param.bit_dst) + "_" +
         modi[static_cast<int>(info.param.modo)];
}

class Modi_Raster : public ::testing::TestWithParam<Caso_Raster> {};

// Black ink on white: copy gives the source, AND keeps every black pixel of
// either image, OR keeps black only where both are black. The rectangle
// starts at odd bit offsets in both images so that 1-bit rows are shifted.
TEST_P(Modi_Raster, InchiostroNeroSuBianco) {
  const auto c = GetParam();
  const Immagine src = Bn(41, 9, c.bit_src, Inchiostro_Sorgente);
  Immagine dst = Bn(50, 12, c.bit_dst, Inchiostro_Pagina);
  const int dx = 3, dy = 2, sx = 5, sy = 1, w = 33, h = 7;
  Trasferisci(dst, dx, dy, w, h, src, sx, sy, c.modo);
  for (int y = 0; y < dst.Altezza(); ++y)
    for (int x = 0; x < dst.Larghezza(); ++x) {
      bool atteso = Inchiostro_Pagina(x, y);
      if (x >= dx && x < dx + w && y >= dy && y < dy + h) {
        const bool s = Inchiostro_Sorgente(x - dx + sx, y - dy + sy);
        atteso = c.modo == Raster::SRCCOPY ? s : c.modo == Raster::SRCAND ? (s || atteso) : (s && atteso);
      }
      ASSERT_EQ(Scuro(dst.Pixel(x, y)), atteso) << "x " << x << " y " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Tutti, Modi_Raster,
                         ::testing::Values(Caso_Raster{1, 1, Raster::SRCCOPY}, Caso_Raster{1, 1, Raster::SRCAND},
                                           Caso_Raster{1, 1, Raster::SRCPAINT}, Caso_Raster{24, 24, Raster::SRCCOPY},
                                           Caso_Raster{24, 24, Raster::SRCAND}, Caso_Raster{24, 24, Raster::SRCPAINT},
                                           Caso_Raster{24, 1, Raster::SRCCOPY}, Caso_Raster{24, 1, Raster::SRCAND},
                                           Caso_Raster{24, 1, Raster::SRCPAINT}, Caso_Raster{1, 24, Raster::SRCAND},
                                           Caso_Raster{1, 24, Raster::SRCPAINT}, Caso_Raster{8, 1, Raster::SRCAND},
                                           Caso_Raster{4, 24, Raster::SRCPAINT}, Caso_Raster{32, 1, Raster::SRCAND}),
                         Nome_Caso);

TEST(Trasferimento, ColoriSu24BitPerCanale) {
  Immagine src, dst;
  ASSERT_TRUE(src.Crea(1, 1, 24));
  ASSERT_TRUE(dst.Crea(1, 1, 24));
  src.Imposta_Pixel(0, 0, {0xF0, 0x0F, 0xAA});
  for (auto [modo, atteso] : {std::pair{Raster::SRCAND, Colore{0x30, 0x0F, 0x00}},
                              std::pair{Raster::SRCPAINT, Colore{0xFC, 0xFF, 0xFF}},
                              std::pair{Raster::SRCCOPY, Colore{0xF0, 0x0F, 0xAA}}}) {
    dst.Imposta_Pixel(0, 0, {0x3C, 0xFF, 0x55});
    Trasferisci(dst, 0, 0, 1, 1, src, 0, 0, modo);
    EXPECT_EQ(dst.Pixel(0, 0), atteso);
  }
  // Onto 1 bit by luminance: 127 is black, 128 white.
  Immagine bit1;
  ASSERT_TRUE(bit1.Crea(2, 1, 1));
  ASSERT_TRUE(src.Crea(2, 1, 24));
  src.Imposta_Pixel(0, 0, {127, 127, 127});
  src.Imposta_Pixel(1, 0, {128, 128, 128});
  Trasferisci(bit1, 0, 0, 2, 1, src, 0, 0);
  EXPECT_EQ(bit1.Pixel(0, 0), Nero);
  EXPECT_EQ(bit1.Pixel(1, 0), Bianco);
  EXPECT_EQ(Raster_Da_Modo(0), Raster::SRCCOPY);
  EXPECT_EQ(Raster_Da_Modo(1), Raster::SRCAND);
  EXPECT_EQ(Raster_Da_Modo(2), Raster::SRCPAINT);
  EXPECT_EQ(Raster_Da_Modo(7), Raster::SRCCOPY);
}

// Reference of a block transfer, one pixel at a time.
void Riferimento(Immagine& dst, int dx, int dy, int w, int h, const Immagine& src, int sx, int sy, Raster m) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int tx = dx + x, ty = dy + y, ux = sx + x, uy = sy + y;
      if (tx < 0 || ty < 0 || tx >= dst.Larghezza() || ty >= dst.Altezza()) continue;
      if (ux < 0 || uy < 0 || ux >= src.Larghezza() || uy >= src.Altezza()) continue;
      const uint32_t s = src.Valore(ux, uy), d = dst.Valore(tx, ty);
      const uint32_t v = m == Raster::SRCAND ? (s & d) : m == Raster::SRCPAINT ? (s | d) : s;
      dst.Imposta_Pixel(tx, ty, v ? Bianco : Nero);
    }
}

// Random 1-bit rectangles, many of them reaching past one or both images:
// only the part inside both is drawn, and every bit offset gives the same
// pixels as the one-pixel-at-a-time reference.
TEST(Trasferimento, UnBitRitagliatoComeRiferimento) {
  std::mt19937 caso(7);
  auto bn = [&](int w, int h) {
    Immagine im;
    EXPECT_TRUE(im.Crea(w, h, 1));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) im.Imposta_Pixel(x, y, caso() % 2 ? Nero : Bianco);
    return im;
  };
  for (int prova = 0; prova < 400; ++prova) {
    const Immagine src = bn(1 + caso() % 90, 1 + caso() % 12);
    Immagine dst = bn(1 + caso() % 90, 1 + caso() % 12);
    Immagine rif = dst;
    const int dx = static_cast<int>(caso() % 120) - 20, dy = static_cast<int>(caso() % 16) - 3;
    const int sx = static_cast<int>(caso() % 120) - 20, sy = static_cast<int>(caso() % 16) - 3;
    const int w = static_cast<int>(caso() % 110), h = static_cast<int>(caso() % 14);
    const Raster m = static_cast<Raster>(caso() % 3);
    Trasferisci(dst, dx, dy, w, h, src, sx, sy, m);
    Riferimento(rif, dx, dy, w, h, src, sx, sy, m);
    for (int y = 0; y < dst.Altezza(); ++y)
      for (int x = 0; x < dst.Larghezza(); ++x)
        ASSERT_EQ(dst.Valore(x, y), rif.Valore(x, y)) << "prova " << prova << " x " << x << " y " << y;
  }
}

TEST(Trasferimento, FuoriDaiBordiDisegnaSoloDentro) {
  // A glyph cell past the right end of a strip and a logo at negative
  // coordinates: only the overlapping part is drawn, nothing else changes.
  const Immagine striscia = Bn(20, 4, 1, [](int, int) { return true; });
  Immagine pagina = Bn(10, 10, 1, [](int, int) { return false; });
  Trasferisci(pagina, 2, 2, 8, 4, striscia, 16, 0);  // only 4 source columns exist
  Trasferisci(pagina, -3, -2, 5, 5, striscia, 0, 0);  // target from (0, 0), 2 x 2 (the strip has 4 rows)
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool atteso = (x >= 2 && x < 6 && y >= 2 && y < 6) || (x < 2 && y < 2);
      EXPECT_EQ(Scuro(pagina.Pixel(x, y)), atteso) << x << "," << y;
    }
  // Huge and negative sizes draw nothing and do not fail.
  Trasferisci(pagina, 0, 0, -5, 3, striscia, 0, 0);
  Trasferisci(pagina, 2000000000, 0, 2000000000, 3, striscia, 0, 0);
  Trasferisci_Adattato(pagina, 0, 0, 2000000000, 2000000000, striscia, 0, 0, 20, 4);
  Trasferisci_Adattato(pagina, 0, 0, -10, 10, striscia, 0, 0, 20, 4);
  // The same image as source and target.
  Immagine a = Bn(8, 1, 1, [](int x, int) { return x < 4; });
  Trasferisci(a, 2, 0, 6, 1, a, 0, 0);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(Scuro(a.Pixel(x, 0)), x < 6) << x;
}

TEST(Trasferimento, AdattatoRipeteERestringeTenendoIlNero) {
  // A 4 x 4 1-bit image with one black pixel shrunk to 2 x 2 keeps it.
  const Immagine punto = Bn(4, 4, 1, [](int x, int y) { return x == 1 && y == 2; });
  Immagine piccola = Bn(2, 2, 1, [](int, int) { return false; });
  Trasferisci_Adattato(piccola, 0, 0, 2, 2, punto, 0, 0, 4, 4);
  EXPECT_FALSE(Scuro(piccola.Pixel(0, 0)));
  EXPECT_TRUE(Scuro(piccola.Pixel(0, 1)));
  EXPECT_FALSE(Scuro(piccola.Pixel(1, 0)));
  EXPECT_FALSE(Scuro(piccola.Pixel(1, 1)));
  // Enlarging 3 x 1 to 6 x 2 repeats each pixel; onto 24 bits.
  Immagine tre;
  ASSERT_TRUE(tre.Crea(3, 1, 24));
  const Colore a{10, 20, 30}, b{40, 50, 60}, c{70, 80, 90};
  tre.Imposta_Pixel(0, 0, a);
  tre.Imposta_Pixel(1, 0, b);
  tre.Imposta_Pixel(2, 0, c);
  Immagine grande;
  ASSERT_TRUE(grande.Crea(8, 2, 24));
  Trasferisci_Adattato(grande, 1, 0, 6, 2, tre, 0, 0, 3, 1);
  const Colore attesi[] = {Bianco, a, a, b, b, c, c, Bianco};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(grande.Pixel(x, y), attesi[x]) << x << "," << y;
  // A source rectangle reaching past the source draws only the target
  // pixels whose source lies inside: 3 source columns of which 1 exists.
  Immagine parziale;
  ASSERT_TRUE(parziale.Crea(6, 1, 24));
  Trasferisci_Adattato(parziale, 0, 0, 6, 1, tre, 2, 0, 3, 1);
  const Colore attesi2[] = {c, c, Bianco, Bianco, Bianco, Bianco};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(parziale.Pixel(x, 0), attesi2[x]) << x;
  // Shrinking colour takes the first pixel under each target pixel.
  Immagine due;
  ASSERT_TRUE(due.Crea(1, 1, 24));
  Trasferisci_Adattato(due, 0, 0, 1, 1, tre, 0, 0, 3, 1);
  EXPECT_EQ(due.Pixel(0, 0), a);
}

TEST(Trasferimento, RidimensionaEAdatta) {
  Immagine im = Bn(300, 200, 1, [](int x, int y) { return x == 150 && y == 100; });
  im.Imposta_Dpi(200, 100);
  ASSERT_TRUE(im.Ridimensiona(100, 50));
  EXPECT_EQ(im.Larghezza(), 100);
  EXPECT_EQ(im.Altezza(), 50);
  EXPECT_EQ(im.Dpi_X(), 200);
  int neri = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 100; ++x) neri += Scuro(im.Pixel(x, y));
  EXPECT_EQ(neri, 1);
  EXPECT_TRUE(Scuro(im.Pixel(50, 25)));
  // Source rectangle with inclusive edges, destination with exclusive ones.
  Immagine q = Bn(4, 4, 24, [](int x, int y) { return x >= 2 && y >= 2; });
  ASSERT_TRUE(q.Adatta(2, 2, 3, 3, 0, 0, 4, 4));
  EXPECT_EQ(q.Larghezza(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_TRUE(Scuro(q.Pixel(x, y)));
  EXPECT_FALSE(q.Ridimensiona(0, 5));
}

// ---- Rotation ---------------------------------------------------------------

const Colore A{1, 0, 0}, B{2, 0, 0}, C{3, 0, 0}, D{4, 0, 0}, E{5, 0, 0}, F{6, 0, 0}, X{9, 9, 9};

Immagine Tre_Per_Due() {
  Immagine im;
  EXPECT_TRUE(im.Crea(3, 2, 24));
  const Colore p[2][3] = {{A, B, C}, {D, E, F}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) im.Imposta_Pixel(x, y, p[y][x]);
  return im;
}

std::vector<std::vector<Colore>> Righe(const Immagine& im) {
  std::vector<std::vector<Colore>> r(im.Altezza());
  for (int y = 0; y < im.Altezza(); ++y)
    for (int x = 0; x < im.Larghezza(); ++x) r[y].push_back(im.Pixel(x, y));
  return r;
}

TEST(Rotazione, TrePerDueInSensoOrario) {
  using R = std::vector<std::vector<Colore>>;
  struct Caso {
    long angolo;
    R atteso;
  };
  const Caso casi[] = {
      {9000, R{{D, A}, {E, B}, {F, C}}},
      {18000, R{{F, E, D}, {C, B, A}}},
      // 27000: the top row ends on the left edge, reading bottom to top.
      {27000, R{{C, F}, {B, E}, {A, D}}},
      {-9000, R{{C, F}, {B, E}, {A, D}}},
      {45000, R{{D, A}, {E, B}, {F, C}}},
      {36000, R{{A, B, C}, {D, E, F}}},
      // 45 degrees: the 4 x 4 bounding box, corners filled.
      {4500, R{{X, A, X, X}, {D, D, B, X}, {X, E, F, C}, {X, X, F, X}}},
  };
  for (const auto& c : casi) {
    Immagine im = Tre_Per_Due();
    ASSERT_TRUE(im.Ruota(c.angolo, X));
    EXPECT_EQ(Righe(im), c.atteso) << "angolo " << c.angolo;
  }
}

TEST(Rotazione, QuartiDiGiroEsattiATutteLeProfondita) {
  // The fast quarter turns against one pixel at a time, on sizes that are not
  // multiples of 8.
  std::mt19937 caso(3);
  for (int bit : {1, 4, 8, 24, 32}) {
    for (auto [w, h] : {std::pair{13, 29}, std::pair{64, 8}, std::pair{1, 1}, std::pair{9, 1}, std::pair{17, 70}}) {
      Immagine im;
      ASSERT_TRUE(im.Crea(w, h, bit));
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          im.Imposta_Pixel(x, y, Colore{uint8_t(caso()), uint8_t(caso()), uint8_t(caso())});
      for (long angolo : {9000L, 18000L, 27000L}) {
        Immagine r = im;
        ASSERT_TRUE(r.Ruota(angolo, Nero));
        const bool scambia = angolo != 18000;
        ASSERT_EQ(r.Larghezza(), scambia ? h : w);
        ASSERT_EQ(r.Altezza(), scambia ? w : h);
        for (int y = 0; y < r.Altezza(); ++y)
          for (int x = 0; x < r.Larghezza(); ++x) {
            int sx, sy;
            if (angolo == 9000) { sx = y; sy = h - 1 - x; }
            else if (angolo == 18000) { sx = w - 1 - x; sy = h - 1 - y; }
            else { sx = w - 1 - y; sy = x; }
            ASSERT_EQ(r.Valore(x, y), im.Valore(sx, sy))
                << "bit " << bit << " " << w << "x" << h << " angolo " << angolo << " at " << x << "," << y;
          }
      }
    }
  }
}

TEST(Rotazione, PaginaOrizzontaleDiventaVerticale) {
  Immagine tela;
  ASSERT_TRUE(tela.Crea(2292, 1728, 1));
  tela.Imposta_Dpi(204, 196);
  tela.Riempi(0, 0, 10, 1, Nero);  // start of the first text row
  ASSERT_TRUE(tela.Ruota(27000, Bianco));
  EXPECT_EQ(tela.Larghezza(), 1728);
  EXPECT_EQ(tela.Altezza(), 2292);
  EXPECT_EQ(tela.Dpi_X(), 196);
  EXPECT_EQ(tela.Dpi_Y(), 204);
  // The top-left of the landscape page is now the bottom-left corner.
  for (int k = 0; k < 10; ++k) EXPECT_EQ(tela.Pixel(0, 2291 - k), Nero);
  EXPECT_EQ(tela.Pixel(0, 2281), Bianco);
  EXPECT_EQ(tela.Pixel(1, 2291), Bianco);
}

TEST(Rotazione, AngoloQualsiasiRiquadroERiempimento) {
  Immagine im;
  ASSERT_TRUE(im.Crea(100, 50, 24));
  im.Riempi(Nero);
  ASSERT_TRUE(im.Ruota(3000, Colore{255, 0, 0}));
  EXPECT_EQ(im.Larghezza(), 112);  // 100 cos 30 + 50 sin 30 = 111.6
  EXPECT_EQ(im.Altezza(), 93);     // 100 sin 30 + 50 cos 30 = 93.3
  EXPECT_EQ(im.Pixel(0, 0), (Colore{255, 0, 0}));
  EXPECT_EQ(im.Pixel(56, 46), Nero);
  // On 1 bit the fill goes by luminance.
  Immagine b;
  ASSERT_TRUE(b.Crea(10, 10, 1));
  b.Riempi(Bianco);
  ASSERT_TRUE(b.Ruota(4500, Nero));
  EXPECT_EQ(b.Pixel(0, 0), Nero);
  EXPECT_EQ(b.Pixel(b.Larghezza() / 2, b.Altezza() / 2), Bianco);
}

// ---- Colours and depths -------------------------------------------------------

TEST(Colori, InvertiGrigioEConversioni) {
  Immagine c;
  ASSERT_TRUE(c.Crea(3, 1, 24));
  c.Imposta_Pixel(0, 0, {255, 0, 0});
  c.Imposta_Pixel(1, 0, {0, 255, 0});
  c.Imposta_Pixel(2, 0, {0, 0, 255});
  EXPECT_EQ(c.Numero_Colori(), 16777216);
  Immagine inv = c;
  inv.Inverti();
  EXPECT_EQ(inv.Pixel(0, 0), (Colore{0, 255, 255}));
  Immagine g = c;
  g.Converti_Grigio();
  EXPECT_EQ(g.Bit(), 8);
  EXPECT_TRUE(g.Tavolozza_Grigia());
  EXPECT_EQ(g.Valore(0, 0), 76u);
  EXPECT_EQ(g.Valore(1, 0), 150u);
  EXPECT_EQ(g.Valore(2, 0), 29u);
  EXPECT_EQ(g.Numero_Colori(), 256);
  g.Inverti();
  EXPECT_TRUE(g.Tavolozza_Grigia());
  EXPECT_EQ(g.Valore(0, 0), 179u);

  Immagine r = c;
  ASSERT_TRUE(r.Riduci_Colori(16, true));
  EXPECT_EQ(r.Bit(), 4);
  EXPECT_EQ(r.Numero_Colori(), 16);
  EXPECT_EQ(r.Pixel(0, 0), (Colore{68, 68, 68}));  // 76 / 17 rounds to level 4
  ASSERT_TRUE(r.Riduci_Colori(16777216, false));
  EXPECT_EQ(r.Bit(), 24);
  ASSERT_TRUE(r.Riduci_Colori(2, true));
  EXPECT_EQ(r.Numero_Colori(), 2);
  EXPECT_FALSE(r.Riduci_Colori(16, false));

  Immagine q;
  ASSERT_TRUE(q.Crea(2, 1, 32));
  EXPECT_EQ(q.Numero_Colori(), 4294967296LL);
  EXPECT_EQ(Immagine().Numero_Colori(), 0);

  // A 1-bit image: inversion swaps black and white; to 24 bits and back.
  Immagine b = Bn(9, 1, 1, [](int x, int) { return x % 3 == 0; });
  b.Inverti();
  for (int x = 0; x < 9; ++x) EXPECT_EQ(Scuro(b.Pixel(x, 0)), x % 3 != 0);
  EXPECT_EQ(b.Tavolozza()[0], Nero);
  ASSERT_TRUE(b.Converti_Bit(24));
  EXPECT_EQ(b.Pixel(1, 0), Nero);
  ASSERT_TRUE(b.Converti_Bit(1));
  EXPECT_EQ(b.Pixel(1, 0), Nero);
  EXPECT_EQ(b.Pixel(0, 0), Bianco);
  EXPECT_FALSE(b.Converti_Bit(16));
}

TEST(Colori, TavolozzaDiUnBitTieneIlColoreScuroAZero) {
  Immagine im;
  ASSERT_TRUE(im.Crea(4, 1, 1));
  im.Imposta_Pixel(1, 0, Nero);
  // Pixel 1 holds entry 0, the others entry 1.
  im.Imposta_Tavolozza({Bianco, Colore{200, 0, 0}});
  // Entry 0 is now the darker red, and every pixel keeps the colour asked for.
  EXPECT_EQ(im.Tavolozza()[0], (Colore{200, 0, 0}));
  EXPECT_EQ(im.Pixel(1, 0), Bianco);
  EXPECT_EQ(im.Pixel(0, 0), (Colore{200, 0, 0}));
  EXPECT_EQ(im.Valore(0, 0), 0u);
  EXPECT_EQ(im.Valore(1, 0), 1u);
}

TEST(Memoria, OgniAllocazioneHaUnLimite) {
  const size_t prima = Limite_Memoria();
  Imposta_Limite_Memoria(size_t{1} << 20);
  Immagine im;
  EXPECT_FALSE(im.Crea(2000, 2000, 24));
  EXPECT_TRUE(im.Vuota());
  ASSERT_TRUE(im.Crea(2000, 2000, 1));  // 500 KB
  EXPECT_FALSE(im.Ridimensiona(20000, 20000));
  EXPECT_EQ(im.Larghezza(), 2000);
  EXPECT_FALSE(im.Converti_Bit(24));
  EXPECT_EQ(im.Bit(), 1);
  EXPECT_TRUE(im.Ruota(9000, Bianco));
  EXPECT_FALSE(im.Crea(Lato_Massimo + 1, 1, 1));
  EXPECT_FALSE(im.Crea(0, 5, 1));
  EXPECT_FALSE(im.Crea(5, 5, 16));
  Imposta_Limite_Memoria(prima);
}

TEST(Disegno, RiempiRitagliato) {
  Immagine im;
  ASSERT_TRUE(im.Crea(20, 3, 1));
  im.Riempi(-5, 1, 15, 100, Nero);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 20; ++x) EXPECT_EQ(Scuro(im.Pixel(x, y)), y >= 1 && x < 10) << x << "," << y;
  im.Riempi(0, 0, -1, -1, Nero);
  EXPECT_EQ(im.Pixel(0, 0), Bianco);
  EXPECT_EQ(im.Pixel(-1, 0), Nero);  // outside reads black and changes nothing
  im.Imposta_Pixel(25, 0, Nero);
}

// ---- Memory used again ------------------------------------------------------

// Every byte of every row (pixels and padding), for images made in memory
// used again against new ones.
std::vector<std::vector<uint8_t>> Byte_Righe(const Immagine& im) {
  std::vector<std::vector<uint8_t>> r;
  for (int y = 0; y < im.Altezza(); ++y) r.emplace_back(im.Riga(y), im.Riga(y) + im.Passo());
  return r;
}

// An image whose every byte is set, padding included.
Immagine Piena(int w, int h, int bit) {
  Immagine im;
  EXPECT_TRUE(im.Crea(w, h, bit));
  for (int y = 0; y < h; ++y) std::fill(im.Riga(y), im.Riga(y) + im.Passo(), uint8_t{0xA5});
  return im;
}

TEST(Memoria_Riusata, CreaInUnaMemoriaUsataEComeNuova) {
  struct Caso {
    int bit, w1, h1, w2, h2;
  };
  // The same size, a narrower width with bits after the last pixel, fewer
  // rows, a quarter-turned shape, and a size past the memory held.
  const Caso casi[] = {{1, 1701, 97, 1701, 97}, {1, 1701, 97, 1699, 97}, {1, 64, 100, 13, 80}, {4, 31, 40, 29, 41},
                       {8, 100, 50, 50, 99},    {24, 77, 33, 33, 77},    {32, 10, 10, 9, 11},   {1, 16, 16, 200, 200}};
  for (const auto& c : casi)
    for (Colore fondo : {Bianco, Nero, Colore{200, 30, 90}}) {
      Immagine usata = Piena(c.w1, c.h1, c.bit);
      ASSERT_TRUE(usata.Crea(c.w2, c.h2, c.bit, fondo));
      Immagine nuova;
      ASSERT_TRUE(nuova.Crea(c.w2, c.h2, c.bit, fondo));
      EXPECT_EQ(usata.Larghezza(), c.w2);
      EXPECT_EQ(usata.Tavolozza(), nuova.Tavolozza());
      EXPECT_EQ(usata.Dpi_X(), 0);
      EXPECT_EQ(Byte_Righe(usata), Byte_Righe(nuova))
          << "bit " << c.bit << " " << c.w1 << "x" << c.h1 << " -> " << c.w2 << "x" << c.h2 << " fondo " << fondo.RGB();
    }
}

TEST(Memoria_Riusata, RuotaERidimensionaConUnaRiserva) {
  // Page after page into the same spare image: each result as without one,
  // and the spare takes the image as it was.
  std::mt19937 caso(5);
  Immagine riserva = Piena(40, 40, 24);
  for (int bit : {1, 8, 24}) {
    for (int pagina = 0; pagina < 3; ++pagina) {
      Immagine im;
      ASSERT_TRUE(im.Crea(37 + pagina, 21, bit));
      for (int k = 0; k < 60; ++k)
        im.Imposta_Pixel(int(caso() % 37), int(caso() % 21), Colore{uint8_t(caso()), uint8_t(caso()), uint8_t(caso())});
      im.Imposta_Dpi(204, 196);
      for (long angolo : {9000L, 18000L, 27000L, 3000L}) {
        Immagine con = im, senza = im;
        ASSERT_TRUE(con.Ruota(angolo, Bianco, &riserva));
        ASSERT_TRUE(senza.Ruota(angolo, Bianco));
        EXPECT_EQ(con.Larghezza(), senza.Larghezza());
        EXPECT_EQ(con.Dpi_X(), senza.Dpi_X());
        EXPECT_EQ(Byte_Righe(con), Byte_Righe(senza)) << "bit " << bit << " angolo " << angolo;
        EXPECT_EQ(Byte_Righe(riserva), Byte_Righe(im)) << "bit " << bit << " angolo " << angolo;
      }
      Immagine con = im, senza = im;
      ASSERT_TRUE(con.Ridimensiona(50, 17, &riserva));
      ASSERT_TRUE(senza.Ridimensiona(50, 17));
      EXPECT_EQ(Byte_Righe(con), Byte_Righe(senza)) << "bit " << bit;
      EXPECT_EQ(Byte_Righe(riserva), Byte_Righe(im));
    }
  }
  // The image itself cannot be its own spare.
  Immagine im;
  ASSERT_TRUE(im.Crea(5, 3, 1));
  EXPECT_FALSE(im.Ruota(9000, Bianco, &im));
  EXPECT_FALSE(im.Ridimensiona(2, 2, &im));
  EXPECT_EQ(im.Larghezza(), 5);
}

}  // namespace
}  // namespace qod::img
