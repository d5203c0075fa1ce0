// The viewer's connection end to end against the stand-in host.
#include <gtest/gtest.h>

#include <memory>

#include "qod/basic.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/trasporto_client.h"
#include "qod/host_simulato.h"
#include "qod/prova/finti.h"
#include "support/pari.h"
#include "viewer_su_host.h"

using namespace qod;
using namespace qod::prova;

namespace {

class ClientConnection : public ::testing::Test {
 protected:
  void Avvia(std::vector<std::string> argomenti = {}) {
    argomenti.insert(argomenti.begin(),
                     {"--dictionary", Host_Simulato::Dizionario_Predefinito(), "--viewer", QOD_VIEWER_FIXTURE});
    // A user name of 12 characters.
    ASSERT_NO_FATAL_FAILURE(Viewer_Su_Host(host_, std::move(argomenti), dir_.Dir(), base_, dati_, "UTENTELUNGO1"));
    dati_.Collegamento.Porta_Ftp = host_->Porta_Ftp();
    dati_.Collegamento.Libreria = "QODLIB";
  }

  std::unique_ptr<Collegamento_Client> Nuovo(int istanza = 3) {
    return std::make_unique<Collegamento_Client>(base_, dati_, t_, istanza, attese_);
  }

  Cartella_Prova dir_{"collegamento_client"};
  std::unique_ptr<Host_Simulato> host_;
  FakeClock orologio_;
  RecordingMessageSink messaggi_;
  Base_Programma base_{orologio_, messaggi_, kNomi_Client};
  Dati_Collegamento dati_;
  Trasporto_Client t_{Attese_Rete{2000, 100, 1000}};
  Attese_Collegamento attese_;
};

}  // namespace

TEST_F(ClientConnection, StartsOverFtpLogsInAndReadsDictionaryAndDefinitions) {
  Avvia();
  auto c = Nuovo(3);
  ASSERT_TRUE(c->Host_Collega()) << (messaggi_.boxes.empty() ? "" : messaggi_.boxes[0].testo);
  EXPECT_TRUE(messaggi_.boxes.empty());

  bool rcmd = false;
  for (auto& v : host_->Log("FTP"))
    rcmd |= v.testo == "RCMD CALL QODLIB/ZUM_121 ('P" + Format(host_->Porta_Record(), "00000") + "')";
  EXPECT_TRUE(rcmd);

  // The login record: user cut to 10, the title fills its 15 columns (the
  // instance number is cut off), the local address, port and host name.
  std::string u;
  for (auto& v : host_->Log("REC"))
    if (!v.testo.empty() && v.testo[0] == 'U') u = v.testo;
  const std::string porta = Format(static_cast<int64_t>(Val(t_.Sock_Local_Port(1))), "00000");
  ASSERT_EQ(porta.size(), 5u);
  EXPECT_EQ(u, "U00075UTENTELUNGPW        Quillon Viewer " + Testo_Largo("127.0.0.1", 15) + porta +
                   Testo_Largo(Trasporto::Sock_Host_Name(), 20));
  EXPECT_EQ(u.size(), 81u);

  // Dictionary: the row marked "A" takes no number.
  const Dizionario_Campi& d = c->Dizionario();
  EXPECT_EQ(d.Numero, 18);
  EXPECT_EQ(d.Etichetta[15], "Data fattura");
  EXPECT_EQ(d.Etichetta[16], "Ragione sociale");
  EXPECT_EQ(d.Intestazione[16], "Cliente");
  EXPECT_EQ(d.Larghezza[16], 30);
  EXPECT_EQ(d.Inizio[16], d.Inizio[15] + 8);

  const Dati_Accesso& a = c->Accesso();
  EXPECT_EQ(a.Ordine_Dati[1], 14);
  EXPECT_EQ(a.Ordine_Dati[8], 10);
  EXPECT_EQ(a.Ordine_Dati[9], 0);
  EXPECT_EQ(a.Campo_Brv_Tipo, 17);
  EXPECT_EQ(a.Campo_Brv_Codice, 14);
  EXPECT_EQ(a.Modello_Brv_Riferimento, "RIF &01/&02");

  // Definitions 1, 2 and 5; 3 is marked "A", the others are refused.
  const auto r = c->Ricerche_Elenca();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].Numero, 1);
  EXPECT_EQ(r[0].Nome, "Fatture per cliente");
  EXPECT_EQ(r[1].Numero, 2);
  EXPECT_EQ(r[2].Numero, 5);
  EXPECT_EQ(r[2].Nome, "Per numero fattura");
  EXPECT_EQ(r[0].Testo.size(), 279u);
  EXPECT_EQ(Mid(r[0].Testo, 44, 2), "16");
  EXPECT_EQ(Mid(r[0].Testo, 236, 8), "14151618");
  EXPECT_NE(t_.Socket(1), net::kNessuno);  // refusals leave the stream in step
}

