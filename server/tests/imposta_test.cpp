// qod_s_imposta, the demo's settings helper: a check box is ticked by the
// value its program reads as on, and an option it does not take writes
// nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "qod/profile.h"
#include "qod/prova/costruzione.h"
#include "qod/prova/strumenti.h"

using namespace qod;
using namespace qod::prova;

TEST(Qod_S_Imposta, CheckBoxesTakeTheValueTheirProgramReadsAsOn) {
  Cartella_Prova dir("imposta");
  const struct {
    bool client;
    const char* chiave;
    const char* valore;
    const char* scritto;
  } casi[] = {
      {true, "Ricerche in maiuscolo", "1", "1"}, {true, "Ricerche in maiuscolo", "0", "0"},
      {true, "Ricerche in maiuscolo", "S", "0"}, {true, "ricerche in MAIUSCOLO", "1", "1"},
      {false, "Log", "S", "S"},                  {false, "Log", "1", "N"},
      {false, "Backup", "s", "N"},
  };
  int n = 0;
  for (const auto& c : casi) {
    SCOPED_TRACE(std::string(c.chiave) + " " + c.valore);
    const std::string ini = dir / (std::to_string(++n) + ".INI");
    std::vector<std::string> a = {Programma_Build(QOD_QOD_S_IMPOSTA), ini};
    if (c.client) a.push_back("--client");
    for (const char* p : {"Generale", c.chiave, c.valore}) a.push_back(p);
    const Esito_Comando r = Esegui(a);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(Profilo_Leggi(ini, "Generale", c.chiave), c.scritto);
  }
}

TEST(Qod_S_Imposta, AnOptionItDoesNotTakeWritesNothing) {
  Cartella_Prova dir("imposta_opzioni");
  const std::string ini = dir / "Qod_C.INI";
  for (const std::vector<std::string>& parole :
       {std::vector<std::string>{ini, "--client", "--collegamento-x", "Generale", "Log"},
        std::vector<std::string>{ini, "--bogus", "Generale", "Log", "S"}, std::vector<std::string>{"--bogus", ini}}) {
    std::vector<std::string> a = {Programma_Build(QOD_QOD_S_IMPOSTA)};
    a.insert(a.end(), parole.begin(), parole.end());
    const Esito_Comando r = Esegui(a);
    EXPECT_EQ(r.rc, 2) << r.err;
    EXPECT_NE(r.err.find("opzione sconosciuta"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("qod_s_imposta FILE.INI --client"), std::string::npos) << r.err;
    EXPECT_EQ(Nomi(dir.Dir()), std::vector<std::string>{});
  }
}

// After FILE.INI the words go three by three: a key's value may begin with
// "-" and is no option.
TEST(Qod_S_Imposta, AValueMayBeginWithADash) {
  Cartella_Prova dir("imposta_valori");
  const std::string ini = dir / "Qod_S.INI";
  const Esito_Comando r =
      Esegui({Programma_Build(QOD_QOD_S_IMPOSTA), ini, "Dimensioni", "Left", "-100", "Dimensioni", "Top", "--"});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "Left"), "-100");
  EXPECT_EQ(Profilo_Leggi(ini, "Dimensioni", "Top"), "--");
}
