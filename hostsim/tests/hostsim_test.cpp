// The stand-in's own encoder and options: the product's tests trust them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "dati_xml.h"
#include "ebcdic.h"
#include "host.h"
#include "opzioni.h"
#include "qod/prova/costruzione.h"

using namespace hostsim;

TEST(HostsimEbcdic, CodePageFromIconv) {
  const Ebcdic& e = Ebcdic::Standard();
  ASSERT_TRUE(e.Valida());
  struct {
    unsigned char ansi;
    uint8_t ebcdic;
  } casi[] = {{'A', 0xC1}, {'Z', 0xE9}, {'a', 0x81}, {'0', 0xF0}, {'9', 0xF9}, {' ', 0x40},
              {'.', 0x4B}, {0xE8, 0xD0} /* è */, {0xE0, 0xC0} /* à */, {0xF9, 0x79} /* ù */};
  for (const auto& c : casi) {
    EXPECT_EQ(e.Da_Ansi(c.ansi), c.ebcdic) << int(c.ansi);
    EXPECT_EQ(e.A_Ansi(c.ebcdic), c.ansi) << int(c.ebcdic);
  }
  EXPECT_EQ(e.Da_Ansi(0x80), 0);  // "€" is not in the code page
  EXPECT_EQ(e.Decodifica(e.Codifica("Quillon Server 7")), "Quillon Server 7");
  const std::string file = e.Tabella_File();
  ASSERT_EQ(file.size(), 262u);
  EXPECT_EQ(static_cast<unsigned char>(file[6 + 0xC1]), 'A');
  EXPECT_EQ(file[6 + 0], 0);
}

TEST(HostsimEbcdic, NumberFormats) {
  EXPECT_EQ(Esadecimale(Zoned(123, 5)), "F0F0F1F2F3");
  EXPECT_EQ(Esadecimale(Zoned(-123, 3)), "F1F2D3");
  EXPECT_EQ(Esadecimale(Zoned(123456, 3)), "F4F5F6");  // the rightmost digits
  EXPECT_EQ(Esadecimale(Zoned(0, 5)), "F0F0F0F0F0");
  EXPECT_EQ(Esadecimale(Packed(12345, 3)), "12345F");
  EXPECT_EQ(Esadecimale(Packed(-12345, 3)), "12345D");
  EXPECT_EQ(Esadecimale(Packed(7, 2)), "007F");
  EXPECT_EQ(Esadecimale(Binario(256, 4)), "00000100");
  EXPECT_EQ(Esadecimale(Binario(-2, 4)), "FFFFFFFE");
  EXPECT_EQ(Esadecimale(Binario(-128, 1)), "80");
}

TEST(HostsimEbcdic, BodyFields) {
  Corpo c;
  c.Testo("AB", 3).Zoned(-7, 2).Grezzo("\x01");
  EXPECT_EQ(Esadecimale(c.Byte()), "C1C240F0D701");
}

TEST(HostsimOptions, FileThenCommandLine) {
  auto dir = qod::prova::Cartella_Temporanea() / ("hostsim_opzioni_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto ini = (dir / "hostsim.ini").string();
  std::ofstream(ini) << "[hostsim]\r\nport = 21\r\nname=\"dal file\"\r\nuser=A:1 B:2\r\nfast=1\r\n";
  Opzioni o;
  int porta = 0;
  std::string nome;
  std::vector<std::string> utenti;
  bool veloce = false;
  o.Intero("port", "N", "", porta, 0, 65535);
  o.Testo("name", "T", "", nome);
  o.Elenco("user", "U", "", utenti);
  o.Vero("fast", "", veloce);
  std::string errore;
  ASSERT_TRUE(o.Analizza({"--config", ini, "--port=2121", "--user", "C:3"}, errore)) << errore;
  EXPECT_EQ(porta, 2121);
  EXPECT_EQ(nome, "dal file");
  EXPECT_EQ(utenti, (std::vector<std::string>{"A:1", "B:2", "C:3"}));
  EXPECT_TRUE(veloce);
  EXPECT_FALSE(o.Analizza({"--port", "70000"}, errore));
  EXPECT_NE(errore.find("port"), std::string::npos);
  EXPECT_FALSE(o.Analizza({"--nothing"}, errore));
  EXPECT_FALSE(o.Analizza({"--port"}, errore));
  EXPECT_NE(o.Aiuto().find("--user U"), std::string::npos);
  std::filesystem::remove_all(dir);
}

TEST(HostsimHandlers, LongestKeyWins) {
  Gestori g;
  g.Registra("T", [](Sessione&, const Richiesta&) { return Risposta::Una('1'); });
  g.Registra("TCA", [](Sessione&, const Richiesta&) { return Risposta::Una('0'); });
  Sessione s;
  const Ebcdic& e = Ebcdic::Standard();
  const Richiesta ca = Richiesta::Di('T', e.Codifica("CA01")), cr = Richiesta::Di('T', e.Codifica("CR01")),
                  u = Richiesta::Di('U', "");
  ASSERT_NE(g.Trova(ca), nullptr);
  EXPECT_EQ((*g.Trova(ca))(s, ca).frame[0].esito, '0');
  EXPECT_EQ((*g.Trova(cr))(s, cr).frame[0].esito, '1');
  EXPECT_EQ(g.Trova(u), nullptr);
}

TEST(HostsimXmlData, RowsAndReplies) {
  std::vector<Riga_Dati_N> righe;
  std::string errore;
  ASSERT_TRUE(Dati_N_Componi("# data\r\n\nA1 | 0001 2\nA | \"  x  \"\nB |\n", righe, errore)) << errore;
  ASSERT_EQ(righe.size(), 3u);
  EXPECT_EQ(righe[1].corpo, "  x  ");
  struct Caso {
    const char* corpo;
    char esito;
    std::string dati;  // ANSI
  } casi[] = {
      {"A1   DATI", '0', "0001 2"},  // the first row that matches
      {"A2", '0', "  x  "},
      {"B", '0', ""},
      {"C", '1', ""},
      {"", '1', ""},
  };
  for (const auto& c : casi) {
    const Risposta r = Dati_N_Risposta(righe, c.corpo);
    ASSERT_EQ(r.frame.size(), 1u) << c.corpo;
    EXPECT_EQ(r.frame[0].esito, c.esito) << c.corpo;
    EXPECT_EQ(r.frame[0].corpo, Ebcdic::Standard().Codifica(c.dati)) << c.corpo;
  }
  for (const std::string& male : {std::string("A 1 2\n"), std::string(" | x\n"), "A | " + std::string(8193, 'x')}) {
    std::vector<Riga_Dati_N> r;
    EXPECT_FALSE(Dati_N_Componi(male, r, errore)) << male;
    EXPECT_EQ(errore.rfind("dati_n.txt:1: ", 0), 0u) << errore;
  }
}
