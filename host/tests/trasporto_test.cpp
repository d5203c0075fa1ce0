#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/socket.h>

#include "qod/host/trasporto.h"
#include "support/pari.h"

using namespace qod;
using namespace qod::prova;
using namespace std::chrono;

namespace {

class Transport : public ::testing::Test {
 protected:
  void SetUp() override {
    tabella_ = (cartella_ / "Qod_TBL1.Tbl").string();
    Tabella_Scrivi(tabella_, Tabella_Prova());
    t_.Imposta_Registro([this](const std::string& r) { log_.push_back(r); });
    t_.Imposta_Pompa([this] { ++pompate_; });
    std::string descrizione;
    ASSERT_TRUE(t_.Sock_Init(descrizione, tabella_));
  }

  void Connetti() {
    std::string indirizzo;
    ASSERT_TRUE(t_.Sock_Connect(1, "127.0.0.1", pari_.Porta(), indirizzo));
    EXPECT_EQ(indirizzo, "127.0.0.1:" + std::to_string(pari_.Porta()));
    ASSERT_TRUE(pari_.Accetta());
  }

  Cartella_Prova dir_{"trasporto"};
  const std::filesystem::path cartella_ = dir_.Dir();
  std::string tabella_;
  std::vector<std::string> log_;
  int pompate_ = 0;
  Trasporto t_{Attese_Rete{2000, 100, 1000}};
  Pari pari_;
};

std::string Ripeti(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

int64_t Ms_Da(steady_clock::time_point t) { return duration_cast<milliseconds>(steady_clock::now() - t).count(); }

}  // namespace

TEST_F(Transport, TablesFromTheFile) {
  EXPECT_TRUE(log_.empty());
  EXPECT_EQ(t_.Tabella()[0xC1], 'A');
  EXPECT_EQ(t_.Tabella_Inversa()['A'], 0xC1);
  EXPECT_EQ(t_.Tabella_Inversa()[' '], 0x40);
  EXPECT_EQ(t_.Tabella_Inversa()['['], 0xB1);  // two codes give "[": the higher wins
  EXPECT_EQ(t_.Tabella_Inversa()[0x80], 0);     // "€": no code gives it
  const auto& p = t_.Tabella_Packed();
  EXPECT_EQ(std::string(p[0x12].data(), 2), "12");
  EXPECT_EQ(std::string(p[0x1C].data(), 2), "1 ");
  EXPECT_EQ(std::string(p[0x90].data(), 2), "90");
  EXPECT_EQ(std::string(p[159].data(), 2), "9 ");
  // Started: a second call changes nothing, even with another file.
  std::string d;
  EXPECT_TRUE(t_.Sock_Init(d, (cartella_ / "nessuna").string()));
  EXPECT_EQ(t_.Tabella()[0xC1], 'A');
}

TEST_F(Transport, MissingOrShortTableIsLoggedOnceAndLeavesZeros) {
  std::string d;
  t_.Sock_Termina();
  Tabella_Scrivi(tabella_, Tabella_Prova(), 100);  // 94 entries
  ASSERT_TRUE(t_.Sock_Init(d, tabella_));
  EXPECT_EQ(t_.Tabella()[0x40], ' ');
  EXPECT_EQ(t_.Tabella()[93], ')');  // the last entry the file holds
  for (int i = 94; i < 256; ++i) ASSERT_EQ(t_.Tabella()[static_cast<size_t>(i)], 0) << i;
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_NE(log_[0].find("tabella di conversione mancante o corta"), std::string::npos);

  t_.Sock_Termina();
  std::filesystem::remove(tabella_);
  ASSERT_TRUE(t_.Sock_Init(d, tabella_));
  EXPECT_EQ(log_.size(), 1u);  // still bad: not logged again
  EXPECT_EQ(t_.Tabella()[0xC1], 0);

  t_.Sock_Termina();
  Tabella_Scrivi(tabella_, Tabella_Prova());
  ASSERT_TRUE(t_.Sock_Init(d, tabella_));
  t_.Sock_Termina();
  std::filesystem::remove(tabella_);
  ASSERT_TRUE(t_.Sock_Init(d, tabella_));
  EXPECT_EQ(log_.size(), 2u);  // good in between: a new episode
}

TEST_F(Transport, TableFileNameIsFoundWhateverItsCase) {
  std::filesystem::rename(tabella_, cartella_ / "QOD_TBL1.TBL");
  t_.Sock_Termina();
  std::string d;
  ASSERT_TRUE(t_.Sock_Init(d, tabella_));
  EXPECT_EQ(t_.Tabella()[0xC1], 'A');
  EXPECT_TRUE(log_.empty());
}

TEST_F(Transport, WriteCutsPadsAndConverts) {
  Connetti();
  struct Caso {
    std::string testo;
    int n;
    std::string byte;  // hex
  } casi[] = {
      {"T00022CA01", 28, "E3F0F0F0F2F2C3C1F0F1" + Ripeti("40", 18)},
      {"X00003007EXTRA", 9, "E7F0F0F0F0F3F0F0F7"},              // cut at n
      {"P00000", 6, "D7F0F0F0F0F0"},                            // exact
      {std::string("a\x80[", 3), 4, "81" "00" "B1" "40"},       // "€" has no code: 0
      {"", 3, "404040"},
  };
  for (const auto& c : casi) {
    ASSERT_TRUE(t_.Sock_Write(1, c.testo, c.n)) << c.testo;
    EXPECT_EQ(In_Esa(pari_.Ricevi(static_cast<size_t>(c.n))), c.byte) << c.testo;
  }
  EXPECT_FALSE(t_.Sock_Write(1, "X", 0));
  EXPECT_FALSE(t_.Sock_Write(1, "X", kRecord_Massimo + 1));
  EXPECT_FALSE(t_.Sock_Write(2, "P00000", 6));  // a slot with no socket
}

TEST(RecordRequest, LengthComesFromTheBody) {
  struct Caso {
    char lettera;
    std::string corpo;
    int larghezza;
    std::string record;
  } casi[] = {
      {'P', "", -1, "P00000"},
      {'S', "00003", -1, "S0000500003"},
      {'T', "CA01", 22, "T00022CA01" + std::string(18, ' ')},  // padded to the layout's width
      {'X', "0071234", 3, "X00003007"},                        // cut to it
      {'G', std::string(10, '9'), -1, "G00010" + std::string(10, '9')},
  };
  for (const auto& c : casi) EXPECT_EQ(Record_Richiesta(c.lettera, c.corpo, c.larghezza), c.record) << c.record;
}

TEST_F(Transport, ReplyHeaderAndDrainKeepTheFraming) {
  Connetti();
  Intestazione_Risposta r;
  ASSERT_TRUE(t_.Richiesta_Invia(1, 'S', "00003"));
  EXPECT_EQ(In_Esa(pari_.Ricevi(11)), "E2F0F0F0F0F5F0F0F0F0F3");
  pari_.Invia(Esa("F1 F0F9F0F0F0") + std::string(9000, '\xC1') + Esa("F0 F0F0F0F0F2 D6D2"));
  ASSERT_TRUE(t_.Intestazione_Leggi(1, r));
  EXPECT_EQ(r.Esito, "1");
  EXPECT_FALSE(r.Accettata());
  EXPECT_EQ(r.Lunghezza, 9000);
  ASSERT_TRUE(t_.Corpo_Scarta(1, r.Lunghezza));  // longer than one block
  ASSERT_TRUE(t_.Intestazione_Leggi(1, r));
  EXPECT_TRUE(r.Accettata());
  EXPECT_EQ(r.Lunghezza, 2);
  ASSERT_TRUE(t_.Sock_Read(1, r.Lunghezza));
  EXPECT_EQ(t_.Sock_Field("A", 1, 2), "OK");
  EXPECT_TRUE(t_.Corpo_Scarta(1, 0));
}

TEST_F(Transport, OneSendPerRecord) {
  Connetti();
  auto prima = t_.Statistiche().invii;
  std::string record = "G" + std::string(8191, 'x');
  ASSERT_TRUE(t_.Sock_Write(1, record, 8192));
  EXPECT_EQ(t_.Statistiche().invii, prima + 1);
  EXPECT_EQ(pari_.Ricevi(8192).size(), 8192u);
}

TEST_F(Transport, TwoRepliesInOneSegmentAreServedWithoutASecondWait) {
  Connetti();
  pari_.Invia(Esa("F0 F0F0F0F0F3 C1C2C3 F1 F0F0F0F0F2 D6D2"));
  ASSERT_TRUE(t_.Sock_Read(1, 6));
  const auto attese = t_.Statistiche().attese;
  const auto ricezioni = t_.Statistiche().ricezioni;
  EXPECT_EQ(t_.Sock_Field("A", 1, 1), "0");
  EXPECT_EQ(t_.Sock_Field("S", 2, 5, 5, 0), "00003");
  ASSERT_TRUE(t_.Sock_Read(1, 3));
  EXPECT_EQ(t_.Sock_Field("A", 1, 3), "ABC");
  ASSERT_TRUE(t_.Sock_Read(1, 6));
  EXPECT_EQ(t_.Sock_Field("A", 1, 1), "1");
  ASSERT_TRUE(t_.Sock_Read(1, 2));
  EXPECT_EQ(t_.Sock_Field("A", 1, 2), "OK");
  EXPECT_EQ(t_.Statistiche().attese, attese);
  EXPECT_EQ(t_.Statistiche().ricezioni, ricezioni);
  EXPECT_EQ(t_.Ricevuti(), 0);
}

TEST_F(Transport, ReadOutOfRangeTouchesNothing) {
  Connetti();
  pari_.Invia(Esa("C1C2"));
  ASSERT_TRUE(t_.Sock_Read(1, 1));
  const auto prima = t_.Statistiche();
  const int ricevuti = t_.Ricevuti();
  EXPECT_FALSE(t_.Sock_Read(1, 0));
  EXPECT_FALSE(t_.Sock_Read(1, 8193));
  EXPECT_FALSE(t_.Sock_Read(1, -5));
  EXPECT_EQ(t_.Statistiche().ricezioni, prima.ricezioni);
  EXPECT_EQ(t_.Statistiche().attese, prima.attese);
  EXPECT_EQ(t_.Ricevuti(), ricevuti);
  EXPECT_EQ(t_.Sock_Field("A", 1, 1), "A");
}

TEST_F(Transport, ShortReplyNeverShowsAnEarlierOne) {
  Connetti();
  pari_.Invia(Esa("C1C2C3C4C5C6C7C8C9 F1F2"));
  ASSERT_TRUE(t_.Sock_Read(1, 9));
  EXPECT_EQ(t_.Sock_Field("A", 1, 9), "ABCDEFGHI");
  ASSERT_TRUE(t_.Sock_Read(1, 2));
  EXPECT_EQ(t_.Sock_Field("A", 1, 9), "12       ");
  EXPECT_EQ(t_.Sock_Field("A", kBuffer_Record, 1), " ");
}

TEST_F(Transport, ClosedPeerFailsAfterTwentyOneEmptyReadsQuickly) {
  t_.Imposta_Attese(Attese_Rete{});  // the real 20 s: the failure must not wait for it
  Connetti();
  pari_.Invia(Esa("F0F0"));
  pari_.Chiudi();
  auto t0 = steady_clock::now();
  EXPECT_FALSE(t_.Sock_Read(1, 6));
  EXPECT_LT(Ms_Da(t0), 1000);
  EXPECT_EQ(t_.Statistiche().vuote, 21u);
  EXPECT_EQ(pompate_, 20);
  EXPECT_EQ(t_.Ricevuti(), 2);  // what came stays for the next read
}

TEST_F(Transport, SilentPeerFailsAfterTheWait) {
  Connetti();
  t_.Imposta_Attese(Attese_Rete{150, 50, 1000});
  auto t0 = steady_clock::now();
  EXPECT_FALSE(t_.Sock_Read(1, 6));
  EXPECT_GE(Ms_Da(t0), 140);
  EXPECT_LT(Ms_Da(t0), 1500);
  EXPECT_EQ(pompate_, 0);  // a wait does not pump
}

TEST_F(Transport, ReadLineKeepsTheSecondLine) {
  Connetti();
  pari_.Invia("220-Benvenuto\r\n331 Utente ok\r\n");
  std::string riga;
  ASSERT_TRUE(t_.Sock_ReadLine(1, riga, true));
  EXPECT_EQ(riga, "220-Benvenuto");
  const auto attese = t_.Statistiche().attese;
  ASSERT_TRUE(t_.Sock_ReadLine(1, riga, true));
  EXPECT_EQ(riga, "331 Utente ok");
  EXPECT_EQ(t_.Statistiche().attese, attese);

  // A line that comes in pieces, CR and LF split across segments.
  pari_.Invia("230 Pass");
  pari_.Invia("word ok\r");
  pari_.Invia("\nresto");
  ASSERT_TRUE(t_.Sock_ReadLine(1, riga, true));
  EXPECT_EQ(riga, "230 Password ok");
  EXPECT_EQ(t_.Ricevuti(), 5);

  // No further line within the short wait.
  auto t0 = steady_clock::now();
  EXPECT_FALSE(t_.Sock_ReadLine(1, riga, false));
  EXPECT_EQ(riga, "?");
  EXPECT_LT(Ms_Da(t0), 1000);
}

TEST_F(Transport, LineLongerThanTheBufferFails) {
  Connetti();
  pari_.Invia(std::string(kBuffer_Ricezione + 10, 'x'));
  std::string riga;
  auto t0 = steady_clock::now();
  EXPECT_FALSE(t_.Sock_ReadLine(1, riga, true));
  EXPECT_EQ(riga, "?");
  EXPECT_LT(Ms_Da(t0), 1000);
}

TEST_F(Transport, ConnectReportsAndReplacesWithoutLeaking) {
  std::string indirizzo;
  EXPECT_FALSE(t_.Sock_Connect(1, "nessun-host.invalid", 4400, indirizzo));
  EXPECT_EQ(t_.Socket(1), net::kNessuno);
  EXPECT_FALSE(t_.Sock_Connect(3, "127.0.0.1", pari_.Porta(), indirizzo));
  EXPECT_FALSE(t_.Sock_Connect(1, "127.0.0.1", 70000, indirizzo));

  const int aperti = Descrittori_Aperti();
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(t_.Sock_Connect(1, "127.0.0.1", pari_.Porta(), indirizzo));
    ASSERT_TRUE(pari_.Accetta());
    pari_.Chiudi();
  }
  EXPECT_EQ(Descrittori_Aperti(), aperti + 1);  // only the last connection
  EXPECT_EQ(t_.Sock_Local_IP(1), "127.0.0.1");
  EXPECT_GT(std::stoi(t_.Sock_Local_Port(1)), 0);
  t_.Sock_Termina();
  EXPECT_EQ(Descrittori_Aperti(), aperti);
  EXPECT_EQ(t_.Sock_Local_IP(1), "");
  EXPECT_EQ(t_.Sock_Local_Port(1), "");
}

