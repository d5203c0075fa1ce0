// The server's base: its start-up from the settings file (the connection
// record, [Generale], its folders, the printers in the log) and the
// file-name templates.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "qod/basic.h"
#include "qod/server/base_server.h"
#include "qod/profile.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"

using namespace qod;

namespace {

std::string Leggi(const std::string& f) { return prova::File_Leggi(f); }

class ListaFissa : public PrinterList {
 public:
  std::vector<std::string> Stampanti() override { return {"HP LaserJet", "Ufficio\xE8"}; }
};

class Base : public ::testing::Test {
 protected:

  void Impostazioni_Valide(int indice = 3) {
    Parametri_Collegamento p;
    p.Host = "127.0.0.1";
    p.Porta = 4400;
    p.Utente = "qsys";
    p.Password = "pw";
    p.Porta_Ftp = 21;
    p.Libreria = "jr";
    p.Indice_Server = indice;
    ASSERT_TRUE(Collegamento_Scrivi(cartella_ + "Qod_S.INI", p.Componi()));
  }

  prova::Cartella_Prova cartella_prova_{"base"};
  const std::filesystem::path dir_ = cartella_prova_.Dir();
  const std::string cartella_ = cartella_prova_.Testo();
  FakeClock orologio_{DateTime::Da(2026, 3, 7, 9, 5, 4)};
  RecordingMessageSink messaggi_;
  ListaFissa stampanti_;
  Server_Base base_{orologio_, messaggi_, stampanti_};
};

}  // namespace

// The message names the file at fault in a further line, in the box and on
// the error output; the folder is left as it was.
TEST_F(Base, NoSettingsFileStopsTheProgram) {
  testing::internal::CaptureStderr();
  EXPECT_FALSE(base_.Base_Inizializza(cartella_, ""));
  const std::string errori = testing::internal::GetCapturedStderr();
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Impostazione del server non corretta\r" + cartella_ + "Qod_S.INI: il file non esiste");
  EXPECT_EQ(errori, Nome_Programma() + ": Quillon Server: Impostazione del server non corretta\n" + Nome_Programma() +
                        ": " + cartella_ + "Qod_S.INI: il file non esiste\n");
  EXPECT_EQ(messaggi_.boxes[0].stile, vbCritical);
  EXPECT_EQ(messaggi_.boxes[0].titolo, "Quillon Server");
  EXPECT_EQ(prova::Nomi(dir_), std::vector<std::string>{});
}

TEST_F(Base, ReadsTheRecordAndTheGeneralKeys) {
  Impostazioni_Valide(3);
  std::string ini = cartella_ + "Qod_S.INI";
  Profilo_Scrivi(ini, "Generale", "Log", "s");
  Profilo_Scrivi(ini, "Generale", "Backup", "S");
  Profilo_Scrivi(ini, "Generale", "Fine Collegamento Ora", "203000");
  Profilo_Scrivi(ini, "Generale", "Fine Collegamento Anticipo", "010");
  Profilo_Scrivi(ini, "Generale", "Max Pagine Blocco", "2.5");
  ASSERT_TRUE(base_.Base_Inizializza(cartella_, "  /AUTO /ICON  "));
  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_EQ(base_.Collegamento.Host, "127.0.0.1");
  EXPECT_EQ(base_.Collegamento.Utente, "QSYS");
  EXPECT_EQ(base_.Collegamento.Libreria, "JR");
  EXPECT_EQ(base_.Collegamento.Indice_Server, 3);
  EXPECT_EQ(base_.Titolo_Login, "Quillon Server  3");
  EXPECT_EQ(base_.Titolo_Login.size(), 17u);
  EXPECT_EQ(base_.Riga_Comando, "/AUTO /ICON");
  EXPECT_FALSE(base_.Riconnessione);
  EXPECT_TRUE(base_.Log_Intestazione);
  EXPECT_FALSE(base_.Generale.Log);  // "s" is not "S"
  EXPECT_TRUE(base_.Generale.Backup);
  EXPECT_EQ(base_.Generale.Tempo_Ciclo, 0);  // missing
  EXPECT_EQ(base_.Generale.Fine_Collegamento_Ora, "203000");
  EXPECT_EQ(base_.Generale.Fine_Collegamento_Anticipo, 10);
  EXPECT_EQ(base_.Generale.Max_Pagine_Blocco, 2);
  EXPECT_EQ(base_.Ultimo_Keep_Alive, DateTime::Da(2026, 3, 6, 9, 5, 4));
  EXPECT_EQ(base_.File_INI, cartella_ + "Qod_S.INI");
  EXPECT_EQ(base_.Percorso_Tmp, cartella_ + "TmpS/");
  for (auto* d : {"TmpS", "Lgo", "Fnt", "Backup"}) EXPECT_TRUE(std::filesystem::is_directory(dir_ / d)) << d;
  EXPECT_EQ(Leggi(base_.File_LOG),
            " \r\n07/03/2026 09:05:04 - Stampanti configurate\r\n" + std::string(50, '=') +
                "\r\nHP LaserJet\r\nUfficio\xE8\r\n" + std::string(50, '=') + "\r\n");
}

