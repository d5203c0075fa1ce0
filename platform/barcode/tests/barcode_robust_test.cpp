// Bad sizes, types and data: a failure with a reason and no picture, never a
// crash or an allocation the values ask for.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "qod/barcode/barcode.h"

using namespace qod::barcode;

TEST(BarcodeRobust, BadSizesFail) {
  struct {
    int32_t w, h;
  } casi[] = {{0, 100}, {300, 0}, {-1, 100}, {300, -5}, {16385, 10}, {10, 16385}, {10000, 10000},
              {INT32_MAX, INT32_MAX}, {INT32_MIN, 1}};
  for (int32_t tipo : {1, kNessunCodice}) {
    for (auto& c : casi) {
      Barcode b;
      b.type = tipo;
      b.text = "978020137962";
      EXPECT_FALSE(b.Generate(c.w, c.h)) << c.w << " x " << c.h;
      EXPECT_FALSE(b.Error().empty());
      EXPECT_TRUE(b.Picture().data.empty());
    }
  }
  Barcode b;
  b.type = kNessunCodice;
  EXPECT_TRUE(b.Generate(1, 1));
  EXPECT_TRUE(b.Generate(16384, 2048));
}

TEST(BarcodeRobust, TypesWithoutASymbologyFail) {
  for (int32_t tipo : {26, 50, 98, 100, -1, 800, INT32_MIN, INT32_MAX}) {
    Barcode b;
    b.type = tipo;
    b.text = "12345";
    EXPECT_FALSE(b.Generate(300, 100)) << tipo;
    EXPECT_FALSE(b.Error().empty());
  }
}

TEST(BarcodeRobust, DataTheSymbologyRefusesFails) {
  struct {
    int32_t tipo;
    std::string dati;
  } casi[] = {
      {1, ""},
      {1, "97802013796X"},
      {1, "12345678901234"},     // longer than EAN 13
      {1, "4006381333932"},      // wrong check digit
      {2, "123456789"},
      {3, "123456"},
      {5, "0360002914A"},
      {6, "QOD\x01"},
      {7, "12A4"},
      {11, "qod"},               // lower case is not in code set A
      {12, "Qod\xE0"},           // nor accents in set B
      {13, "12345"},             // set C pairs digits
      {15, "0112345678901231"},  // GS1 data needs its identifiers
      {15, "(99"},
      {16, "12345678901"},
      {17, "123456789"},
      {18, "ABC"},
      {21, "qod"},
      {23, "12345678"},
      {24, "1234567890123"},
      {0, "12345"},
      {14, std::string(5000, 'A')},  // far too long for a linear code
  };
  for (auto& c : casi) {
    Barcode b;
    b.type = c.tipo;
    b.text = c.dati;
    EXPECT_FALSE(b.Generate(2000, 100)) << Nome_Tipo(c.tipo) << " " << c.dati;
    EXPECT_FALSE(b.Error().empty());
    EXPECT_TRUE(b.Picture().data.empty());
  }
}

TEST(BarcodeRobust, TooSmallForTheModulesFails) {
  // EAN 13 has 95 modules: 95 pixels between the borders is the least.
  Barcode b;
  b.type = 1;
  b.text = "978020137962";
  b.border_width = 2;
  EXPECT_TRUE(b.Generate(99, 20));
  EXPECT_FALSE(b.Generate(98, 20));
  b.border_width = 60;
  EXPECT_FALSE(b.Generate(200, 20));
  b.border_width = INT32_MAX;
  EXPECT_FALSE(b.Generate(200, 20));
  b.border_width = -40;  // counts as no border
  EXPECT_TRUE(b.Generate(95, 20));
  b.border_width = 0;
  b.border_height = 10;
  EXPECT_FALSE(b.Generate(200, 20));
  b.border_height = 0;
  // The text line takes its height from the bars.
  b.show_text = true;
  b.font_size = 30;
  EXPECT_FALSE(b.Generate(200, 30));
  EXPECT_TRUE(b.Generate(200, 60));
}

TEST(BarcodeRobust, OddFontValuesDoNotBreakTheText) {
  for (double size : {0.0, -12.0, 0.2, 16384.0, 1e9, std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity()}) {
    Barcode b;
    b.type = 6;
    b.text = "QOD";
    b.show_text = true;
    b.font_size = size;
    b.font_name = "\xE0 nessun font";
    b.font_weight = -3;
    bool ok = b.Generate(400, 200);
    if (!std::isfinite(size) || std::abs(size) > 1000) {
      EXPECT_FALSE(ok) << size;
    } else {
      EXPECT_TRUE(ok) << size << ": " << b.Error();
      EXPECT_EQ(b.Picture().width, 400);
    }
  }
}
