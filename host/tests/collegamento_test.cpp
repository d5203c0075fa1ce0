// The host connection end to end against the stand-in host.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>

#include "qod/ansi.h"
#include "qod/basic.h"
#include "qod/host/collegamento.h"
#include "qod/host/ftp.h"
#include "qod/host_simulato.h"
#include "qod/prova/finti.h"
#include "support/pari.h"

using namespace qod;
using namespace qod::prova;

namespace {

std::string Ripeti(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

// The record requests of one session of the stand-in, in order.
std::vector<Voce_Log> Richieste(const Host_Simulato& h, int sessione) {
  std::vector<Voce_Log> r;
  for (auto& v : h.Log("REC"))
    if (v.sessione == sessione) r.push_back(v);
  return r;
}

std::vector<int> Sessioni_Record(const Host_Simulato& h) {
  std::vector<int> r;
  for (auto& v : h.Log("EVT"))
    if (v.testo == "rec-connect") r.push_back(v.sessione);
  return r;
}

// The server's side of the connection: its program base and its
// connection values.
struct Base_Collegamento : Base_Programma, Dati_Collegamento {
  Base_Collegamento(Clock& orologio, MessageSink& messaggi) : Base_Programma(orologio, messaggi, kNomi_Server) {}
};

class Connection : public ::testing::Test {
 protected:
  // Starts the stand-in with the fixture dictionary and the user QSYS/PW
  // (index 7) unless the test gives its own users.
  void Avvia(std::vector<std::string> argomenti = {}, bool utente_predefinito = true) {
    argomenti.insert(argomenti.begin(), {"--dictionary", Host_Simulato::Dizionario_Predefinito()});
    if (utente_predefinito) argomenti.insert(argomenti.end(), {"--user", "QSYS:PW:7"});
    host_ = std::make_unique<Host_Simulato>(argomenti);
    ASSERT_TRUE(host_->Avvia()) << host_->Uscita();
  }

  // The server's folder, settings file and table, then its start-up.
  void Prepara(const std::string& libreria = "lib", int porta_ftp = -1, bool tabella = true) {
    std::filesystem::create_directories(cartella_);  // a test may have emptied it for another round
    if (tabella) {
      ASSERT_TRUE(Host_Simulato::Scrivi_Tabella(cartella_ / "Qod_TBL1.Tbl"));
    }
    Parametri_Collegamento p = host_->Collegamento("qsys", "pw");
    p.Porta_Ftp = porta_ftp < 0 ? host_->Porta_Ftp() : porta_ftp;
    p.Libreria = libreria;
    p.Indice_Server = 3;
    ASSERT_TRUE(Collegamento_Scrivi((cartella_ / "Qod_S.INI").string(), p.Componi()));
    base_.Cartella_Imposta(cartella_.string());
    ASSERT_TRUE(Collegamento_Leggi(base_.File_INI, base_.Collegamento));
    base_.Titolo_Login = "Quillon Server  3";
    base_.Riconnessione = false;
  }

  std::string Log_Server() const { return File_Leggi(cartella_ / "Qod_S.LOG"); }

  Cartella_Prova dir_{"collegamento"};
  const std::filesystem::path cartella_ = dir_.Dir();
  std::unique_ptr<Host_Simulato> host_;
  FakeClock orologio_;
  RecordingMessageSink messaggi_;
  Base_Collegamento base_{orologio_, messaggi_};
  Trasporto t_{Attese_Rete{1000, 50, 1000}};
  std::vector<std::string> etichette_;
  std::vector<int> stati_;
  int pompate_ = 0;
  Pump pompa_ = [this] { ++pompate_; };
  Connessione_Host c_{base_, base_, t_,
                      Effetti_Collegamento{[this](const std::string& e) { etichette_.push_back(e); },
                                           [this](int s) { stati_.push_back(s); }}};
};

}  // namespace

TEST_F(Connection, StartsLogsInAndReadsTheDictionary) {
  Avvia();
  Prepara();
  ASSERT_TRUE(c_.Host_Collega(pompa_));
  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_EQ(etichette_, (std::vector<std::string>{"non connesso", "Client 7"}));
  EXPECT_EQ(c_.Indice_Client, 7);

  // The dictionary of the fixture: 19 rows, one left out.
  const Dizionario_Campi& d = c_.Dizionario;
  ASSERT_EQ(d.Numero, 18);
  const int larghezze[] = {1, 10, 5, 4, 40, 5, 14, 10, 10, 10, 1, 1, 1, 8, 8, 30, 11, 12};
  const char* tipi = "AANAANZAAAAAANDANN";
  int inizio = 1;
  for (int k = 1; k <= 18; ++k) {
    EXPECT_EQ(d.Larghezza[k], larghezze[k - 1]) << k;
    EXPECT_EQ(d.Tipo[k], std::string(1, tipi[k - 1])) << k;
    EXPECT_EQ(d.Inizio[k], inizio) << k;
    inizio += larghezze[k - 1];
  }
  EXPECT_EQ(d.Inizio[14], 113);
  EXPECT_EQ(d.Inizio[19], 182);
  EXPECT_EQ(c_.Modello_Archivio, "0000000000000000" + Space(30) + "00000000000" + "000000000000");

  // The FTP dialogue, with the library and the port of the connection record.
  ASSERT_TRUE(host_->Attendi_Evento("ftp-close"));
  std::vector<std::string> ftp;
  for (auto& v : host_->Log("FTP")) ftp.push_back(v.testo);
  char porta[6];
  std::snprintf(porta, sizeof porta, "%05d", host_->Porta_Record());
  EXPECT_EQ(ftp, (std::vector<std::string>{"USER QSYS", "PASS PW",
                                           "RCMD CALL LIB/ZUM_121 ('P" + std::string(porta) + "')", "QUIT"}));

  // The exact records: the login and the dictionary rows.
  auto sessioni = Sessioni_Record(*host_);
  ASSERT_EQ(sessioni.size(), 1u);
  auto rec = Richieste(*host_, sessioni[0]);
  ASSERT_EQ(rec.size(), 1u + 20u);  // U, rows 1..19, row 20 ends the list
  const std::string atteso_u = "U00075QSYS      PW        Quillon Server " + Testo_Largo("127.0.0.1", 15) +
                               Format(static_cast<int64_t>(Val(t_.Sock_Local_Port(1))), "00000") +
                               Testo_Largo(Trasporto::Sock_Host_Name(), 20);
  EXPECT_EQ(rec[0].testo, atteso_u);
  EXPECT_EQ(rec[0].Byte().size(), 81u);
  EXPECT_EQ(rec[0].esa.substr(0, 12), "E4F0F0F0F7F5");
  EXPECT_EQ(rec[1].esa, "E3F0F0F0F2F2C3C1F0F1" + Ripeti("40", 18));
  EXPECT_EQ(rec[1].testo, "T00022CA01" + Space(18));
  EXPECT_EQ(rec[20].testo, "T00022CA20" + Space(18));
  EXPECT_EQ(host_->Eventi("program-confirm"), 1);
}

TEST_F(Connection, NoFtpWithoutALibraryOrAnFtpPort) {
  Avvia();
  for (auto [libreria, porta_ftp] : {std::pair<std::string, int>{"", -1}, {"LIB", 0}}) {
    Prepara(libreria, porta_ftp);
    ASSERT_TRUE(c_.Host_Collega(pompa_));
    c_.Host_Scollega();
    std::filesystem::remove_all(cartella_);
  }
  EXPECT_EQ(host_->Eventi("ftp-connect"), 0);
  EXPECT_EQ(Sessioni_Record(*host_).size(), 2u);
}

TEST_F(Connection, ReconnectAfterAnErrorSendsTheIndexAndNoFtp) {
  Avvia();
  Prepara();
  ASSERT_TRUE(c_.Host_Collega(pompa_));
  c_.Host_Scollega_Riprova();
  EXPECT_EQ(stati_, std::vector<int>{4});
  EXPECT_EQ(etichette_.back(), "non connesso");
  EXPECT_TRUE(base_.Riconnessione);
  EXPECT_EQ(t_.Socket(1), net::kNessuno);

  ASSERT_TRUE(c_.Host_Collega(pompa_));
  EXPECT_FALSE(base_.Riconnessione);
  EXPECT_EQ(host_->Eventi("ftp-connect"), 1);
  auto sessioni = Sessioni_Record(*host_);
  ASSERT_EQ(sessioni.size(), 2u);
  auto rec = Richieste(*host_, sessioni[1]);
  ASSERT_GE(rec.size(), 3u);
  EXPECT_EQ(rec[0].testo.substr(0, 6), "U00075");
  EXPECT_EQ(rec[1].testo, "X00003007");
  EXPECT_EQ(rec[1].esa, "E7F0F0F0F0F3F0F0F7");
  EXPECT_EQ(rec[2].testo.substr(0, 10), "T00022CA01");
  EXPECT_EQ(c_.Dizionario.Numero, 18);

  // A clean disconnection clears the mark: the next connection starts over FTP.
  c_.Host_Scollega();
  EXPECT_FALSE(base_.Riconnessione);
  ASSERT_TRUE(c_.Host_Collega(pompa_));
  EXPECT_EQ(host_->Eventi("ftp-connect"), 2);
}

TEST_F(Connection, NoReconnectRecordForIndexZero) {
  Avvia({"--user", "QSYS:PW:0"}, false);
  Prepara();
  ASSERT_TRUE(c_.Host_Collega(pompa_));
  EXPECT_EQ(etichette_.back(), "Client 0");
  c_.Host_Scollega_Riprova();
  ASSERT_TRUE(c_.Host_Collega(pompa_));
  auto sessioni = Sessioni_Record(*host_);
  ASSERT_EQ(sessioni.size(), 2u);
  auto rec = Richieste(*host_, sessioni[1]);
  ASSERT_GE(rec.size(), 2u);
  EXPECT_EQ(rec[1].testo.substr(0, 10), "T00022CA01");
}

TEST_F(Connection, HostProgramThatDiedIsStartedAgainOverFtp) {
  Avvia({"--program-on-rcmd", "--end-with-session"});
  Prepara();
  ASSERT_TRUE(c_.Host_Collega(pompa_));
  c_.Host_Scollega_Riprova();  // a transfer error
  ASSERT_TRUE(host_->Attendi_Evento("program-end"));

  // The mark is taken and cleared by this attempt, which finds nobody.
  EXPECT_FALSE(c_.Host_Collega(pompa_));
  EXPECT_FALSE(base_.Riconnessione);
  EXPECT_EQ(host_->Eventi("ftp-connect"), 1);
  EXPECT_EQ(host_->Eventi("rec-refused"), 10);
  EXPECT_TRUE(messaggi_.boxes.empty());

  // So the next one starts the host program again.
  ASSERT_TRUE(c_.Host_Collega(pompa_));
  EXPECT_EQ(host_->Eventi("ftp-connect"), 2);
  EXPECT_EQ(host_->Eventi("program-start"), 2);
  EXPECT_EQ(c_.Indice_Client, 7);
}

TEST_F(Connection, BodiesOnRepliesWithoutOneAreDropped) {
  Avvia({"--body-on-empty", "16"});
  Prepara();
  ASSERT_TRUE(c_.Host_Collega(pompa_));  // greeting and end of list with a body
  c_.Host_Scollega_Riprova();
  ASSERT_TRUE(c_.Host_Collega(pompa_));  // and the X acknowledgement
  EXPECT_EQ(c_.Dizionario.Numero, 18);
  EXPECT_EQ(c_.Indice_Client, 7);

  // The stream is still in step: the next reply reads as it should.
  ASSERT_TRUE(t_.Sock_Write(1, "T00022CA05", 28));
  ASSERT_TRUE(t_.Sock_Read(1, 6));
  EXPECT_EQ(t_.Sock_Field("A", 1, 1), "0");
  ASSERT_EQ(t_.Sock_Field("S", 2, 5, 5, 0), "00082");
  ASSERT_TRUE(t_.Sock_Read(1, 82));
  EXPECT_EQ(Trim(t_.Sock_Field("A", 24, 40)), "Chiave documento");
  EXPECT_EQ(t_.Sock_Field("S", 79, 3, 3, 0), "040");
}

TEST_F(Connection, RefusedLoginShowsTheUser) {
  Avvia({"--user", "ALTRO:X:1"}, false);
  Prepara();
  EXPECT_FALSE(c_.Host_Collega(pompa_));
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "L'utente QSYS\r e/o la password sono errati");
  EXPECT_EQ(messaggi_.boxes[0].stile, vbCritical);
  EXPECT_EQ(messaggi_.boxes[0].titolo, "Quillon     ERRORE");
  EXPECT_EQ(t_.Socket(1), net::kNessuno);
  EXPECT_EQ(etichette_, std::vector<std::string>{"non connesso"});
}