TEST(LoginBody, ShortBodyLeavesTheRestZeroAndEmpty) {
  const std::string corpo = "S" + std::string(50, ' ') + "007" + "141516" + std::string(3, ' ');  // 60 columns
  const Dati_Accesso a = Accesso_Decodifica(corpo);
  EXPECT_EQ(a.Ordine_Dati[1], 14);
  EXPECT_EQ(a.Ordine_Dati[3], 16);
  EXPECT_EQ(a.Ordine_Dati[4], 0);
  EXPECT_EQ(a.Campo_Brv_Tipo, 0);
  EXPECT_EQ(a.Campo_Brv_Codice, 0);
  EXPECT_EQ(a.Modello_Brv_Riferimento, "");
}

TEST_F(ClientConnection, FailuresEndWithOneMessage) {
  struct Caso {
    const char* nome;
    std::vector<std::string> argomenti;
    const char* messaggio;
  };
  const std::vector<Caso> casi = {
      {"greeting refused ten times", {"--greeting", "9"}, "Connessione al server non riuscita"},
      {"no login reply", {"--close", "U=0"}, "Connessione al server non riuscita"},
      {"dictionary transfer cut", {"--close", "T#3=4"}, "Connessione al server non riuscita"},
      {"login refused", {"--user", "ALTRO:X"}, "L'utente UTENTELUNGO1\r e/o la password sono errati"},
      {"negative client index", {"--user", "UTENTELUNG:PW:-2"}, "Indice del client errato"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    Avvia(c.argomenti);
    dati_.Collegamento.Libreria = "";  // no FTP start
    messaggi_.boxes.clear();
    auto col = Nuovo();
    EXPECT_FALSE(col->Host_Collega());
    ASSERT_EQ(messaggi_.boxes.size(), 1u);
    EXPECT_EQ(messaggi_.boxes[0].testo, c.messaggio);
    EXPECT_EQ(messaggi_.boxes[0].titolo, "Quillon      ERRORE");
    EXPECT_EQ(t_.Socket(1), net::kNessuno);
    host_.reset();
  }
}

// Every failed try, the tenth too, is followed by its 2 s pause of ten
// pumped 200 ms waits on the injected clock; a stop ends the last pause at
// once.
TEST_F(ClientConnection, TenRefusedTriesEachWithItsPauseThenOneMessage) {
  struct Caso {
    const char* nome;
    int stop_alla_pompa;  // 0: no stop
    int pompe;
  } casi[] = {
      {"no stop", 0, 10 * 10},
      {"stop in the last pause", 9 * 10 + 5, 9 * 10 + 5},
  };
  Avvia();
  Pari chiusa;
  dati_.Collegamento.Porta = chiusa.Porta();
  chiusa.Chiudi_Ascolto();  // nothing listens there
  dati_.Collegamento.Libreria = "";
  for (const auto& k : casi) {
    SCOPED_TRACE(k.nome);
    int pompe = 0;
    attese_.interrompi = [&] { return k.stop_alla_pompa > 0 && pompe >= k.stop_alla_pompa; };
    messaggi_.boxes.clear();
    const int64_t t0 = orologio_.Millisecondi();
    auto c = Nuovo();
    EXPECT_FALSE(c->Host_Collega([&] { ++pompe; }));
    EXPECT_EQ(pompe, k.pompe);
    EXPECT_EQ(orologio_.Millisecondi() - t0, int64_t{200} * k.pompe);
    ASSERT_EQ(messaggi_.boxes.size(), 1u);
    EXPECT_EQ(messaggi_.boxes[0].testo, "Connessione al server non riuscita");
    EXPECT_EQ(t_.Socket(1), net::kNessuno);
  }
}

TEST_F(ClientConnection, RefusedFtpPasswordIsShownAndTcpIsStillTried) {
  Avvia({"--ftp-wrong", "pass"});
  auto c = Nuovo();
  ASSERT_TRUE(c->Host_Collega());
  ASSERT_EQ(messaggi_.boxes.size(), 1u);
  EXPECT_EQ(messaggi_.boxes[0].testo, "Password errata");
  EXPECT_EQ(messaggi_.boxes[0].titolo, "Quillon      ERRORE");
  EXPECT_EQ(c->Dizionario().Numero, 18);
}
