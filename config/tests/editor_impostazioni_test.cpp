#include "qod/config/editor_impostazioni.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "qod/cripto.h"
#include "qod/profile.h"
#include "qod/prova/costruzione.h"

using namespace qod;

namespace {

const Campo_Impostazione& Campo_Server(std::string_view box) {
  for (const auto& c : kEditor_Server.campi)
    if (box == c.box) return c;
  throw std::runtime_error("no box");
}

class Cartella : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = qod::prova::Cartella_Temporanea() /
           ("qod_editor_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Ini(const char* nome) const { return (dir_ / nome).string(); }
  std::filesystem::path dir_;
};

}  // namespace

TEST(EditorImpostazioni, FormattingOfEveryKindOfBox) {
  struct Caso {
    const char* box;
    const char* testo;
    const char* atteso;
  } casi[] = {
      {"txt01", "host", "host                                              "},
      {"txt01", "123456789012345678901234567890123456789012345678901234", "12345678901234567890123456789012345678901234567890"},
      {"txt03", "utente", "UTENTE    "},
      {"txt03", "utentelungo1", "UTENTELUNG"},
      {"txt04", "", "          "},
      {"txt04", "pw\xE8", "PW\xC8       "},  // upper case of the ANSI letter, one byte for one
      {"txt02", " 21 ", "00021"},
      {"txt02", "12.5", "00013"},            // halves away from zero
      {"txt07", "abc", "00000"},
      {"txt08", "7:30", "000000"},           // not numeric
      {"txt08", "73000", "073000"},
      {"txt09", "10", "010"},
      {"txt13", "", "000000"},
      {"txt08", "1234567", "1234567"},       // kept whole: the check refuses it
  };
  for (const auto& c : casi) EXPECT_EQ(Campo_Formatta(Campo_Server(c.box), c.testo), c.atteso) << c.box << " " << c.testo;
}

TEST(EditorImpostazioni, ChecksOfTheFormattedText) {
  using D = Difetto_Campo;
  struct Caso {
    const char* box;
    const char* testo;
    D atteso;
  } casi[] = {
      {"txt01", "{a} host", D::Carattere},  // "}" is 125
      {"txt01", "{host", D::Nessuno},        // "{" is the last character carried
      {"txt01", "caf\xE8", D::Carattere},
      {"txt01", "euro \x80", D::Carattere},
      {"txt01", "tab\there", D::Carattere},
      {"txt03", "pipe|", D::Carattere},
      {"txt04", "~", D::Carattere},
      {"txt02", "65535", D::Nessuno},
      {"txt02", "65536", D::Numero},         // a port is 16 bits
      {"txt05", "0", D::Nessuno},            // no FTP start
      {"txt05", "-21", D::Numero},
      {"txt07", "99999", D::Nessuno},
      {"txt07", "100000", D::Numero},
      {"txt07", "-1", D::Numero},
      {"txt09", "999", D::Nessuno},
      {"txt09", "1000", D::Numero},
      {"txt08", "1234567", D::Numero},
      {"txt12", "1e9", D::Numero},
      {"txt08", "7:30", D::Nessuno},         // stored as 000000
  };
  for (const auto& c : casi) {
    const auto& campo = Campo_Server(c.box);
    EXPECT_EQ(Campo_Verifica(campo, Campo_Formatta(campo, c.testo)), c.atteso) << c.box << " " << c.testo;
  }
  EXPECT_EQ(Difetto_Messaggio(Campo_Server("txt01"), D::Carattere), "Carattere non ammesso nel campo \"Connessione\"");
  EXPECT_EQ(Difetto_Messaggio(Campo_Server("txt02"), D::Numero), "Valore non ammesso nel campo \"Porta\" (da 0 a 65535)");
  EXPECT_EQ(Difetto_Messaggio(Campo_Server("txt11"), D::Numero),
            "Valore non ammesso nel campo \"Attesa start in minuti\" (al massimo 3 cifre)");
}

TEST(EditorImpostazioni, InitOnTheCommandLine) {
  struct Caso {
    const char* riga;
    bool init;
  } casi[] = {{"/INIT", true}, {"  /init  ", true}, {"/Init", true}, {"", false}, {"/INIT X", false}, {"INIT", false}};
  for (const auto& c : casi) EXPECT_EQ(Riga_Comando_Init(c.riga), c.init) << c.riga;
}

TEST(EditorImpostazioni, TablesOfTheTwoEditors) {
  ASSERT_EQ(kEditor_Server.campi.size(), 14u);
  ASSERT_EQ(kEditor_Client.campi.size(), 6u);
  std::string righe;
  for (const auto& c : kEditor_Server.campi) righe += std::string(c.box).substr(3) + " ";
  EXPECT_EQ(righe, "01 02 03 04 05 06 07 08 09 10 11 12 14 13 ");
  int larghezza = 0;
  for (const auto& c : kEditor_Client.campi) larghezza += c.larghezza;
  EXPECT_EQ(larghezza, 90);
}

