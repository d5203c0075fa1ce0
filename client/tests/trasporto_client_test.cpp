#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "qod/basic.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/trasporto_client.h"
#include "qod/prova/finti.h"
#include "support/pari.h"

using namespace qod;
using namespace qod::prova;
using namespace std::chrono;

namespace {

int64_t Ms_Da(steady_clock::time_point t) { return duration_cast<milliseconds>(steady_clock::now() - t).count(); }

// The viewer's transport on one loopback connection, the other end driven by
// the test. The budgets are the viewer's unless a test gives short ones.
class ClientTransport : public ::testing::Test {
 protected:
  void Avvia(Attese_Rete attese = kAttese_Client) {
    t_.Imposta_Attese(attese);
    t_.Imposta_Pompa([this] { ++pompate_; });
    const std::string tabella = (dir_.Dir() / "Qod_TBL1.Tbl").string();
    Tabella_Scrivi(tabella, Tabella_Prova());
    std::string descrizione, indirizzo;
    ASSERT_TRUE(t_.Sock_Init(descrizione, tabella));
    ASSERT_TRUE(t_.Sock_Connect(1, "127.0.0.1", pari_.Porta(), indirizzo));
    ASSERT_TRUE(pari_.Accetta());
  }

  // Runs the transport's waits on `orologio_`: what the peer has sent is
  // ready at once; otherwise a wait lets its whole slice pass on the clock
  // in no real time, unless `Consegna` scheduled bytes inside the slice:
  // then the clock stops at that moment and the peer sends them.
  void Tempo_Finto() {
    t_.Imposta_Orologio(orologio_);
    t_.Imposta_Attesa_Socket([this](net::Handle fd, net::Attesa modo, int limite_ms) {
      if (fd == net::kNessuno) return false;
      if (net::Attendi(fd, modo, 0)) return true;
      const int64_t adesso = orologio_.Millisecondi();
      if (consegna_ms_ >= 0 && consegna_ms_ <= adesso + limite_ms) {
        orologio_.Avanza(consegna_ms_ - adesso);
        consegna_ms_ = -1;
        pari_.Invia(consegna_);
        return net::Attendi(fd, modo, 2000);  // on its way over loopback
      }
      orologio_.Avanza(limite_ms);
      return false;
    });
  }
  // The peer sends `dati` when the clock reads `ms`.
  void Consegna(int64_t ms, std::string dati) {
    consegna_ms_ = ms;
    consegna_ = std::move(dati);
  }

  Cartella_Prova dir_{"trasporto_client"};
  Trasporto_Client t_;
  Pari pari_;
  int pompate_ = 0;
  FakeClock orologio_;
  int64_t consegna_ms_ = -1;
  std::string consegna_;
};

}  // namespace

TEST_F(ClientTransport, BytesBeyondOneReadStayForTheNext) {
  Avvia();
  pari_.Invia(Esa("F0 F0 F0 F0 F0 F4 C1 C2 C3 C4"));  // a header and the start of a body
  ASSERT_TRUE(t_.Sock_Read(1, 6));
  EXPECT_EQ(Val(t_.Sock_Field("S", 2, 5)), 4);
  EXPECT_EQ(t_.Ricevuti(), 4);
  const auto ricezioni = t_.Statistiche().ricezioni;
  ASSERT_TRUE(t_.Sock_Read(1, 4));
  EXPECT_EQ(t_.Statistiche().ricezioni, ricezioni);  // no receive needed
  EXPECT_EQ(t_.Sock_Field("A", 1, 4), "ABCD");
}

TEST_F(ClientTransport, LengthOutOfRangeFailsWithoutReceiving) {
  Avvia();
  pari_.Invia("xyz");
  for (int n : {0, -1, 8193}) {
    SCOPED_TRACE(n);
    EXPECT_FALSE(t_.Sock_Read(1, n));
  }
  EXPECT_EQ(t_.Statistiche().ricezioni, 0u);
  EXPECT_NE(t_.Socket(1), net::kNessuno);  // nothing was read: the stream is still in step
  EXPECT_TRUE(t_.Sock_Read(1, 3));
}