TEST_F(Connection, NegativeClientIndexIsRefused) {
  Avvia({"--user", "QSYS:PW:-5"}, false);
  Prepara();
  EXPECT_FALSE(c_.Host_Collega(pompa_));
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Indice del client errato");
  EXPECT_EQ(t_.Socket(1), net::kNessuno);
}

TEST_F(Connection, FtpFailureIsShownAndTheConnectionGoesOn) {
  Avvia({"--ftp-wrong", "pass"});
  Prepara();
  ASSERT_TRUE(c_.Host_Collega(pompa_));  // the host program was running anyway
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Password errata");
  EXPECT_EQ(messaggi_.boxes[0].titolo, "Quillon     ERRORE");
}

TEST_F(Connection, GreetingRefusedTenTimesGivesUpSilently) {
  Avvia({"--greeting", "9"});
  Prepara("");
  EXPECT_FALSE(c_.Host_Collega(pompa_));
  EXPECT_TRUE(messaggi_.boxes.empty());
  ASSERT_TRUE(host_->Attendi_Log([](const std::vector<Voce_Log>& log) {
    int n = 0;
    for (auto& v : log) n += v.testo == "rec-close";
    return n == 10;
  }));
  EXPECT_EQ(Sessioni_Record(*host_).size(), 10u);
  EXPECT_EQ(pompate_, 9 * 10);  // 2 s between attempts, as 10 pumped pauses
  EXPECT_EQ(t_.Socket(1), net::kNessuno);
}

