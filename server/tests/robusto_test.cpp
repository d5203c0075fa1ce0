// The spool road against a stand-in host that misbehaves or sends values no
// spool file can have: short blocks, impossible sizes and ranges, huge copy
// counts, spool numbers the done record cannot carry, spool files that fail
// again and again, control characters in text fields, a stop request in the
// middle of the work.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <memory>

#include "qod/basic.h"
#include "qod/host_simulato.h"
#include "qod/profile.h"
#include "strada_test.h"

using namespace qod;
using namespace qod::test;
using namespace qod::prova;
using qod::prova::Host_Simulato;

namespace {

// Two pages with every kind of control that takes more than one byte, so
// that short blocks cut each of them somewhere.
Scs Dati_Due_Pagine() {
  Scs s;
  s.SLD(6).Testo("PRIMA RIGA").NL().AHPP(5).Testo("RIENTRO").NL();
  s.Controllo(0xD1, {0x01, 0x02, 0x03}).AVPP(5).Testo("RIGA CINQUE").RVPP(12).Testo("DOPO").FF();
  s.Testo("SECONDA PAGINA").RHPP(3).Testo("X").NL().FF();
  return s;
}

class Strada_Robusta : public ::testing::Test {
 public:
  // One spool file in the queue (`attributi` as attributi.txt lines, the
  // print data as raw SCS), the stand-in started with `argomenti`, the
  // server's folder prepared and its connection opened.
  void Avvia(const std::string& attributi, const Scs& dati, std::vector<std::string> argomenti = {}) {
    coda_ = dir_.Dir() / "coda";
    fatti_ = dir_.Dir() / "fatti";
    std::filesystem::create_directories(coda_ / "0001_A");
    File_Scrivi(coda_ / "0001_A" / "attributi.txt", attributi);
    File_Scrivi(coda_ / "0001_A" / "dati.scs", std::string(dati.dati.begin(), dati.dati.end()));
    argomenti.insert(argomenti.begin(), {"--dictionary", Host_Simulato::Dizionario_Predefinito(), "--ftp-port", "-1",
                                         "--spool-queue", coda_.string(), "--spool-done", fatti_.string()});
    host_ = std::make_unique<Host_Simulato>(argomenti);
    ASSERT_TRUE(host_->Avvia()) << host_->Uscita();
    programma_ = dir_.Dir() / "Qod_S";
    ASSERT_TRUE(host_->Programma_Prepara(programma_, 3, "qsys", "pw"));
    Profilo_Scrivi((programma_ / "Qod_S.INI").string(), "Generale", "Log", "S");
    ASSERT_TRUE(base_.Base_Inizializza(programma_.string(), ""));
    ASSERT_TRUE(conn_.Host_Collega());
    fasi_.Immagini = &generatore_;
    server_ = std::make_unique<Spool_Server>(base_, trasporto_, conn_, pannello_, Pump{}, fasi_);
  }

  // The texts of the records with letter `l` the host received.
  std::vector<std::string> Record(char l) const { return host_->Richieste(l); }
  std::string Log() const { return File_Leggi(base_.File_LOG); }
  static size_t Conta(const std::string& testo, const std::string& cosa) {
    size_t n = 0;
    for (size_t p = testo.find(cosa); p != std::string::npos; p = testo.find(cosa, p + 1)) ++n;
    return n;
  }

  Cartella_Prova dir_;
  std::filesystem::path coda_, fatti_, programma_;
  std::unique_ptr<Host_Simulato> host_;
  FakeClock orologio_{DateTime::Da(2026, 3, 7, 9, 0, 0)};
  RecordingMessageSink messaggi_;
  NoPrinters stampanti_;
  Server_Base base_{orologio_, messaggi_, stampanti_};
  Trasporto trasporto_{Attese_Rete{3000, 100, 3000}};
  Connessione_Host conn_{base_, base_, trasporto_};
  Pannello pannello_;
  Qod_IMG_Finto img_;
  Generatore_Qod_IMG<Qod_IMG_Finto> generatore_{img_};
  Fasi_Spool fasi_;
  std::unique_ptr<Spool_Server> server_;
};

constexpr const char* kAttributi = "numero_spool = 41\nstato_salvataggio = FATTO\npagine = 2\n";

}  // namespace