TEST_F(ClientTransport, TwoLinesInOneReceive) {
  Avvia();
  pari_.Invia("220 pronto\r\n331 utente\r\n");
  std::string riga;
  ASSERT_TRUE(t_.Sock_ReadLine(1, riga, true));
  EXPECT_EQ(riga, "220 pronto");
  ASSERT_TRUE(t_.Sock_ReadLine(1, riga, false));
  EXPECT_EQ(riga, "331 utente");
  EXPECT_EQ(t_.Statistiche().ricezioni - t_.Statistiche().vuote, 1u);
  EXPECT_EQ(t_.Ricevuti(), 0);
}

TEST_F(ClientTransport, LineReadsGiveUpAfterTheirBudgets) {
  Avvia(Attese_Rete{400, 60, 1000});
  struct Caso {
    bool lunga;
    const char* riga;
    int budget_ms;
    bool chiusa;  // the failure closes the connection
  };
  // The short wait ends an FTP reply and leaves the connection alone; the
  // long one means the host does not answer.
  for (const Caso& c : {Caso{false, ">", 60, false}, Caso{true, "?", 400, true}}) {
    SCOPED_TRACE(c.riga);
    std::string riga = "x";
    const auto t0 = steady_clock::now();
    EXPECT_FALSE(t_.Sock_ReadLine(1, riga, c.lunga));
    EXPECT_EQ(riga, c.riga);
    EXPECT_GE(Ms_Da(t0), c.budget_ms - 5);
    EXPECT_EQ(t_.Socket(1) == net::kNessuno, c.chiusa);
  }
  EXPECT_GT(pompate_, 0);  // the message loop ran while waiting
}

// The viewer's own budgets, 0.5 s and 600 s, on a clock the test moves: the
// waits take no real time, and the clock shows each budget run out in full.
TEST_F(ClientTransport, LineReadsGiveUpAfterTheirFullBudgetsOnTheClock) {
  Avvia();
  Tempo_Finto();
  struct Caso {
    bool lunga;
    const char* riga;
    int64_t budget_ms;
    bool chiusa;
  };
  const auto t0_reale = steady_clock::now();
  for (const Caso& c : {Caso{false, ">", 500, false}, Caso{true, "?", 600000, true}}) {
    SCOPED_TRACE(c.riga);
    std::string riga = "x";
    const int64_t t0 = orologio_.Millisecondi();
    const int pompate = pompate_;
    EXPECT_FALSE(t_.Sock_ReadLine(1, riga, c.lunga));
    EXPECT_EQ(riga, c.riga);
    const int64_t passati = orologio_.Millisecondi() - t0;
    EXPECT_GE(passati, c.budget_ms);
    EXPECT_LE(passati, c.budget_ms + 250);
    EXPECT_EQ(t_.Socket(1) == net::kNessuno, c.chiusa);
    // The message loop ran at least once for every second of the wait.
    EXPECT_GE(pompate_ - pompate, c.budget_ms / 1000);
  }
  EXPECT_LT(Ms_Da(t0_reale), 2000);

  // The stream is out of step: the later exchanges fail at once, each at
  // its own step, with no wait.
  const int64_t t1 = orologio_.Millisecondi();
  Intestazione_Risposta r;
  EXPECT_FALSE(t_.Richiesta(1, 'T', "CR01", r, 22));
  EXPECT_FALSE(t_.Sock_Read(1, 6));
  std::string riga;
  EXPECT_FALSE(t_.Sock_ReadLine(1, riga, true));
  EXPECT_EQ(riga, "?");
  EXPECT_EQ(orologio_.Millisecondi(), t1);
}

