#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "qod/cripto.h"
#include "qod/profile.h"
#include "qod/prova/costruzione.h"
#include "qod/prova/strumenti.h"

using namespace qod;

TEST(Cripto, WorkedExamples) {
  std::string s, c, p;
  cripto_in("abc", s, c);
  EXPECT_EQ(s, "RPT");
  EXPECT_EQ(c, "7560");
  cripto_out(p, "RPT", c);
  EXPECT_EQ(p, "abc");
  EXPECT_EQ(c, "7560");
  cripto_in("", s, c);
  EXPECT_EQ(s, "");
  EXPECT_EQ(c, "0");
  // The substitution: blank -> "!", "M" -> "{", "N" -> "z", "z" -> '"', "{" -> blank.
  cripto_in(" ", s, c);
  EXPECT_EQ(s, "!");
  cripto_in("M", s, c);
  EXPECT_EQ(s, "{");
  cripto_in("N", s, c);
  EXPECT_EQ(s, "z");
  cripto_in("z", s, c);
  EXPECT_EQ(s, "\"");
  cripto_in("{", s, c);
  EXPECT_EQ(s, " ");
}

TEST(Cripto, RecordsOfEveryLengthRoundTrip) {
  std::mt19937 rnd(7);
  for (int n : {1, 2, 3, 90, 95}) {
    for (int volta = 0; volta < 50; ++volta) {
      std::string chiaro;
      for (int i = 0; i < n; ++i) chiaro.push_back(static_cast<char>(32 + rnd() % 92));
      std::string s, c1, p, c2;
      cripto_in(chiaro, s, c1);
      ASSERT_EQ(s.size(), chiaro.size());
      cripto_out(p, s, c2);
      EXPECT_EQ(p, chiaro);
      EXPECT_EQ(c1, c2);
    }
  }
}

TEST(Cripto, CharacterOutsideTheAlphabet) {
  std::string s, c1, p, c2;
  cripto_in("a|c", s, c1);  // "|" is 124
  EXPECT_EQ(s[0], '\xBF');  // the first scrambled character comes from the second
  cripto_out(p, s, c2);
  EXPECT_EQ(p, "a\xBF" "c");
  EXPECT_NE(c1, c2);  // counted on the way in, not on the way out
}

TEST(Cripto, StandardServerRecord) {
  Parametri_Collegamento p;
  p.Host = "nome o indirizzo del server";
  p.Porta = 4400;
  p.Utente = "utente";
  p.Porta_Ftp = 21;
  p.Libreria = "JR";
  p.Indice_Server = 1;
  std::string r = p.Componi();
  ASSERT_EQ(r.size(), 95u);
  EXPECT_EQ(r.substr(50, 5), "04400");
  EXPECT_EQ(r.substr(55, 10), "UTENTE    ");
  EXPECT_EQ(r.substr(90, 5), "00001");
  std::string s, c;
  cripto_in(r, s, c);
  EXPECT_EQ(c, "152285");
  auto letto = Parametri_Collegamento::Leggi(r);
  EXPECT_EQ(letto.Host, p.Host);
  EXPECT_EQ(letto.Utente, "UTENTE");
  EXPECT_EQ(letto.Password, "");
  EXPECT_EQ(letto.Porta, 4400);
  EXPECT_EQ(letto.Porta_Ftp, 21);
  EXPECT_EQ(letto.Libreria, "JR");
  EXPECT_EQ(letto.Indice_Server, 1);
  EXPECT_EQ(p.Componi(false).size(), 90u);
}

TEST(Cripto, NumeroZeri) {
  struct Caso {
    const char* testo;
    const char* atteso;
  } casi[] = {{"4400", "04400"}, {" 21 ", "00021"}, {"12.7", "00013"}, {"", "00000"}, {"   ", "00000"},
              {"abc", "00000"}, {"123456", "123456"}};
  for (auto& c : casi) EXPECT_EQ(Numero_Zeri(c.testo, 5), c.atteso) << c.testo;
}

