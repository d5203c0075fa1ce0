// The fixture font strips: 256 cells in one row, glyphs from an installed
// font, blank cells for the codes with no character.
#include "qod/imagegen/striscia_font.h"

#include <gtest/gtest.h>

#include "qod/imaging/file.h"
#include "supporto.h"

using namespace qod;
using namespace qod::prova;

TEST(Striscia, CellsOfTheCodesInOneRow) {
  img::Immagine s;
  std::string errore;
  ASSERT_TRUE(Striscia_Font(Opzioni_Striscia{}, s, &errore)) << errore;
  EXPECT_EQ(s.Larghezza(), 256 * 20);
  EXPECT_EQ(s.Altezza(), 32);
  EXPECT_EQ(s.Bit(), 1);
  Rendi(s, "striscia_20x32");
  for (int c : {0, 9, 13, 32, 127, 129, 141, 143, 144, 157}) EXPECT_EQ(Scuri(s, c * 20, 0, 20, 32), 0) << c;
  for (int c : {int{'!'}, int{'A'}, int{'g'}, int{'~'}, 0x80, 0xE0, 0xFF}) EXPECT_GT(Scuri(s, c * 20, 0, 20, 32), 5) << c;
  // Distinct characters have distinct cells.
  EXPECT_FALSE(Uguali(s, 'l' * 20, 0, s, 'I' * 20, 0, 20, 32));
  EXPECT_FALSE(Uguali(s, 'O' * 20, 0, s, '0' * 20, 0, 20, 32));
  // The descender of "g" is inside the cell, below the baseline of "a".
  int fondo_g = 0, fondo_a = 0;
  for (int y = 0; y < 32; ++y) {
    if (Scuri(s, 'g' * 20, y, 20, 1)) fondo_g = y;
    if (Scuri(s, 'a' * 20, y, 20, 1)) fondo_a = y;
  }
  EXPECT_GT(fondo_g, fondo_a + 3);
  EXPECT_LT(fondo_g, 32);
}

TEST(Striscia, OtherSizesDepthsAndRefusals) {
  Opzioni_Striscia o;
  o.cella_larghezza = 12;
  o.cella_altezza = 20;
  o.bit = 24;
  o.grassetto = true;
  img::Immagine s;
  ASSERT_TRUE(Striscia_Font(o, s));
  EXPECT_EQ(s.Larghezza(), 256 * 12);
  EXPECT_EQ(s.Bit(), 24);
  EXPECT_GT(Scuri(s, 'W' * 12, 0, 12, 20), 5);
  std::string errore;
  o.bit = 8;
  EXPECT_FALSE(Striscia_Font(o, s, &errore));
  EXPECT_TRUE(s.Vuota());
  EXPECT_FALSE(errore.empty());
  o.bit = 1;
  o.cella_larghezza = 0;
  EXPECT_FALSE(Striscia_Font(o, s));
}
