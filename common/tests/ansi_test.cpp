#include <gtest/gtest.h>

#include "qod/ansi.h"

using namespace qod;

TEST(Ansi, EveryCodeSurvivesTheRoundTrip) {
  std::string tutti;
  for (int c = 0; c < 256; ++c) tutti.push_back(static_cast<char>(c));
  std::string utf8 = Ansi_A_Utf8(tutti);
  EXPECT_EQ(Utf8_A_Ansi(utf8), tutti);
}

TEST(Ansi, KnownCodePoints) {
  struct Caso {
    unsigned char ansi;
    char32_t unicode;
  } casi[] = {{0x80, 0x20AC}, {0x81, 0x81}, {0x8D, 0x8D}, {0x8F, 0x8F}, {0x90, 0x90}, {0x9D, 0x9D},
              {0x9F, 0x0178}, {0xBF, 0xBF}, {0xD8, 0xD8}, {0x92, 0x2019}, {'A', 'A'}};
  for (auto c : casi) {
    EXPECT_EQ(Ansi_A_Unicode(c.ansi), c.unicode) << int(c.ansi);
    EXPECT_EQ(Unicode_A_Ansi(c.unicode), c.ansi);
  }
  EXPECT_EQ(A("¿"), "\xBF");
  EXPECT_EQ(A("Ø"), "\xD8");
  EXPECT_EQ(A("è fuori linea"), "\xE8 fuori linea");
  EXPECT_EQ(Utf8_A_Ansi("\xE4\xB8\xAD"), "?");  // CJK: outside the code page
  EXPECT_EQ(Utf8_A_Ansi("a\xFFz"), "a?z");      // broken UTF-8
}

TEST(Ansi, CaseMapsOneToOne) {
  EXPECT_EQ(Ansi_Maiuscolo(static_cast<unsigned char>('\xE8')), 0xC8);  // è -> È
  EXPECT_EQ(Ansi_Maiuscolo(static_cast<unsigned char>('\xDF')), 0xDF);  // ß stays
  EXPECT_EQ(Ansi_Maiuscolo(static_cast<unsigned char>('\xF7')), 0xF7);  // ÷ stays
  EXPECT_EQ(Ansi_Minuscolo('Q'), 'q');
}