TEST_F(Transport, ConnectEmptiesTheReceiveBuffer) {
  Connetti();
  pari_.Invia("220 a\r\nresto");
  std::string riga;
  ASSERT_TRUE(t_.Sock_ReadLine(1, riga, true));
  ASSERT_GT(t_.Ricevuti(), 0);
  std::string indirizzo;
  pari_.Chiudi();
  ASSERT_TRUE(t_.Sock_Connect(1, "127.0.0.1", pari_.Porta(), indirizzo));
  EXPECT_EQ(t_.Ricevuti(), 0);
}

TEST_F(Transport, WaitModes) {
  Connetti();
  EXPECT_TRUE(t_.Sock_Wait(1, "W", false));
  EXPECT_FALSE(t_.Sock_Wait(1, "X", false));
  EXPECT_FALSE(t_.Sock_Wait(1, "R", false));
  pari_.Invia("x");
  EXPECT_TRUE(t_.Sock_Wait(1, "R", false));
  EXPECT_FALSE(t_.Sock_Wait(0, "R", false));
}

TEST_F(Transport, ConnectToASilentAddressGivesUpWithinItsLimit) {
  // A listener whose queue is full lets new handshakes go unanswered.
  Pari pieno;
  std::string indirizzo;
  Trasporto primo{Attese_Rete{1000, 100, 1000}};
  ASSERT_TRUE(primo.Sock_Connect(1, "127.0.0.1", pieno.Porta(), indirizzo));
  std::vector<std::unique_ptr<Trasporto>> altri;
  for (int i = 0; i < 8; ++i) {  // a queue of 4 (the kernel takes one more)
    altri.push_back(std::make_unique<Trasporto>(Attese_Rete{1000, 100, 20}));
    altri.back()->Sock_Connect(1, "127.0.0.1", pieno.Porta(), indirizzo);
  }
  t_.Imposta_Attese(Attese_Rete{1000, 100, 250});
  auto t0 = steady_clock::now();
  const bool connesso = t_.Sock_Connect(1, "127.0.0.1", pieno.Porta(), indirizzo);
  const auto ms = Ms_Da(t0);
  if (connesso) GTEST_SKIP() << "this kernel answered a handshake on a full queue";
  EXPECT_GE(ms, 200);
  EXPECT_LT(ms, 2000);
  EXPECT_EQ(t_.Socket(1), net::kNessuno);
}