TEST_F(Connection, PauseBetweenAttemptsGivesUpWhenAskedTo) {
  Avvia({"--greeting", "9"});
  Prepara("");
  int pompe = 0;
  Attese_Collegamento attese;
  attese.interrompi = [&] { return pompe >= 13; };
  Connessione_Host c(base_, base_, t_, {}, attese);
  EXPECT_FALSE(c.Host_Collega([&] { ++pompe; }));
  EXPECT_EQ(pompe, 13);  // the second pause, third pump
  EXPECT_EQ(Sessioni_Record(*host_).size(), 2u);
  EXPECT_EQ(t_.Socket(1), net::kNessuno);
}

TEST_F(Connection, MissingTableIsLoggedAndTheConnectionStillTried) {
  Avvia();
  Prepara("", -1, false);
  EXPECT_FALSE(c_.Host_Collega(pompa_));  // every byte converts to 0
  const std::string log = Log_Server();
  const std::string riga = "tabella di conversione mancante o corta";
  ASSERT_NE(log.find(riga), std::string::npos);
  EXPECT_EQ(log.find(riga), log.rfind(riga));
  EXPECT_EQ(Sessioni_Record(*host_).size(), 10u);
}

TEST_F(Connection, DictionaryTransferFailureKeepsTheRowsRead) {
  Avvia({"--close", "T#5=10"});
  Prepara();
  EXPECT_FALSE(c_.Host_Collega(pompa_));
  EXPECT_EQ(c_.Dizionario.Numero, 4);
  EXPECT_EQ(c_.Modello_Archivio, "");  // not even the fixed part
  EXPECT_EQ(etichette_.back(), "Client 7");
  EXPECT_EQ(t_.Socket(1), net::kNessuno);
  EXPECT_TRUE(messaggi_.boxes.empty());
}