TEST_F(Base, FileNameTemplates) {
  Impostazioni_Valide();
  ASSERT_TRUE(base_.Base_Inizializza(cartella_, ""));
  std::string ini = base_.File_INI;
  Profilo_Scrivi(ini, "Numeratori", "##NABC", "41");
  Profilo_Scrivi(ini, "Numeratori", "##NTOP", "999999");
  Profilo_Scrivi(ini, "Numeratori", "##NBAD", "xyz");
  base_.Contatore_Documento = 7;
  base_.Contatore_Pagina = 12;
  struct Caso {
    const char* modello;
    const char* sostituto;
    bool pulisci;
    const char* atteso;
  } casi[] = {
      {"FAT##NABC", "", false, "FAT000042"},
      {"F##NABC-##VABC", "", false, "F000043-000043"},
      {"##VABC", "", false, "000043"},
      {"##NXYZ", "", false, "000001"},
      {"##NTOP", "", false, "000001"},  // 999999 starts again at 1
      {"##NBAD", "", false, "000001"},  // not numeric counts as 0
      {"##NABC##NABC", "", false, "000044000045"},
      {"D##DATA_T##TIME", "", false, "D260307_T090504"},
      {"I##INDI P##PAGT", "", false, "I000007 P000012"},
      {"A B:C", "_", true, "A_B_C"},
      {"A B:C", "", true, "AB_C"},
      {"a b", "--", true, "a--b"},
      {"\\/:*?\"<>|", "", true, "_________"},
      {"A B:C", "_", false, "A B:C"},
  };
  for (auto& c : casi) EXPECT_EQ(base_.Nome_File_Espandi(c.modello, c.sostituto, c.pulisci), c.atteso) << c.modello;
  EXPECT_EQ(Profilo_Leggi(ini, "Numeratori", "##NABC"), "45");
  EXPECT_EQ(Profilo_Leggi(ini, "Numeratori", "##NXYZ"), "1");
  EXPECT_EQ(Profilo_Leggi(ini, "Numeratori", "##NTOP"), "1");
}

TEST_F(Base, FailedCounterWriteIsLogged) {
  Impostazioni_Valide();
  ASSERT_TRUE(base_.Base_Inizializza(cartella_, ""));
  // Point the settings at a folder that does not exist: every write fails.
  base_.File_INI = cartella_ + "manca/Qod_S.INI";
  std::filesystem::remove(base_.File_LOG);
  EXPECT_EQ(base_.Nome_File_Espandi("X##NABC", "", false), "X000001");
  std::string log = Leggi(base_.File_LOG);
  EXPECT_NE(log.find("Impossibile scrivere [Numeratori] ##NABC=1"), std::string::npos) << log;
}