// A stop request gives up the waits a connect and a send may make, within
// a slice, however long their limits: a connect to an address that never
// answers, and a send to a peer that never reads. The message loop runs
// meanwhile, so that the stop can arrive, and the failure is told as an
// interruption.
TEST_F(Transport, StopRequestEndsAConnectThatIsNeverAnswered) {
  // A listener whose queue is full lets new handshakes go unanswered.
  Pari pieno;
  std::string indirizzo;
  std::vector<std::unique_ptr<Trasporto>> altri;
  for (int i = 0; i < 8; ++i) {  // a queue of 4 (the kernel takes one more)
    altri.push_back(std::make_unique<Trasporto>(Attese_Rete{1000, 100, 20}));
    altri.back()->Sock_Connect(1, "127.0.0.1", pieno.Porta(), indirizzo);
  }
  t_.Imposta_Attese(Attese_Rete{60000, 1000, 60000});
  const auto inizio = steady_clock::now();
  t_.Imposta_Interruzione([&] { return Ms_Da(inizio) > 300; });
  const bool connesso = t_.Sock_Connect(1, "127.0.0.1", pieno.Porta(), indirizzo);
  if (connesso) GTEST_SKIP() << "this kernel answered a handshake on a full queue";
  EXPECT_LT(Ms_Da(inizio), 10000);
  EXPECT_TRUE(t_.Interrotto());
  EXPECT_GT(pompate_, 0);
  EXPECT_EQ(t_.Socket(1), net::kNessuno);
}