TEST_F(Connection, ReplyCutOrLateBeyondTheWaitFails) {
  for (const char* guasto : {"--cut", "--slow"}) {
    Avvia({guasto, std::string(guasto) == "--cut" ? "U=30" : "U=800"});
    Prepara("");
    t_.Imposta_Attese(Attese_Rete{300, 50, 1000});
    EXPECT_FALSE(c_.Host_Collega(pompa_)) << guasto;
    EXPECT_TRUE(messaggi_.boxes.empty());
    EXPECT_EQ(t_.Socket(1), net::kNessuno);
    std::filesystem::remove_all(cartella_);
  }
}

TEST_F(Connection, LateReplyWithinTheWaitPasses) {
  Avvia({"--slow", "U=150", "--slow", "T#3=150"});
  Prepara("");
  EXPECT_TRUE(c_.Host_Collega(pompa_));
  EXPECT_EQ(c_.Dizionario.Numero, 18);
}

// ---- Replies that never end, and a stop request ----------------------------

// An FTP server that never ends its greeting, and a host that drips its
// reply one byte at a time, are answered at the wait's limit for the whole
// reply, however the bytes keep coming (the log line names the step that
// gave up). The waits are of 1 s at most; the bound on the whole leaves room
// for a loaded machine and the sanitizers.
TEST_F(Connection, EndlessOrDrippingRepliesEndAtTheLimit) {
  struct Caso {
    std::vector<std::string> argomenti;
    std::string libreria;
    bool collegato;  // the host program was running anyway
    std::string log;
  } casi[] = {
      {{"--ftp-endless-greeting", "20"}, "LIB", true, "[Host_Collega] Il server FTP non risponde"},
      {{"--drip", "U=40"}, "", false, "[Host_Collega] Accesso non riuscito {U}"},
      {{"--drip", "T#2=20"}, "", false, "[Host_Collega] Errore lettura dizionario {T}"},
  };
  for (const auto& k : casi) {
    Avvia(k.argomenti);
    Prepara(k.libreria);
    t_.Imposta_Attese(Attese_Rete{300, 100, 1000});
    const auto inizio = std::chrono::steady_clock::now();
    EXPECT_EQ(c_.Host_Collega(pompa_), k.collegato) << k.argomenti[0];
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, std::chrono::milliseconds(5000)) << k.argomenti[0];
    EXPECT_NE(Log_Server().find(k.log), std::string::npos) << Log_Server();
    c_.Host_Scollega();
    std::filesystem::remove_all(cartella_);
  }
}