// A host that sends its print data in blocks of a few bytes: every control
// cut by the end of a block is fetched again, the pages are those of whole
// blocks, and the spool file is done.
TEST(Strada_Robusta_Blocchi, ShortBlocksGiveTheSamePagesAsWholeOnes) {
  std::string attese[2];
  for (const int blocco : {8186, 1, 2, 3}) {
    struct Caso : Strada_Robusta {
      void TestBody() override {}
    } c;
    c.Avvia(kAttributi, Dati_Due_Pagine(), {"--spool-block", std::to_string(blocco)});
    ASSERT_TRUE(c.server_->Spool_Get()) << blocco << c.Log();
    EXPECT_EQ(c.Record('D').back(), "D0002500003000000041FATTO      ") << blocco;
    EXPECT_EQ(c.server_->Stato().Pagine.Pagine_Aperte, 2) << blocco;
    const std::string tmps = c.base_.Percorso_Tmp;
    const std::string pagine[2] = {File_Leggi(tmps + "00003_S_00001.TXT"), File_Leggi(tmps + "00003_S_00002.TXT")};
    for (int i = 0; i < 2; ++i) {
      if (blocco == 8186)
        attese[i] = pagine[i];
      else
        EXPECT_EQ(pagine[i], attese[i]) << blocco << " " << i;
    }
  }
  EXPECT_NE(attese[0].find("RIGA CINQUE"), std::string::npos) << attese[0];
  EXPECT_NE(attese[1].find("SECONDA PAGINA"), std::string::npos) << attese[1];
}

// Values no spool file can have fail it with a message and "*ERR"; so does a
// range of pages the print data does not hold.
TEST(Strada_Robusta_Attributi, ImpossibleValuesAndMissingPagesFailTheSpoolFile) {
  struct Caso {
    std::string attributi, messaggio;
  } casi[] = {
      {"dimensione_dati = -5\n", "Dimensione dei dati errata: -5"},
      {"pagine = -3\n", "Numero di pagine errato: -3"},
      {"prima_pagina = 5\nultima_pagina = 3\n", "Intervallo di pagine errato: da 5 a 3"},
      {"prima_pagina = 2147483647\npagine = -2147483648\n", "Numero di pagine errato: -2147483648"},
      // The print data holds two pages.
      {"pagine = 4\n", "Pagine prodotte 2 su 4"},
      {"prima_pagina = 2\nultima_pagina = 3\npagine = 3\n", "Pagine prodotte 1 su 2"},
  };
  for (const auto& k : casi) {
    struct Prova : Strada_Robusta {
      void TestBody() override {}
    } c;
    c.Avvia("numero_spool = 41\nstato_salvataggio = FATTO\n" + k.attributi, Dati_Due_Pagine());
    ASSERT_TRUE(c.server_->Spool_Get()) << k.attributi;
    EXPECT_EQ(c.Record('D').back(), "D0002500003000000041*ERR       ") << k.attributi;
    EXPECT_EQ(c.pannello_.Valore(Pannello::Riga_Stato), k.messaggio) << k.attributi;
    EXPECT_EQ(c.server_->Stampe_Totali(), 0) << k.attributi;
  }
}

// A copy count beyond what the override field can hold is taken as 9999.
TEST_F(Strada_Robusta, HugeCopyCountIsTakenAsTheLargestOne) {
  Scs s;
  s.Testo("UNA PAGINA").NL().FF();
  Avvia("numero_spool = 7\npagine = 1\ncopie = 2147483647\nim2_file_2 = OVL2.BMP\n", s);
  img_.scrivi = false;
  ASSERT_TRUE(server_->Spool_Get()) << Log();
  EXPECT_EQ(server_->Stato().Copie_Immagini, 9999);
  EXPECT_EQ(img_.chiamate.size(), 9999u);
  EXPECT_EQ(Conta(Log(), "[Spool_Get] Copie 2147483647 ridotte a 9999"), 1u) << Log();
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Copie), " 9999");
}

// A spool number the done record cannot carry leaves the spool file on the
// host, reported once however often the host offers it again.
TEST(Strada_Robusta_Numero, SpoolNumberBeyondNineDigitsIsReportedOnce) {
  for (const char* numero : {"1000000000", "-1"}) {
    struct Prova : Strada_Robusta {
      void TestBody() override {}
    } c;
    c.Avvia(std::string("numero_spool = ") + numero + "\npagine = 2\n", Dati_Due_Pagine());
    for (int i = 0; i < 3; ++i) {
      EXPECT_FALSE(c.server_->Spool_Get()) << numero;
      c.orologio_.Avanza(60000);
    }
    EXPECT_TRUE(c.Record('D').empty()) << numero;
    EXPECT_EQ(c.Record('G').size(), 0u) << numero;
    EXPECT_EQ(c.Conta(c.Log(), "Numero del file di spool errato: " + std::string(numero)), 2u)
        << c.Log();  // the log line and the log table row
    EXPECT_EQ(c.pannello_.Valore(Pannello::Riga_Stato), "Numero del file di spool errato: " + std::string(numero));
    EXPECT_TRUE(std::filesystem::exists(c.coda_ / "0001_A"));
  }
}