TEST(Cripto, SettingsFileRoundTripAndReadingRule) {
  auto dir = qod::prova::Cartella_Temporanea() / ("qod_cripto_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::string ini = (dir / "Qod_S.INI").string();
  Parametri_Collegamento letto;
  EXPECT_FALSE(Collegamento_Leggi(ini, letto));  // no file: check "0" differs from ""

  // A host beginning with "{" puts a blank at an end of the scrambled text;
  // the writer protects it so that reading gives it back.
  for (const char* host : {"{host", "h{ost", "zz", "##", "127.0.0.1"}) {
    Parametri_Collegamento p;
    p.Host = host;
    p.Porta = 4400;
    p.Utente = "u";
    p.Indice_Server = 3;
    ASSERT_TRUE(Collegamento_Scrivi(ini, p.Componi()));
    ASSERT_TRUE(Collegamento_Leggi(ini, letto)) << host;
    EXPECT_EQ(letto.Host, host);
    EXPECT_EQ(letto.Indice_Server, 3);
  }
  Profilo_Scrivi(ini, "Generale", "Check", "1");
  EXPECT_FALSE(Collegamento_Leggi(ini, letto));
  std::filesystem::remove_all(dir);
}

// A record that does not pass its check is explained by file and key or line.
TEST(Cripto, AFailedRecordNamesTheFileAndTheKeyOrLine) {
  qod::prova::Cartella_Prova dir("cripto_difetto");
  const std::string ini = dir / "Qod_S.INI";
  std::string licenza, check;
  cripto_in("host", licenza, check);
  const struct {
    const char* nome;
    std::string contenuto;  // empty: no file
    std::string atteso;     // after the file's name
  } casi[] = {
      {"no file", "", ": il file non esiste"},
      {"garbage", std::string("\x7F" "ELF\x02\x01\x01\0\0\0\r\n\xFF\xFE=\x01", 16), ": manca la sezione [Generale]"},
      {"other sections only", "[Dimensioni]\r\nLeft=0\r\n", ": manca la sezione [Generale]"},
      {"no Licenza", "[Generale]\r\nCheck=" + check + "\r\n", ": manca la chiave Licenza in [Generale]"},
      {"no Check", "[Generale]\r\nLog=S\r\nLicenza=" + licenza + "\r\n", ": manca la chiave Check in [Generale]"},
      {"empty Licenza", "[Generale]\r\nLicenza=\r\nCheck=12\r\n", ", riga 2: la chiave Licenza \xE8 vuota"},
      {"wrong Check", "; comment\r\n[Generale]\r\nLicenza=" + licenza + "\r\nLog=S\r\nCheck=1" + check + "\r\n",
       ", riga 5: la chiave Check non corrisponde a Licenza (riga 3)"},
      // The key read is the first of two, in any case, in a section met twice.
      {"second section", "[Generale]\r\nLog=S\r\n[Altro]\r\nCheck=0\r\n[GENERALE]\r\nlicenza=" + licenza +
                             "\r\nCHECK=9\r\nCheck=" + check + "\r\n",
       ", riga 7: la chiave Check non corrisponde a Licenza (riga 6)"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    std::filesystem::remove(ini);
    if (!c.contenuto.empty()) qod::prova::File_Scrivi(ini, c.contenuto);
    Parametri_Collegamento p;
    std::string difetto;
    EXPECT_FALSE(Collegamento_Leggi(ini, p, &difetto));
    EXPECT_EQ(difetto, ini + c.atteso);
  }
  // A folder in the file's place.
  std::filesystem::remove(ini);
  std::filesystem::create_directories(ini);
  EXPECT_EQ(Collegamento_Difetto(ini), ini + ": \xE8 una cartella, non un file");
  std::filesystem::remove(ini);
  // A good record says nothing.
  qod::prova::File_Scrivi(ini, "[Generale]\r\nLicenza=" + licenza + "\r\nCheck=" + check + "\r\n");
  Parametri_Collegamento p;
  std::string difetto = "untouched";
  EXPECT_TRUE(Collegamento_Leggi(ini, p, &difetto));
  EXPECT_EQ(p.Host, "host");
  EXPECT_EQ(difetto, "untouched");
}