// A failed FTP start is always logged; in the automatic cycle no message box
// holds the cycle up, outside it the operator sees the box.
TEST_F(Connection, FtpFailuresAreLoggedAndNeverHoldUpTheAutomaticCycle) {
  struct Caso {
    std::vector<std::string> argomenti;
    std::string errore;
  } casi[] = {
      {{"--ftp-silent", "greeting"}, "Il server FTP non risponde"},
      {{"--ftp-wrong", "greeting"}, A("Il server FTP non è pronto")},
      {{"--ftp-wrong", "pass"}, "Password errata"},
  };
  for (const bool automatico : {true, false}) {
    for (const auto& k : casi) {
      Avvia(k.argomenti);
      Prepara();
      t_.Imposta_Attese(Attese_Rete{300, 50, 1000});
      messaggi_.boxes.clear();
      Connessione_Host c(base_, base_, t_, Effetti_Collegamento{{}, {}, [&] { return automatico; }});
      EXPECT_TRUE(c.Host_Collega(pompa_)) << k.errore;
      EXPECT_EQ(messaggi_.boxes.size(), automatico ? 0u : 1u) << k.errore;
      EXPECT_NE(Log_Server().find(" - [Host_Collega] " + k.errore + "\r\n"), std::string::npos) << Log_Server();
      c.Host_Scollega();
      std::filesystem::remove_all(cartella_);
    }
  }
}