TEST_F(Cartella, StandardValuesAreWrittenInOrder) {
  Editor_Impostazioni e(kEditor_Server, Ini("Qod_S.INI"));
  e.Valori_Standard();
  ASSERT_FALSE(e.Formatta());
  ASSERT_EQ(e.Record().size(), 95u);
  auto voci = e.Voci();
  std::vector<std::pair<std::string, std::string>> attese = {
      {"Fine Collegamento Ora", "203000"}, {"Fine Collegamento Anticipo", "010"},
      {"Inizio Collegamento Ora", "073000"}, {"Inizio Collegamento Attesa", "040"},
      {"Tempo Ciclo", "001000"}, {"Max Pagine Blocco", "000000"}, {"Time Out", "010000"},
      {"Log", "N"}, {"Backup", "N"}};
  ASSERT_EQ(voci.size(), attese.size() + 2);
  EXPECT_EQ(voci[0].chiave, "Licenza");
  EXPECT_EQ(voci[1].chiave, "Check");
  EXPECT_EQ(voci[1].valore, "152285");
  for (size_t i = 0; i < attese.size(); ++i) {
    EXPECT_EQ(voci[i + 2].chiave, attese[i].first);
    EXPECT_EQ(voci[i + 2].valore, attese[i].second);
  }
  ASSERT_TRUE(e.Scrivi());
  Parametri_Collegamento p;
  ASSERT_TRUE(Collegamento_Leggi(Ini("Qod_S.INI"), p));
  EXPECT_EQ(p.Host, "nome o indirizzo del server");
  EXPECT_EQ(p.Utente, "UTENTE");
  EXPECT_EQ(p.Indice_Server, 1);

  Editor_Impostazioni c(kEditor_Client, Ini("Qod_C.INI"));
  c.Valori_Standard();
  ASSERT_FALSE(c.Formatta());
  EXPECT_EQ(c.Record().size(), 90u);
  voci = c.Voci();
  ASSERT_EQ(voci.size(), 3u);
  EXPECT_EQ(voci[2].chiave, "Ricerche in maiuscolo");
  EXPECT_EQ(voci[2].valore, "0");
}

TEST_F(Cartella, CheckBoxesAsRead) {
  struct Caso {
    const char* valore;  // nullptr: key missing
    bool server, client;
  } casi[] = {{nullptr, false, false}, {"S", true, false}, {"s", false, false}, {"N", false, false},
              {"0", false, false},     {"1", false, true}, {"2", false, true},  {"", false, false},
              {"abc", false, false}};
  for (const auto& c : casi) {
    std::string ini = Ini("casella.INI");
    std::filesystem::remove(ini);
    Profilo_Scrivi(ini, "Generale", "Altro", "x");
    if (c.valore) {
      Profilo_Scrivi(ini, "Generale", "Log", c.valore);
      Profilo_Scrivi(ini, "Generale", "Ricerche in maiuscolo", c.valore);
    }
    Editor_Impostazioni s(kEditor_Server, ini), k(kEditor_Client, ini);
    s.Carica();
    k.Carica();
    EXPECT_EQ(s.spunte[0], c.server) << (c.valore ? c.valore : "missing");
    EXPECT_EQ(k.spunte[0], c.client) << (c.valore ? c.valore : "missing");
  }
}

TEST_F(Cartella, RefusedBoxLeavesBoxesAndFileAlone) {
  const std::string ini = Ini("Qod_S.INI");
  Editor_Impostazioni e(kEditor_Server, ini);
  e.Valori_Standard();
  e.valori[static_cast<size_t>(e.Campo("txt03"))] = "utente";
  e.valori[static_cast<size_t>(e.Campo("txt07"))] = "123456";
  auto r = e.Formatta();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->campo, e.Campo("txt07"));
  EXPECT_EQ(r->messaggio, "Valore non ammesso nel campo \"Indice\" (al massimo 5 cifre)");
  EXPECT_EQ(e.valori[static_cast<size_t>(e.Campo("txt03"))], "utente");  // not formatted
  EXPECT_FALSE(std::filesystem::exists(ini));
}

TEST_F(Cartella, MissingFileGivesEmptyBoxes) {
  Editor_Impostazioni e(kEditor_Server, Ini("nessuno.INI"));
  e.Carica();
  for (const auto& v : e.valori) EXPECT_EQ(v, "");
  EXPECT_FALSE(e.spunte[0] || e.spunte[1]);
}

TEST_F(Cartella, UnwritableFileIsReported) {
  const auto sotto = dir_ / "manca" / "Qod_S.INI";  // a folder that does not exist
  Editor_Impostazioni e(kEditor_Server, sotto.string());
  e.Valori_Standard();
  ASSERT_FALSE(e.Formatta());
  EXPECT_FALSE(e.Scrivi());
}
