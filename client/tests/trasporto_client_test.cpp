#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "qod/basic.h"
#include "qod/client/trasporto_client.h"
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

  Cartella_Prova dir_{"trasporto_client"};
  Trasporto_Client t_;
  Pari pari_;
  int pompate_ = 0;
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
