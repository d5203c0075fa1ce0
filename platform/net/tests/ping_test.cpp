#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "qod/net/ping.h"
#include "qod/prova/costruzione.h"

using namespace qod::net;

namespace {

// 192.168.1.20 with 192 in the lowest byte, as the echo takes it.
constexpr uint32_t kIndirizzo = 0x1401A8C0;

TEST(PingTesto, TableKeepsTheTextsAsTheyWere) {
  const struct {
    int32_t stato;
    const char* testo;
  } casi[] = {
      {0, "Success"},
      {11001, "Buffer to small"},
      {11010, "Requested IP timed out"},
      {11013, "Time to live expired transmition"},
      {11014, "Time ti live expired reassem"},
      {11050, "General failure"},
      {11255, "Ip pending"},
      {11024, "Unindentified"},
      {-1, "Unindentified"},
  };
  for (const auto& c : casi) EXPECT_EQ(Ping_Stato_Testo(c.stato), c.testo) << c.stato;
}

TEST(PingEcho, InjectedEchoesGiveTextTimeAndFlag) {
  const struct {
    const char* nome;
    Risposta_Echo risposta;
    std::string testo;
    int32_t tempo;
    bool errore;
  } casi[] = {
      {"reply", {true, 0, 12}, "   OK : completato in 12ms.", 12, false},
      {"reply at the limit", {true, 0, 1000}, "   OK : completato in 1000ms.", 1000, false},
      {"late reply", {true, 0, 1500}, "*** errore : Requested IP timed out", 1000, true},
      {"late error report", {true, 11003, 1500}, "*** errore : Requested IP timed out", 1000, true},
      {"host unreachable", {true, 11003, 3}, "*** errore : Destination host unreachable", 1000, true},
      {"no reply in time", {false, 11010, 1000}, "*** errore : Requested IP timed out", 1000, true},
      // A failure never reads "Success".
      {"no reply, no status", {false, 0, 0}, "*** errore : General failure", 1000, true},
  };
  for (const auto& c : casi) {
    uint32_t visto = 0;
    uint8_t ttl = 0;
    const auto r = Ping_Echo(20, 1000, kIndirizzo, [&](uint8_t t, uint32_t attesa, uint32_t a) {
      ttl = t;
      visto = a;
      EXPECT_EQ(attesa, 1000u);
      return c.risposta;
    });
    EXPECT_EQ(r.Testo, c.testo) << c.nome;
    EXPECT_EQ(r.Tempo, c.tempo) << c.nome;
    EXPECT_EQ(r.Errore, c.errore) << c.nome;
    EXPECT_EQ(visto, kIndirizzo);
    EXPECT_EQ(ttl, 20);
  }
}

TEST(PingEcho, AddressZeroIsNeverSent) {
  const auto r = Ping_Echo(20, 1000, 0);
  EXPECT_TRUE(r.Errore);
  EXPECT_EQ(r.Testo, "*** errore : Bad destination");
  EXPECT_EQ(r.Tempo, 1000);
}

bool Icmp_Permesso() {
  for (int tipo : {SOCK_DGRAM, SOCK_RAW}) {
    const int fd = ::socket(AF_INET, tipo, IPPROTO_ICMP);
    if (fd >= 0) {
      ::close(fd);
      return true;
    }
  }
  return false;
}

TEST(PingEcho, RealEchoToLoopback) {
  if (!Icmp_Permesso()) GTEST_SKIP() << "this system allows neither ICMP datagram nor raw sockets to this user";
  const auto r = Ping_Echo(20, 1000, Hosts_Indirizzo("127.0.0.1", "/dev/null").value());
  EXPECT_FALSE(r.Errore) << r.Testo;
  EXPECT_EQ(r.Testo, "   OK : completato in " + std::to_string(r.Tempo) + "ms.");
  EXPECT_LE(r.Tempo, 1000);
}

class Hosts : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = qod::prova::Cartella_Temporanea() / ("qod-hosts-" + std::to_string(::getpid()));
    std::ofstream(file_) << "# stampanti dell'ufficio: PRT1 e' in magazzino\n"
                            "127.0.0.1\tlocalhost\n"
                            "10.0.0.7    stampante1\n"
                            "10.0.0.10   PRT10 ufficio10\n"
                            "10.0.0.1    PRT1   # vecchia PRT9\n"
                            "  # 10.0.0.99 commentata\n"
                            "prtnome 10.0.0.5\n"
                            "1.2.3.4.5   cinque\n"
                            "10.0.x.1    lettera\n"
                            "10.0.0.300  alto\n"
                            "10.0.0.8    stampante1 doppia\n";
  }
  void TearDown() override { std::filesystem::remove(file_); }
  std::filesystem::path file_;
};

TEST_F(Hosts, LookupTable) {
  const struct {
    const char* nome;
    std::optional<uint32_t> indirizzo;
  } casi[] = {
      {"192.168.1.20", kIndirizzo},                // not listed: the dotted text itself
      {"192.168.1.20   ", kIndirizzo},             // the 15-character column, trailing blanks
      {"STAMPANTE1", 0x0700000Au},                 // case does not matter; the first line wins
      {"stampante1     ", 0x0700000Au},            // the column's blanks are trimmed
      {"PRT1", 0x0100000Au},                       // whole fields: not the PRT10 line, not the comment
      {"PRT10", 0x0A00000Au},
      {"ufficio10", 0x0A00000Au},                  // any field after the first
      {"PRT9", 0u},                                // only in a comment: not listed, a plain name gives 0
      {"prtnome", 0u},                             // first on its line: stands for itself
      {"sconosciuta", 0u},
      {"", 0u},
      {"127.0.0.1", 0x0100007Fu},
      {"alto", 0x2C00000Au},                       // 300 keeps its low byte
      {"cinque", std::nullopt},                    // five parts
      {"lettera", std::nullopt},                   // a part that is not a number
      {"10..0.1", std::nullopt},
  };
  for (const auto& c : casi) EXPECT_EQ(Hosts_Indirizzo(c.nome, file_.string()), c.indirizzo) << '"' << c.nome << '"';
}

TEST_F(Hosts, MissingFileFailsAndTheVariablePointsAtTheFile) {
  EXPECT_EQ(Hosts_Indirizzo("192.168.1.20", (file_.string() + ".manca")), std::nullopt);
  EXPECT_EQ(Hosts_Indirizzo("192.168.1.20", file_.parent_path().string()), std::nullopt);  // a folder
  setenv("QOD_HOSTS", file_.c_str(), 1);
  EXPECT_EQ(Hosts_Percorso(), file_.string());
  EXPECT_EQ(Hosts_Indirizzo("stampante1"), 0x0700000Au);
  unsetenv("QOD_HOSTS");
  EXPECT_EQ(Hosts_Percorso(), "/etc/hosts");
}

}  // namespace
