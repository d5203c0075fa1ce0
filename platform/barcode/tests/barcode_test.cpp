#include "qod/prova/strumenti.h"
#include "qod/barcode/barcode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>

#include "png_out.h"

using namespace qod::barcode;

namespace {

// The picture with a white quiet zone around it, as a PNG for the reader
// (and for a person to look at).
std::string Salva(const Bitmap& b, const std::string& nome, int margine = 30) {
  int w = b.width + 2 * margine, h = b.height + 2 * margine;
  std::vector<uint8_t> px(static_cast<size_t>(w) * h, 255);
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) px[static_cast<size_t>(y + margine) * w + x + margine] = b.at(x, y);
  EXPECT_TRUE(qod::testing::Png_Grigio(nome, w, h, w, px));
  return nome;
}

// What zbarimg reads in a file: "TYPE:data" lines.
std::string Leggi(const std::string& file) {
  std::string cmd = "zbarimg -q -Sean2.enable -Sean5.enable -Supca.enable -Supce.enable '" + file + "' 2>/dev/null";
  return qod::prova::Comando(cmd);
}

Barcode Codice(int32_t tipo, std::string dati, bool testo = false) {
  Barcode b;
  b.type = tipo;
  b.text = std::move(dati);
  b.border_width = 2;
  b.border_height = 2;
  b.show_text = testo;
  b.font_size = 20 * 0.66666;
  return b;
}

// The ink runs along one row.
std::vector<std::pair<bool, int>> Corse(const Bitmap& b, int y) {
  std::vector<std::pair<bool, int>> c;
  for (int x = 0; x < b.width; ++x) {
    bool ink = b.at(x, y) == kInk;
    if (c.empty() || c.back().first != ink) {
      c.push_back({ink, 1});
    } else {
      ++c.back().second;
    }
  }
  return c;
}

// Valid data for each type 0..25.
const char* const kCampioni[] = {
    "9780201379624", "978020137962", "9638507",  "12345",       "42",      "03600029145", "QOD-39",
    "1234567890",    "A40156B",      "12345",    "Qod 39",      "QOD-128", "Quillon b",   "20260210",
    "Spool 000123",  "(01)12345678901231", "1234567890", "0123456", "12345", "SN34RD1A", "123456",
    "QOD-93",        "Qod 93",       "123456",   "12345678901", "1234567890123"};

}  // namespace

TEST(Barcode, EveryReadableTypeDecodesToItsData) {
  struct {
    int32_t tipo;
    const char* dati;
    const char* letto;
  } casi[] = {
      {0, "9780201379624", "EAN-13:9780201379624"},
      {1, "978020137962", "EAN-13:9780201379624"},
      {1, "4006381333931", "EAN-13:4006381333931"},
      {2, "9638507", "EAN-8:96385074"},
      {3, "12345", "EAN-5:12345"},
      {4, "42", "EAN-2:42"},
      {5, "03600029145", "UPC-A:036000291452"},
      {6, "QUILLON-42", "CODE-39:QUILLON-42"},
      {7, "1234567890", "I2/5:1234567890"},
      {8, "A40156B", "Codabar:A40156B"},
      {8, "40156", "Codabar:A40156A"},
      {10, "Qod 1", "CODE-39:Q+O+D 1"},
      {11, "QOD-128\t", "CODE-128:QOD-128\t"},
      {12, "Quillon b", "CODE-128:Quillon b"},
      {13, "20260210", "CODE-128:20260210"},
      {14, "Spool 000123", "CODE-128:Spool 000123"},
      {15, "(01)12345678901231(10)ABC", "CODE-128:0112345678901231" "10ABC"},
      {16, "1234567890", "EAN-13:9912345678909"},
      {17, "0123456", "UPC-E:01234565"},
      {21, "QOD-93", "CODE-93:QOD-93"},
      {22, "Qod 93", "CODE-93:Qod 93"},
      {23, "123456", "CODE-39:-01234562"},
      {24, "12345678901", "I2/5:123456789016"},
      {25, "1234567890123", "I2/5:12345678901236"},
  };
  for (auto& c : casi) {
    for (bool testo : {false, true}) {
      Barcode b = Codice(c.tipo, c.dati, testo);
      ASSERT_TRUE(b.Generate(400, 120)) << c.tipo << " " << c.dati << ": " << b.Error();
      EXPECT_EQ(b.Picture().width, 400);
      EXPECT_EQ(b.Picture().height, 120);
      EXPECT_EQ(b.Picture().data.size(), 400u * 120u);
      std::string file = "barcode_" + std::to_string(c.tipo) + (testo ? "_testo" : "") + ".png";
      EXPECT_EQ(Leggi(Salva(b.Picture(), file)), c.letto) << Nome_Tipo(c.tipo) << " " << c.dati << (testo ? " testo" : "");
    }
  }
}