// A spool file that fails the same way again and again is taken again after
// a pause that doubles each time, and the log says so once per step.
TEST(Strada_Robusta_Ritentativi, RepeatedFailuresOfOneSpoolFileBackOff) {
  struct Caso {
    std::vector<std::string> guasto;
    std::string attributi;
  } casi[] = {
      {{"--grow-body", "G=8200"}, ""},           // a block over 8192 bytes
      {{"--close", "G=40"}, ""},                 // a reply closed in the middle of its body
      {{}, "dimensione_dati = 2147483647\n"},    // more data than the host has
  };
  for (const auto& k : casi) {
    struct Prova : Strada_Robusta {
      void TestBody() override {}
    } c;
    const std::vector<std::string> guasto = k.guasto.empty() ? std::vector<std::string>{"--"} : k.guasto;
    c.Avvia(kAttributi + k.attributi, Dati_Due_Pagine(), k.guasto);
    int tentativi = 0;
    for (int secondo = 0; secondo < 20; ++secondo) {
      if (c.trasporto_.Socket(kSlot_Host) == net::kNessuno) {
        ASSERT_TRUE(c.conn_.Host_Collega()) << guasto[0];
      }
      const size_t prima = c.Record('S').size();
      EXPECT_FALSE(c.server_->Spool_Get()) << guasto[0];
      // A spool file taken again shows on the panel; one that waits does not.
      if (c.Record('S').size() > prima && c.pannello_.Valore(Pannello::Riga_Numero) == " 41") ++tentativi;
      c.pannello_.Valore_Imposta(Pannello::Riga_Numero, "");
      c.orologio_.Avanza(1000);
    }
    // At 0 and 1 s, then after 2, 4 and 8 s: 3, 7 and 15 s.
    EXPECT_EQ(tentativi, 5) << guasto[0] << c.Log();
    const std::string log = c.Log();
    EXPECT_EQ(c.Conta(log, "non riesce da"), 4u) << guasto[0] << log;
    EXPECT_NE(log.find("Il file di spool 41 non riesce da 2 volte: nuovo tentativo fra 2 secondi"), std::string::npos)
        << log;
    EXPECT_NE(log.find("non riesce da 5 volte: nuovo tentativo fra 16 secondi"), std::string::npos) << log;
    EXPECT_TRUE(c.Record('D').empty());
  }
  // The pause doubles up to its longest and stays there.
  std::vector<int64_t> pause;
  for (int32_t n = 1; n <= 11; ++n) pause.push_back(Spool_Server::Pausa_Ritentativo_ms(n) / 1000);
  EXPECT_EQ(pause, (std::vector<int64_t>{0, 2, 4, 8, 16, 32, 64, 128, 256, 256, 256}));
  EXPECT_EQ(Spool_Server::Pausa_Ritentativo_ms(INT32_MAX), Spool_Server::kPausa_Massima_ms);
}

// A stop request abandons the spool file at its next block of print data or
// its next page image, without its done record: the host keeps it.
TEST_F(Strada_Robusta, StopRequestAbandonsTheSpoolFileAtTheNextBlockOrPage) {
  Scs s;
  for (int p = 0; p < 200; ++p) s.Testo("PAGINA").NL().FF();
  Avvia("numero_spool = 5\npagine = 200\ncopie = 3\nim2_file_2 = OVL2.BMP\n", s, {"--spool-block", "100"});
  img_.scrivi = false;

  // While rendering: after the tenth image.
  server_->Arresto_Imposta([this] { return img_.chiamate.size() >= 10; });
  EXPECT_FALSE(server_->Spool_Get());
  EXPECT_TRUE(server_->Abbandonato());
  EXPECT_EQ(img_.chiamate.size(), 10u);
  EXPECT_EQ(Record('G').size(), 16u);

  // While fetching the print data: after the fourth block.
  int blocchi = 0;
  server_->Arresto_Imposta([&] { return ++blocchi > 3; });
  EXPECT_FALSE(server_->Spool_Get());
  EXPECT_TRUE(server_->Abbandonato());
  EXPECT_EQ(Record('G').size(), 16u + 4u);

  EXPECT_TRUE(Record('D').empty());
  EXPECT_EQ(Conta(Log(), "Arresto richiesto: il file di spool in corso viene abbandonato"), 2u);
  EXPECT_EQ(Conta(Log(), "non riesce"), 0u);  // abandoned is not failed
  EXPECT_TRUE(std::filesystem::exists(coda_ / "0001_A"));
  // Not asked any more: the same spool file goes to the end at once.
  server_->Arresto_Imposta({});
  EXPECT_TRUE(server_->Spool_Get()) << Log();
  EXPECT_EQ(img_.chiamate.size(), 10u + 600u);
}
