// The viewer's start-up settings: the connection record's check, the
// values cut from it, the search switch and the command line switch.
#include <gtest/gtest.h>

#include "qod/client/base_client.h"
#include "qod/cripto.h"
#include "qod/profile.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"

using namespace qod;
using namespace qod::prova;

namespace {

class ClientStartup : public ::testing::Test {
 protected:
  // A settings file holding a good connection record and `maiuscolo` (null: no key).
  void Scrivi(const char* maiuscolo) {
    Parametri_Collegamento p;
    p.Host = "host.example";
    p.Porta = 4400;
    p.Utente = "ROSSI";
    p.Password = "SEGRETA";
    p.Porta_Ftp = 21;
    p.Libreria = "QODLIB";
    ASSERT_TRUE(Collegamento_Scrivi(dir_ / "Qod_C.INI", p.Componi(false)));
    if (maiuscolo) {
      ASSERT_TRUE(Profilo_Scrivi(dir_ / "Qod_C.INI", "Generale", "Ricerche in maiuscolo", maiuscolo));
    }
  }

  Cartella_Prova dir_{"base_client"};
  FakeClock orologio_;
  RecordingMessageSink messaggi_;
  Client_Base base_{orologio_, messaggi_};
};

}  // namespace

TEST_F(ClientStartup, ReadsFoldersRecordSwitchesAndCommandLine) {
  Scrivi("1");
  ASSERT_TRUE(base_.Base_Inizializza(dir_.Testo(), "  /NOSUBCLASS  "));
  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_EQ(base_.File_INI, dir_ / "Qod_C.INI");
  EXPECT_EQ(base_.File_DAT, dir_ / "Qod_C.DAT");
  EXPECT_EQ(base_.File_TBL, dir_ / "Qod_TBL1.Tbl");
  EXPECT_EQ(base_.Percorso_Tmp, dir_.Testo() + "TmpC/");
  EXPECT_EQ(base_.Percorso_Lgo, dir_.Testo() + "Lgo/");
  EXPECT_EQ(base_.Percorso_Fnt, dir_.Testo() + "Fnt/");
  EXPECT_TRUE(std::filesystem::is_directory(dir_.Dir() / "TmpC"));  // page files go there
  const Parametri_Collegamento& c = base_.Collegamento;
  EXPECT_EQ(c.Host, "host.example");
  EXPECT_EQ(c.Porta, 4400);
  EXPECT_EQ(c.Utente, "ROSSI");
  EXPECT_EQ(c.Password, "SEGRETA");
  EXPECT_EQ(c.Porta_Ftp, 21);
  EXPECT_EQ(c.Libreria, "QODLIB");
  EXPECT_TRUE(base_.Ricerche_Maiuscolo);
  EXPECT_EQ(base_.Riga_Comando, "/NOSUBCLASS");
  EXPECT_FALSE(base_.Subclass());

  base_.Istanza_Imposta(3);
  EXPECT_EQ(base_.Titolo_Istanza, "Quillon Viewer 3");
  EXPECT_EQ(base_.Titolo_Login, "Quillon Viewer 3");
}

TEST_F(ClientStartup, UpperCaseSearchesOnlyForExactlyOne) {
  const struct {
    const char* valore;  // null: no key
    bool atteso;
  } casi[] = {{"1", true}, {"0", false}, {"si", false}, {"11", false}, {"S", false}, {nullptr, false}};
  for (const auto& c : casi) {
    SCOPED_TRACE(c.valore ? c.valore : "(missing)");
    std::filesystem::remove(dir_ / "Qod_C.INI");
    Scrivi(c.valore);
    ASSERT_TRUE(base_.Base_Inizializza(dir_.Testo(), ""));
    EXPECT_EQ(base_.Ricerche_Maiuscolo, c.atteso);
  }
}

TEST_F(ClientStartup, NoSubclassFoundAnywhereAsWritten) {
  Scrivi(nullptr);
  const struct {
    const char* riga;
    bool subclass;
  } casi[] = {{"", true},
              {"/NOSUBCLASS", false},
              {"pippo/NOSUBCLASSpluto altro", false},
              {"uno /NOSUBCLASS due", false},
              {"/nosubclass", true},
              {"/NOSUB CLASS", true}};
  for (const auto& c : casi) {
    SCOPED_TRACE(c.riga);
    ASSERT_TRUE(base_.Base_Inizializza(dir_.Testo(), c.riga));
    EXPECT_EQ(base_.Subclass(), c.subclass);
  }
}

TEST_F(ClientStartup, WrongOrMissingRecordEndsWithItsMessage) {
  const struct {
    const char* nome;
    std::function<void(const std::string&)> prepara;

    const char* difetto;  // the further line, after the file's name
  } casi[] = {
      {"no settings file", [](const std::string&) {}, ": il file non esiste"},
      {"check text changed", [](const std::string& ini) { Profilo_Scrivi(ini, "Generale", "Check", "123"); },
       ", riga 3: la chiave Check non corrisponde a Licenza (riga 2)"},
      {"record changed", [](const std::string& ini) { Profilo_Scrivi(ini, "Generale", "Licenza", "XYZ"); },
       ", riga 3: la chiave Check non corrisponde a Licenza (riga 2)"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    std::filesystem::remove(dir_ / "Qod_C.INI");
    if (std::string(c.nome) != "no settings file") Scrivi(nullptr);
    c.prepara(dir_ / "Qod_C.INI");
    messaggi_.boxes.clear();
    EXPECT_FALSE(base_.Base_Inizializza(dir_.Testo(), ""));
    ASSERT_EQ(messaggi_.boxes.size(), 1u);
    EXPECT_EQ(messaggi_.boxes[0].testo, "Impostazione del server non corretta\r" + (dir_ / "Qod_C.INI") + c.difetto);
    EXPECT_EQ(messaggi_.boxes[0].titolo, "Quillon Viewer");
    EXPECT_EQ(messaggi_.boxes[0].stile, vbCritical);
    // Nothing is made in the folder: the page files' folder comes only with a start that goes on.
    EXPECT_FALSE(std::filesystem::exists(dir_.Dir() / "TmpC"));
  }
  // An empty record has the check text "0": a file that says so is accepted.
  std::filesystem::remove(dir_ / "Qod_C.INI");
  ASSERT_TRUE(Profilo_Scrivi(dir_ / "Qod_C.INI", "Generale", "Check", "0"));
  EXPECT_TRUE(base_.Base_Inizializza(dir_.Testo(), ""));
  EXPECT_EQ(base_.Collegamento.Host, "");
}