TEST(Barcode, BarsAreWholeModulesCentred) {
  // EAN 13 is 95 modules: in 396 free pixels each module is 4 pixels, and
  // the 380-pixel symbol leaves 8 pixels each side within the borders.
  Barcode b = Codice(1, "978020137962");
  ASSERT_TRUE(b.Generate(400, 100));
  const Bitmap& p = b.Picture();
  auto corse = Corse(p, 50);
  ASSERT_GE(corse.size(), 3u);
  EXPECT_EQ(corse.front(), std::make_pair(false, 10));
  EXPECT_EQ(corse.back(), std::make_pair(false, 10));
  int g = 0;
  for (size_t i = 1; i + 1 < corse.size(); ++i) g = std::gcd(g, corse[i].second);
  EXPECT_EQ(g, 4);
  // Bars run from the top border to the bottom border.
  for (int y = 0; y < 100; ++y) EXPECT_EQ(p.at(10, y) == kInk, y >= 2 && y < 98) << y;

  // Every value is ink or paper; every type is centred within one pixel.
  for (int32_t tipo = 0; tipo <= 25; ++tipo) {
    Barcode c = Codice(tipo, kCampioni[tipo]);
    ASSERT_TRUE(c.Generate(333, 77)) << tipo << ": " << c.Error();
    const Bitmap& q = c.Picture();
    EXPECT_TRUE(std::all_of(q.data.begin(), q.data.end(), [](uint8_t v) { return v == kInk || v == kPaper; }));
    int sinistra = q.width, destra = q.width;
    for (int y = 0; y < q.height; ++y) {
      for (int x = 0; x < q.width; ++x)
        if (q.at(x, y) == kInk) sinistra = std::min(sinistra, x), destra = std::min(destra, q.width - 1 - x);
    }
    EXPECT_LE(std::abs(sinistra - destra), 1) << Nome_Tipo(tipo);
    EXPECT_GE(sinistra, 2) << Nome_Tipo(tipo);
  }
}

TEST(Barcode, FourStateAndTwoHeightCodesKeepTheirRows) {
  // POST NET: tall and short bars; the short ones end at the bottom.
  Barcode b = Codice(18, "12345");
  ASSERT_TRUE(b.Generate(300, 60));
  const Bitmap& p = b.Picture();
  int alte = 0, basse = 0;
  for (int x = 0; x < p.width; ++x) {
    if (p.at(x, p.height - 3) != kInk) continue;
    if (p.at(x, 2) == kInk) {
      ++alte;
    } else {
      ++basse;
      EXPECT_EQ(p.at(x, p.height / 2 + 1), kInk);
    }
  }
  EXPECT_GT(alte, 0);
  EXPECT_GT(basse, alte);
  // Royal Mail: ascenders and descenders around a tracker.
  Barcode r = Codice(19, "SN34RD1A");
  ASSERT_TRUE(r.Generate(300, 80));
  const Bitmap& q = r.Picture();
  int su = 0, giu = 0;
  for (int x = 0; x < q.width; ++x) {
    su += q.at(x, 2) == kInk && q.at(x, 77) != kInk;
    giu += q.at(x, 77) == kInk && q.at(x, 2) != kInk;
  }
  EXPECT_GT(su, 0);
  EXPECT_GT(giu, 0);
}

TEST(Barcode, TextIsDrawnUnderTheBars) {
  Barcode b = Codice(6, "QOD42", true);
  b.font_size = 30 * 0.66666;
  ASSERT_TRUE(b.Generate(300, 100));
  const Bitmap& p = b.Picture();
  // The bars stop above the text line, and the text is centred.
  int fondo_barre = -1;
  for (int y = 0; y < p.height; ++y)
    if (Corse(p, y) == Corse(p, 10)) fondo_barre = y;
  EXPECT_GT(fondo_barre, 40);
  EXPECT_LT(fondo_barre, 80);
  int l = p.width, r = -1, conta = 0;
  for (int y = fondo_barre + 1; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (p.at(x, y) == kInk) l = std::min(l, x), r = std::max(r, x), ++conta;
  EXPECT_GT(conta, 50);
  EXPECT_LE(std::abs(l - (p.width - 1 - r)), 4);
  Salva(p, "barcode_code39_testo_grande.png");
  // No text: the bars reach the bottom border.
  Barcode n = Codice(6, "QOD42");
  ASSERT_TRUE(n.Generate(300, 100));
  EXPECT_GT(Corse(n.Picture(), 97).size(), 20u);
}

TEST(Barcode, NoCodeIsABlankPicture) {
  for (const char* dati : {"", "1234", "qualsiasi"}) {
    Barcode b = Codice(kNessunCodice, dati, true);
    ASSERT_TRUE(b.Generate(123, 45));
    EXPECT_EQ(b.Picture().width, 123);
    EXPECT_EQ(b.Picture().height, 45);
    EXPECT_TRUE(std::all_of(b.Picture().data.begin(), b.Picture().data.end(), [](uint8_t v) { return v == kPaper; }));
  }
  EXPECT_EQ(Nome_Tipo(99), "NESSUN CODICE");
  EXPECT_EQ(Nome_Tipo(7), "CODE 25 INTER.");
  EXPECT_EQ(Nome_Tipo(26), "");
}

TEST(Barcode, SampleSheetForALook) {
  const int32_t tipi[] = {1, 2, 5, 6, 7, 9, 14, 15, 17, 18, 19, 20};
  std::vector<uint8_t> foglio(static_cast<size_t>(640) * 6 * 130, 255);
  for (int i = 0; i < 12; ++i) {
    Barcode b = Codice(tipi[i], kCampioni[tipi[i]], true);
    ASSERT_TRUE(b.Generate(300, 110)) << tipi[i] << ": " << b.Error();
    int ox = (i % 2) * 320 + 10, oy = (i / 2) * 130 + 10;
    for (int y = 0; y < 110; ++y)
      for (int x = 0; x < 300; ++x) foglio[static_cast<size_t>(oy + y) * 640 + ox + x] = b.Picture().at(x, y);
  }
  EXPECT_TRUE(qod::testing::Png_Grigio("barcode_samples.png", 640, 6 * 130, 640, foglio));
}
