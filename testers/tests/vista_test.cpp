// Numbers in the user's separators, the output window's zoom, file-size
// text and drag clamping.
#include <gtest/gtest.h>

#include "qod/testers/numeri.h"
#include "qod/testers/vista.h"

namespace qod::testers {
namespace {

const Separatori kIt{',', '.'};
const Separatori kEn{'.', ','};

TEST(NumeriCampo, ReadInTheLocaleSeparators) {
  struct Caso {
    const char* testo;
    Separatori s;
    std::optional<double> atteso;
  };
  const Caso casi[] = {
      {"1,000", kIt, 1.0},  {"1,000", kEn, 1000.0}, {"1.000", kIt, 1000.0}, {"1.5", kEn, 1.5},
      {" 12 ", kIt, 12.0},  {"-3,25", kIt, -3.25},  {"2E3", kEn, 2000.0},   {"&HFF", kIt, 255.0},
      {"", kIt, std::nullopt}, {"abc", kIt, std::nullopt}, {"12abc", kEn, std::nullopt},
      {",5", kEn, std::nullopt},  // a group separator that groups nothing
  };
  for (const Caso& c : casi) EXPECT_EQ(Numero_Campo(c.testo, c.s), c.atteso) << c.testo;
}

TEST(NumeriCampo, WholeNumbersRoundHalvesToEvenAndKeepTheirRange) {
  EXPECT_EQ(Intero16_Campo("2,5", kIt), int16_t{2});
  EXPECT_EQ(Intero16_Campo("3,5", kIt), int16_t{4});
  EXPECT_EQ(Intero16_Campo("32767", kIt), int16_t{32767});
  EXPECT_EQ(Intero16_Campo("32768", kIt), std::nullopt);
  EXPECT_EQ(Intero16_Campo("-32768", kIt), int16_t{-32768});
  EXPECT_EQ(Intero32_Campo("2147483647", kEn), 2147483647);
  EXPECT_EQ(Intero32_Campo("2147483648", kEn), std::nullopt);
}

TEST(NumeriCampo, WrittenInTheLocaleSeparators) {
  EXPECT_EQ(Numero_Testo(1234.5, 2, true, kIt), "1.234,50");
  EXPECT_EQ(Numero_Testo(1234.5, 2, true, kEn), "1,234.50");
  EXPECT_EQ(Numero_Testo(0.0125, 3, false, kIt), "0,013");
  EXPECT_EQ(Numero_Testo(1234567, 0, true, kIt), "1.234.567");
  EXPECT_EQ(Numero_Testo(12.3456, 3, false, kEn), "12.346");
}

TEST(ZoomFinestra, TextTable) {
  struct Caso {
    const char* testo;
    int ctl_w, ctl_h, img_w, img_h;
    bool adatta;
    int percento;
  };
  const Caso casi[] = {
      {"250%", 800, 600, 1728, 2144, false, 250},
      {"5", 800, 600, 1728, 2144, false, 10},
      {"99999", 800, 600, 1728, 2144, false, 1600},
      {"1234567", 800, 600, 1728, 2144, false, 1600},
      {"nessuno", 800, 600, 1728, 2144, false, 10},
      {"150,7", 800, 600, 1728, 2144, false, 150},
      {"100", 800, 600, 1728, 2144, false, 100},
      {"Adatta", 2000, 2000, 10, 10, false, 1600},
      {"Adatta", 800, 600, 1728, 2144, true, 100},
      {"Adatta", 2000, 100, 10, 10, true, 100},  // fits 1600% across only
      {"Altezza", 800, 616, 1728, 300, false, 200},
      {"Larghezza", 816, 600, 400, 2144, false, 200},
      {"Larghezza", 800, 600, 1728, 2144, false, 45},
      {"Altezza", 100, 20, 10, 10000, false, 10},
  };
  for (const Caso& c : casi) {
    const Zoom z = Zoom_Calcola(c.testo, c.ctl_w, c.ctl_h, c.img_w, c.img_h);
    EXPECT_EQ(z.adatta, c.adatta) << c.testo << " " << c.img_w;
    if (!c.adatta) {
      EXPECT_EQ(z.percento, c.percento) << c.testo << " " << c.img_w;
    }
  }
}

TEST(ZoomFinestra, FileSizeTable) {
  struct Caso {
    int64_t n;
    Separatori s;
    const char* atteso;
  };
  const Caso casi[] = {
      {0, kIt, ""},
      {-5, kIt, ""},
      {1, kIt, "1 byte"},
      {1023, kIt, "1.023 byte"},
      {1024, kIt, "1,00 KB"},
      {1536, kIt, "1,50 KB"},
      {1048575, kIt, "1.024,00 KB"},
      {1048576, kIt, "1,00 MB"},
      {5000000000, kIt, "4.768,37 MB"},
      {1023, kEn, "1,023 byte"},
      {1024, kEn, "1.00 KB"},
  };
  for (const Caso& c : casi) EXPECT_EQ(Dimensione_File(c.n, "", c.s), c.atteso) << c.n;
  EXPECT_EQ(Dimensione_File(2048, "Dim. ", kIt), "Dim. 2,00 KB");
}

TEST(ZoomFinestra, DragIsClampedToTheImage) {
  // Dragging left by 30 from offset 0 moves the origin right by 30.
  EXPECT_FLOAT_EQ(Trascina(100, 70, 0, 1000, 400), 30);
  // Not before 0, not past the last visible position.
  EXPECT_FLOAT_EQ(Trascina(70, 100, 10, 1000, 400), 0);
  EXPECT_FLOAT_EQ(Trascina(900, 0, 100, 1000, 400), 600);
  // An image narrower than the view stays at 0.
  EXPECT_FLOAT_EQ(Trascina(100, 0, 0, 300, 400), 0);
}

}  // namespace
}  // namespace qod::testers
