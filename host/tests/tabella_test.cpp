// The conversion table files read and written as the transport and the
// table editor use them.
#include <gtest/gtest.h>

#include <filesystem>

#include "qod/host/tabella.h"
#include "qod/prova/strumenti.h"

using namespace qod;
using namespace qod::prova;

namespace {

Tabella_Conversione Tabella(uint8_t base) {
  Tabella_Conversione t;
  for (size_t i = 0; i < t.Testata.size(); ++i) t.Testata[i] = static_cast<uint8_t>('A' + i);
  for (size_t i = 0; i < t.Voci.size(); ++i) t.Voci[i] = static_cast<uint8_t>(base + i);
  return t;
}

}  // namespace

TEST(Tabella, WrittenAndReadBackInPlace) {
  Cartella_Prova dir{"tabella"};
  const std::string file = dir / "ZuTBL1.TBL";
  // A longer file keeps what follows the table: it is not shortened.
  ASSERT_TRUE(File_Scrivi(file, std::string(300, 'x')));
  const Tabella_Conversione scritta = Tabella(7);
  ASSERT_TRUE(Tabella_Scrivi(file, scritta));
  const std::string dati = File_Leggi(file);
  ASSERT_EQ(dati.size(), 300u);
  EXPECT_EQ(dati.substr(0, 6), "ABCDEF");
  EXPECT_EQ(static_cast<uint8_t>(dati[6]), 7);
  EXPECT_EQ(dati.substr(262), std::string(38, 'x'));
  Tabella_Conversione letta;
  EXPECT_EQ(Tabella_Leggi(file, letta), 256);
  EXPECT_EQ(letta.Testata, scritta.Testata);
  EXPECT_EQ(letta.Voci, scritta.Voci);
  // A missing file is created.
  ASSERT_TRUE(Tabella_Scrivi(dir / "nuova.tbl", scritta));
  EXPECT_EQ(File_Leggi(dir / "nuova.tbl").size(), 262u);
}

TEST(Tabella, ShortOrMissingFilesLeaveTheRestZero) {
  Cartella_Prova dir{"tabella"};
  struct Caso {
    size_t byte;
    int voci;
  } casi[] = {{0, 0}, {5, 0}, {6, 0}, {106, 100}, {262, 256}};
  const std::string intera = File_Leggi([&] {
    const std::string f = dir / "intera";
    Tabella_Scrivi(f, Tabella(1));
    return f;
  }());
  for (const auto& c : casi) {
    const std::string file = dir / ("corta_" + std::to_string(c.byte));
    ASSERT_TRUE(File_Scrivi(file, intera.substr(0, c.byte)));
    Tabella_Conversione t = Tabella(50);
    EXPECT_EQ(Tabella_Leggi(file, t), c.voci) << c.byte;
    EXPECT_EQ(t.Voci[0], c.voci > 0 ? 1 : 0) << c.byte;
    if (c.voci > 0 && c.voci < 256) {
      EXPECT_EQ(t.Voci[static_cast<size_t>(c.voci) - 1], c.voci) << c.byte;  // the last entry read
      EXPECT_EQ(t.Voci[static_cast<size_t>(c.voci)], 0) << c.byte;            // the first not read
    }
  }
  Tabella_Conversione t = Tabella(50);
  EXPECT_EQ(Tabella_Leggi(dir / "nessuna", t), -1);
  EXPECT_EQ(t.Voci[3], 0);
}

TEST(Tabella, InverseTakesTheHigherOfTwoCodes) {
  std::array<uint8_t, 256> voci{};
  voci[0x4A] = '[';
  voci[0xB1] = '[';
  voci[0xC1] = 'A';
  const auto inversa = Tabella_Inversa(voci);
  EXPECT_EQ(inversa['['], 0xB1);
  EXPECT_EQ(inversa['A'], 0xC1);
  EXPECT_EQ(inversa['B'], 0);
}