// A stop request ends every wait within a slice, whatever the wait's limit:
// inside the FTP dialogue and inside a record read. The message loop runs
// meanwhile, so the stop can arrive.
TEST_F(Connection, StopRequestEndsAnyWaitWithinASlice) {
  struct Caso {
    std::vector<std::string> argomenti;
    std::string libreria;
  } casi[] = {
      {{"--ftp-endless-greeting", "20"}, "LIB"},
      {{"--ftp-silent", "user"}, "LIB"},
      {{"--slow", "U=30000"}, ""},
      {{"--drip", "T=1000"}, ""},
  };
  for (const auto& k : casi) {
    Avvia(k.argomenti);
    Prepara(k.libreria);
    int pompe = 0;
    Trasporto t(Attese_Rete{}, [&] { ++pompe; });  // the real 20 s limits
    const auto inizio = std::chrono::steady_clock::now();
    auto stop = [&] { return std::chrono::steady_clock::now() - inizio > std::chrono::milliseconds(300); };
    t.Imposta_Interruzione(stop);
    Attese_Collegamento attese;
    attese.interrompi = stop;
    messaggi_.boxes.clear();
    Connessione_Host c(base_, base_, t, {}, attese);
    EXPECT_FALSE(c.Host_Collega(pompa_)) << k.argomenti[0];
    EXPECT_LT(std::chrono::steady_clock::now() - inizio, std::chrono::milliseconds(5000)) << k.argomenti[0];
    EXPECT_GT(pompe, 0) << k.argomenti[0];
    EXPECT_TRUE(messaggi_.boxes.empty()) << k.argomenti[0];
    EXPECT_EQ(t.Socket(1), net::kNessuno) << k.argomenti[0];
    std::filesystem::remove_all(cartella_);
  }
}

// ---- The FTP dialogue alone -------------------------------------------------

TEST_F(Connection, FtpDialogueMessages) {
  struct Caso {
    std::vector<std::string> argomenti;
    std::string errore;
    bool quit;
  } casi[] = {
      {{"--ftp-silent", "greeting"}, "Il server FTP non risponde", false},
      {{"--ftp-wrong", "greeting"}, A("Il server FTP non è pronto"), false},
      {{"--ftp-silent", "user"}, "Il server FTP non risponde (USER)", false},
      {{"--ftp-wrong", "user"}, "Utente errato", false},  // USER answered with 230
      {{"--ftp-silent", "pass"}, "Il server FTP non risponde (PASS)", false},
      {{"--ftp-wrong", "pass"}, "Password errata", false},
      {{"--ftp-silent", "rcmd"}, "Il server FTP non risponde (RCMD)", false},
      {{"--ftp-wrong", "rcmd"}, "Comando non eseguito", false},
      {{"--ftp-multiline"}, "", true},
  };
  // The long wait is what the silent steps cost, but every reply before them
  // must come within it too, also from a stand-in slowed down by a loaded
  // machine. Further lines of a reply come in the same write.
  t_.Imposta_Attese(Attese_Rete{2000, 50, 1000});
  for (const auto& c : casi) {
    Host_Simulato h(c.argomenti);
    ASSERT_TRUE(h.Avvia()) << h.Uscita();
    std::string errore = "x";
    std::vector<std::string> righe = {"vecchia"};
    // The program on the stand-in's own record port: a fixed one may be
    // taken by another test running at the same time.
    char comando[40];
    std::snprintf(comando, sizeof comando, " CALL LIB/ZUM_121 ('P%05d')", h.Porta_Record());
    const bool ok = Ftp_Comando(t_, 1, "127.0.0.1", h.Porta_Ftp(), " qsys ", "pw ", comando, errore, &righe);
    EXPECT_EQ(ok, c.errore.empty()) << c.argomenti[0];
    EXPECT_EQ(errore, c.errore) << c.argomenti[0];
    EXPECT_EQ(t_.Socket(1), net::kNessuno);
    ASSERT_TRUE(h.Attendi_Evento("ftp-close")) << c.argomenti[0];
    bool quit = false;
    for (auto& v : h.Log("FTP")) quit = quit || v.testo == "QUIT";
    EXPECT_EQ(quit, c.quit) << c.argomenti[0];
    if (c.quit) {
      ASSERT_EQ(righe.size(), 12u);  // four replies of three lines
      EXPECT_EQ(righe[0], "220-Pronto");
      EXPECT_EQ(righe[2], "220 Pronto");
      EXPECT_EQ(righe[11], "250 Comando eseguito");
      EXPECT_EQ(h.Log("FTP")[0].testo, "USER qsys");
    }
  }
}

TEST_F(Connection, FtpPortNotOpen) {
  Pari p;
  const int porta = p.Porta();
  p.Chiudi_Ascolto();
  std::string errore;
  EXPECT_FALSE(Ftp_Comando(t_, 1, "127.0.0.1", porta, "U", "P", "C", errore));
  EXPECT_EQ(errore, "Apertura della porta " + std::to_string(porta) + " non riuscita");
}
