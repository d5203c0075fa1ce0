#include <gtest/gtest.h>

#include "qod/host/trasporto.h"
#include "support/pari.h"

using namespace qod;
using namespace qod::prova;

namespace {

class Fields : public ::testing::Test {
 protected:
  void SetUp() override {
    Tabella_Scrivi(cartella_ / "Qod_TBL1.Tbl", Tabella_Prova());
    std::string d, indirizzo;
    ASSERT_TRUE(t_.Sock_Init(d, (cartella_ / "Qod_TBL1.Tbl").string()));
    ASSERT_TRUE(t_.Sock_Connect(1, "127.0.0.1", pari_.Porta(), indirizzo));
    ASSERT_TRUE(pari_.Accetta());
  }

  // Delivers the bytes as the last block read.
  void Blocco(const std::string& byte) {
    pari_.Invia(byte);
    ASSERT_TRUE(t_.Sock_Read(1, static_cast<int>(byte.size())));
  }

  Cartella_Prova dir_{"campi"};
  const std::filesystem::path cartella_ = dir_.Dir();
  Trasporto t_{Attese_Rete{2000, 100, 1000}};
  Pari pari_;
};

struct Caso {
  const char* byte;  // hex
  const char* tipo;
  int decimali;
  std::string atteso;
};

}  // namespace

TEST_F(Fields, DecodesEachKind) {
  const Caso casi[] = {
      {"C1 C2 00", "A", 0, "AB\xD8"},
      {"40 C1 40", "A", 0, " A "},  // trailing and leading blanks kept
      {"F0 F0 F1 F2 F3", "S", 0, "00123"},
      {"F0 F0 F1 F2 F3", "S", 2, "001.23"},
      {"F0 F0 F1 F2 F3", "S", 5, ".00123"},
      {"F0 F0 F1 F2 F3", "S", 6, "00123"},  // more decimals than digits: no point
      {"F1 F2 D3", "S", 0, "123-"},
      {"F1 F2 C3", "S", 0, "123-"},
      {"F1 FA FF", "S", 0, "1:?"},  // half-bytes 10..15 pass through
      {"12 34 5F", "P", 2, "123.45"},
      {"12 34 5D", "P", 2, "123.45-"},
      {"12 34 5C", "P", 2, "123.45-"},
      {"12 34 5F", "P", 0, "12345 "},
      {"12 34 5D", "P", 0, "12345 -"},
      {"12 34 5F", "P", 5, ".12345"},
      {"9F", "P", 0, "9 "},
      {"00 00 01 00", "B", 0, "256"},
      {"FF FF FF FE", "B", 0, "-2"},
      {"80", "B", 0, "-128"},
      {"7F FF FF FF", "B", 0, "2147483647"},
      {"80 00 00 00", "B", 0, "-2147483648"},
      {"00", "B", 0, "0"},
      {"FF FF", "B", 0, "-1"},
  };
  for (const auto& c : casi) {
    const std::string byte = Esa(c.byte);
    Blocco(byte);
    EXPECT_EQ(t_.Sock_Field(c.tipo, 1, static_cast<int>(byte.size()), 0, c.decimali), c.atteso)
        << c.tipo << " " << c.byte << " dec " << c.decimali;
  }
}

TEST_F(Fields, FieldInsideABlock) {
  Blocco(Esa("F0 F0F0F0F8F2 C1 4040 F0F0F7"));
  EXPECT_EQ(t_.Sock_Field("A", 1, 1), "0");
  EXPECT_EQ(t_.Sock_Field("S", 2, 5, 5, 0), "00082");
  EXPECT_EQ(t_.Sock_Field("A", 7, 3), "A  ");
  EXPECT_EQ(t_.Sock_Field("S", 10, 3, 3, 0), "007");
}

TEST_F(Fields, InvalidInputGivesEmptyText) {
  Blocco(Esa("A1 23 4F 12 34 56 78 9A"));
  struct Invalido {
    const char* tipo;
    int inizio, lunghezza, decimali;
  } casi[] = {
      {"a", 1, 1, 0},   {"X", 1, 1, 0},  {"", 1, 1, 0},     {"AB", 1, 1, 0},
      {"P", 1, 3, 0},   // high half-byte above 9
      {"P", 4, 2, 4},   // more decimals than digits
      {"B", 1, 5, 0},   // more than 4 bytes
      {"A", 0, 1, 0},   {"A", -3, 2, 0}, {"A", 1, 0, 0},    {"A", 1, -1, 0},
      {"A", kBuffer_Record, 2, 0},   {"S", kBuffer_Record + 1, 1, 0},
      {"A", 2147483647, 2147483647, 0}, {"S", 2, 2147483647, 0},
  };
  for (const auto& c : casi)
    EXPECT_EQ(t_.Sock_Field(c.tipo, c.inizio, c.lunghezza, 0, c.decimali), "")
        << c.tipo << " " << c.inizio << "," << c.lunghezza << "," << c.decimali;
  // The last position of the buffer is still a field.
  EXPECT_EQ(t_.Sock_Field("A", 1, kBuffer_Record).size(), static_cast<size_t>(kBuffer_Record));
}
