#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "qod/basic.h"

using namespace qod;

TEST(Basic, Val) {
  struct Caso {
    const char* testo;
    double valore;
  } casi[] = {
      {"", 0},           {"abc", 0},         {"  42", 42},        {"1 2 3", 123},    {"12.5abc", 12.5},
      {"-7", -7},        {"+7", 7},          {"123-", 123},       {"1.2.3", 1.2},    {".5", 0.5},
      {"1e3", 1000},     {"1E+2x", 100},     {"2D2", 200},        {"1e", 1},         {"&HFF", 255},
      {"&hff", 255},     {"&HFFFF", -1},     {"&H10000", 65536},  {"&O17", 15},      {"&HFFFFFFFF", -1},
      {"\t 3\n4", 34},   {"00012", 12},      {"- 5", -5},
  };
  for (auto& c : casi) EXPECT_DOUBLE_EQ(Val(c.testo), c.valore) << c.testo;
}

TEST(Basic, NumericTextAndCLng) {
  struct Caso {
    const char* testo;
    bool numerico;
    std::optional<int32_t> clng;
  } casi[] = {
      {"123", true, 123},
      {" 21 ", true, 21},
      {"123-", true, -123},
      {"-123", true, -123},
      {"12.7", true, 13},
      {"2.5", true, 2},
      {"3.5", true, 4},
      {"-2.5", true, -2},
      {"1e3", true, 1000},
      {"&H10", true, 16},
      {"", false, std::nullopt},
      {"   ", false, std::nullopt},
      {"abc", false, std::nullopt},
      {"12a", false, std::nullopt},
      {"-12-", false, std::nullopt},
      {"2147483647", true, 2147483647},
      {"2147483648", true, std::nullopt},  // overflow: reported, not a crash
      {"-2147483648", true, INT32_MIN},
      {"1e300", true, std::nullopt},
  };
  for (auto& c : casi) {
    EXPECT_EQ(IsNumeric(c.testo), c.numerico) << c.testo;
    EXPECT_EQ(CLng(std::string_view(c.testo)), c.clng) << c.testo;
  }
}

TEST(Basic, ValoreNumerico) {
  struct Caso {
    const char* testo;
    int32_t valore;
  } casi[] = {{"", 0}, {"abc", 0}, {" 10000 ", 10000}, {"0.5", 0}, {"1.5", 2}, {"12,5", 0}, {"99999999999", 0},
              {"-3", -3}};
  for (auto& c : casi) EXPECT_EQ(Valore_Numerico(c.testo), c.valore) << c.testo;
}

TEST(Basic, RoundingHalvesToEven) {
  EXPECT_EQ(Arrotonda_Pari(0.5), 0);
  EXPECT_EQ(Arrotonda_Pari(1.5), 2);
  EXPECT_EQ(Arrotonda_Pari(2.5), 2);
  EXPECT_EQ(Arrotonda_Pari(-1.5), -2);
  EXPECT_EQ(Arrotonda_Pari(2.5000001), 3);
  EXPECT_EQ(Arrotonda_Su(2.5), 3);
}

TEST(Basic, FormatPatterns) {
  struct Caso {
    double v;
    const char* modello;
    const char* atteso;
  } casi[] = {
      {0, "0", "0"},
      {42, "0", "42"},
      {2.5, "0", "3"},  // Format rounds halves away from zero
      {7, "00000", "00007"},
      {123456, "00000", "123456"},
      {0, "#0", "0"},
      {3, "#0", "3"},
      {0, "###,##0", "0"},
      {999, "###,##0", "999"},
      {1234, "###,##0", "1.234"},
      {1234567, "###,##0", "1.234.567"},
      {1234567890, "###,###,###,##0", "1.234.567.890"},
      {-1234, "###,##0", "-1.234"},
      {12.7, "00000", "00013"},
      {42, "000000", "000042"},
      {5, "\\P00000", "P00005"},
      {50, "#0\\%", "50%"},
      {1.5, "0.00", "1.50"},
      {7, "000", "007"},
  };
  for (auto& c : casi) EXPECT_EQ(Format(c.v, c.modello), c.atteso) << c.v << " " << c.modello;
  EXPECT_EQ(Format(int64_t{1234567890123}, "###,###,###,##0"), "1.234.567.890.123");
}