// The budget is a limit on the whole read: data whose last bytes come in
// its final millisecond still makes a whole line or block.
TEST_F(ClientTransport, LastBytesJustBeforeTheBudgetEndsAreRead) {
  Avvia();
  Tempo_Finto();
  struct Caso {
    const char* nome;
    bool riga;   // a line read, else a 6-byte block
    bool lunga;  // the long wait
    int64_t budget_ms;
    const char* prima;  // sent at once
    const char* ultimi;  // sent 1 ms before the budget ends
    const char* atteso;  // the line, or the block as hex
  };
  const Caso casi[] = {
      {"riga breve", true, false, 500, "211-sta", "to\r\n", "211-stato"},
      {"riga lunga", true, true, 600000, "220 pro", "nto\r\n", "220 pronto"},
      {"blocco", false, true, 600000, "\xF0\xF0\xF0", "\xF0\xF1\xF2", "F0F0F0F0F1F2"},
  };
  for (const Caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const int64_t t0 = orologio_.Millisecondi();
    pari_.Invia(c.prima);
    Consegna(t0 + c.budget_ms - 1, c.ultimi);
    if (c.riga) {
      std::string riga;
      EXPECT_TRUE(t_.Sock_ReadLine(1, riga, c.lunga));
      EXPECT_EQ(riga, c.atteso);
    } else {
      ASSERT_TRUE(t_.Sock_Read(1, 6));
      EXPECT_EQ(In_Esa(std::string(reinterpret_cast<const char*>(t_.Buffer_Record().data()), 6)), c.atteso);
    }
    EXPECT_EQ(orologio_.Millisecondi() - t0, c.budget_ms - 1);
    EXPECT_EQ(consegna_ms_, -1);  // the late bytes were sent
    EXPECT_EQ(t_.Ricevuti(), 0);
    EXPECT_NE(t_.Socket(1), net::kNessuno);
  }
}

TEST_F(ClientTransport, BudgetHoldsForTheWholeReadNotEachWait) {
  Avvia(Attese_Rete{300, 60, 1000});
  const auto t0 = steady_clock::now();
  pari_.Invia("\xF0");
  // The budget runs out while the peer keeps the rest back.
  EXPECT_FALSE(t_.Sock_Read(1, 6));
  EXPECT_LT(Ms_Da(t0), 2000);
}

TEST_F(ClientTransport, ClosedPeerFailsAtOnce) {
  Avvia();  // the 600 s budget
  pari_.Invia(Esa("F0 F0"));
  pari_.Chiudi();
  const auto t0 = steady_clock::now();
  EXPECT_FALSE(t_.Sock_Read(1, 6));
  EXPECT_LT(Ms_Da(t0), 1000);
  std::string riga;
  EXPECT_FALSE(t_.Sock_ReadLine(1, riga, true));
  EXPECT_EQ(riga, "?");
  EXPECT_LT(Ms_Da(t0), 1000);
}

TEST_F(ClientTransport, FailedReadDropsTheBufferAndLaterExchangesFail) {
  Avvia(Attese_Rete{200, 60, 1000});
  pari_.Invia(Esa("F0 F0 F0"));  // half a header, then nothing
  EXPECT_FALSE(t_.Sock_Read(1, 6));
  EXPECT_EQ(t_.Ricevuti(), 0);
  EXPECT_EQ(t_.Socket(1), net::kNessuno);
  // The rest of the header arrives too late: nobody reads it as a new reply.
  Intestazione_Risposta r;
  EXPECT_FALSE(t_.Richiesta(1, 'T', "CR01", r, 22));
  EXPECT_FALSE(t_.Sock_Read(1, 6));
}

TEST_F(ClientTransport, WriteCutsAndPadsToTheRecordLength) {
  Avvia();
  ASSERT_TRUE(t_.Sock_Write(1, "AB", 4));
  EXPECT_EQ(In_Esa(pari_.Ricevi(4)), "C1C24040");
  ASSERT_TRUE(t_.Sock_Write(1, "ABCD", 2));
  EXPECT_EQ(In_Esa(pari_.Ricevi(2)), "C1C2");
}

// A search definition longer than a record is dropped whole: the answers to
// the requests after it are still theirs.
TEST_F(ClientTransport, OversizedDefinitionIsDroppedAndTheStreamStaysInStep) {
  Avvia();
  pari_.Invia(Esa("F0 F0 F9 F0 F0 F0") + std::string(9000, '\xF0') +  // accepted, 9000 bytes of "0"
              Esa("F1 F0 F0 F0 F0 F0") +                            // refused, no body
              Esa("F0 F0 F0 F0 F0 F3 C1 C2 C3"));                   // accepted, "ABC"
  std::string testo = "previous";
  EXPECT_EQ(Definizione_Leggi(t_, 1, testo), Esito_Definizione::Rifiutata);
  EXPECT_EQ(testo, "");
  EXPECT_EQ(Definizione_Leggi(t_, 2, testo), Esito_Definizione::Rifiutata);
  EXPECT_EQ(Definizione_Leggi(t_, 3, testo), Esito_Definizione::Letta);
  EXPECT_EQ(testo, "ABC");
  EXPECT_NE(t_.Socket(1), net::kNessuno);
}