TEST_F(Transport, StopRequestEndsASendToAPeerThatNeverReads) {
  Connetti();
  const int piccolo = 4096;
  ASSERT_EQ(::setsockopt(t_.Socket(1), SOL_SOCKET, SO_SNDBUF, &piccolo, sizeof piccolo), 0);
  t_.Imposta_Attese(Attese_Rete{60000, 1000, 60000});
  const auto inizio = steady_clock::now();
  t_.Imposta_Interruzione([&] { return Ms_Da(inizio) > 300; });
  // Records until the socket buffers on both sides are full.
  const std::string record = Ripeti("X", 60000);
  bool inviato = true;
  for (int i = 0; i < 200 && inviato; ++i) inviato = t_.Sock_Write(1, record, static_cast<int>(record.size()));
  EXPECT_FALSE(inviato);
  EXPECT_LT(Ms_Da(inizio), 10000);
  EXPECT_TRUE(t_.Interrotto());
  EXPECT_GT(pompate_, 0);
  // A failure of the peer is no interruption.
  t_.Imposta_Interruzione({});
  pari_.Chiudi();
  std::this_thread::sleep_for(milliseconds(20));
  inviato = true;
  for (int i = 0; i < 20 && inviato; ++i) inviato = t_.Sock_Write(1, record, static_cast<int>(record.size()));
  EXPECT_FALSE(inviato);
  EXPECT_FALSE(t_.Interrotto());
}