TEST(Basic, FormatIgnoresTheLocale) {
  const char* prima = std::setlocale(LC_ALL, nullptr);
  std::string salvata = prima ? prima : "C";
  if (!std::setlocale(LC_ALL, "it_IT.UTF-8")) GTEST_SKIP() << "it_IT.UTF-8 not generated";
  EXPECT_EQ(Format(1234.5, "###,##0.00"), "1.234.50");
  EXPECT_DOUBLE_EQ(Val("12.5"), 12.5);
  EXPECT_EQ(CLng(std::string_view("12.5")), 12);
  std::setlocale(LC_ALL, salvata.c_str());
}

TEST(Basic, MidFunctionAndStatement) {
  EXPECT_EQ(Mid("ABCDEF", 2, 3), "BCD");
  EXPECT_EQ(Mid("ABCDEF", 5), "EF");
  EXPECT_EQ(Mid("ABC", 4, 2), "");
  EXPECT_EQ(Mid("ABC", 0, 2), "AB");
  std::string s = "ABCDEF";
  Mid_Imposta(s, 2, 3, "xyzw");
  EXPECT_EQ(s, "AxyzEF");
  Mid_Imposta(s, 5, 10, "12345");
  EXPECT_EQ(s, "Axyz12");  // never changes length
  Mid_Imposta(s, 1, "Q");
  EXPECT_EQ(s, "Qxyz12");
  Mid_Imposta(s, 9, 1, "Z");
  EXPECT_EQ(s, "Qxyz12");
}

TEST(Basic, TextHelpers) {
  EXPECT_EQ(Trim("  a b \t"), "a b \t");  // blanks only
  EXPECT_EQ(LTrim("  a "), "a ");
  EXPECT_EQ(RTrim("  a "), "  a");
  EXPECT_EQ(Left("abc", 5), "abc");
  EXPECT_EQ(Right("abc", 2), "bc");
  EXPECT_EQ(Testo_Largo("abc", 5), "abc  ");
  EXPECT_EQ(Testo_Largo("abcdef", 3), "abc");
  EXPECT_EQ(UCase("utente\xE8"), "UTENTE\xC8");
  EXPECT_EQ(InStr("FAT##NABC", "##N"), 4);
  EXPECT_EQ(InStr(5, "FAT##NABC", "##N"), 0);
}

TEST(Basic, Like) {
  struct Caso {
    const char* testo;
    const char* modello;
    bool esito;
  } casi[] = {
      {"123", "###", true},      {"12a", "###", false},     {"12", "###", false},   {"abc.pdf", "*.pdf", true},
      {"abc.PDF", "*.pdf", false}, {"", "*", true},          {"a", "", false},       {"A1B", "A#*", true},
      {"AB", "A#*", false},      {"x1y2", "*#*#", true},    {"aXc", "a?c", true},   {"b", "[a-c]", true},
      {"d", "[!a-c]", true},     {"12-34", "##-##", true},  {"1234", "*34", true},  {"1243", "*34", false},
  };
  for (auto& c : casi) EXPECT_EQ(Like(c.testo, c.modello), c.esito) << c.testo << " Like " << c.modello;
}

TEST(Basic, NumeroCifre) {
  struct Caso {
    const char* testo;
    int larghezza;
    const char* atteso;
  } casi[] = {
      {"123450", 8, "00123450"},
      {"12000", 5, "12000"},
      {"20260307101500", 14, "20260307101500"},        // beyond 32 bits
      {"123456789012345678901234", 6, "901234"},        // rightmost digits kept
      {"0000000000000000000000012", 4, "0012"},
      {"-123", 8, "0000-123"},
      {"+42", 3, "042"},
      {"123-", 5, "00123"},                             // Val drops a trailing sign
      {"12.5", 4, "0012"},                              // halves to even
      {"13.5", 4, "0014"},
      {"&H1F", 3, "031"},
      {"1e3", 6, "001000"},
      {"abc", 4, "0000"},
      {"", 3, "000"},
      {"00", 2, "00"},
      {"-0", 2, "00"},
      {"5", 0, ""},
  };
  for (auto& c : casi) EXPECT_EQ(Numero_Cifre(c.testo, c.larghezza), c.atteso) << c.testo;
}