TEST_F(Transport, RawRequestConvertsTheHeaderOnlyAndWaitsForASlowReader) {
  Connetti();
  // Every byte value, so a conversion of the raw part would show.
  std::vector<uint8_t> grezzi(256);
  for (size_t i = 0; i < grezzi.size(); ++i) grezzi[i] = static_cast<uint8_t>(i);
  ASSERT_TRUE(t_.Richiesta_Grezza_Invia(1, 'W', "AB0", grezzi));
  EXPECT_EQ(In_Esa(pari_.Ricevi(9)), "E6F0F0F2F5F9C1C2F0");  // "W00259AB0": the length counts both parts
  EXPECT_EQ(pari_.Ricevi(256), std::string(grezzi.begin(), grezzi.end()));

  // A send far larger than the socket's buffer while the reader is slow:
  // the transport waits for room and every byte arrives in order.
  const int piccolo = 4096;
  ASSERT_EQ(::setsockopt(t_.Socket(1), SOL_SOCKET, SO_SNDBUF, &piccolo, sizeof piccolo), 0);
  std::vector<uint8_t> grande(90000);
  for (size_t i = 0; i < grande.size(); ++i) grande[i] = static_cast<uint8_t>(i * 7 + i / 251);
  std::string ricevuto;
  std::thread lettore([&] {
    std::this_thread::sleep_for(milliseconds(150));
    while (ricevuto.size() < 6 + grande.size()) {
      const std::string pezzo = pari_.Ricevi(std::min<size_t>(1000, 6 + grande.size() - ricevuto.size()));
      if (pezzo.empty()) break;
      ricevuto += pezzo;
      std::this_thread::sleep_for(milliseconds(1));
    }
  });
  const bool inviato = t_.Richiesta_Grezza_Invia(1, 'W', "", grande);
  lettore.join();
  ASSERT_TRUE(inviato);
  ASSERT_EQ(ricevuto.size(), 6 + grande.size());
  EXPECT_EQ(In_Esa(ricevuto.substr(0, 6)), "E6F9F0F0F0F0");
  EXPECT_TRUE(ricevuto.compare(6, std::string::npos, std::string(grande.begin(), grande.end())) == 0);

  // Longer than a record can say, or on a slot with no socket: nothing goes out.
  EXPECT_FALSE(t_.Richiesta_Grezza_Invia(1, 'W', "x", std::vector<uint8_t>(99999)));
  EXPECT_FALSE(t_.Richiesta_Grezza_Invia(2, 'W', "x", grezzi));
}

TEST_F(Transport, RawRequestToAClosedPeerFails) {
  Connetti();
  const int piccolo = 4096;
  ASSERT_EQ(::setsockopt(t_.Socket(1), SOL_SOCKET, SO_SNDBUF, &piccolo, sizeof piccolo), 0);
  pari_.Chiudi();
  std::this_thread::sleep_for(milliseconds(20));
  // The first send may still land in the buffer; the reset makes a later one fail.
  bool tutti = true;
  for (int i = 0; i < 20 && tutti; ++i) tutti = t_.Richiesta_Grezza_Invia(1, 'W', "x", std::vector<uint8_t>(60000));
  EXPECT_FALSE(tutti);
}
