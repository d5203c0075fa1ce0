#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "qod/net/socket.h"

using namespace qod::net;
using namespace std::chrono;

namespace {

const uint32_t kLoopback = htonl(INADDR_LOOPBACK);

// A listening socket on a free loopback port.
struct Ascolto {
  explicit Ascolto(int coda = 4) {
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = kLoopback;
    ::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    ::listen(fd, coda);
    socklen_t n = sizeof sa;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &n);
    porta = ntohs(sa.sin_port);
  }
  ~Ascolto() { ::close(fd); }
  int Accetta() const { return ::accept(fd, nullptr, nullptr); }
  int fd;
  uint16_t porta;
};

int64_t Ms_Da(steady_clock::time_point t) { return duration_cast<milliseconds>(steady_clock::now() - t).count(); }

}  // namespace

TEST(NetSocket, ResolvesDottedTextsAndNames) {
  EXPECT_EQ(Risolvi("127.0.0.1"), kLoopback);
  EXPECT_EQ(Risolvi("10.1.2.3"), htonl(0x0A010203));
  // A name goes through the system's resolver; a bare system without a
  // hosts file knows no "localhost".
  std::ifstream hosts("/etc/hosts");
  std::string riga;
  bool noto = false;
  while (std::getline(hosts, riga))
    if (riga.rfind("127.0.0.1", 0) == 0 && riga.find("localhost") != std::string::npos) noto = true;
  if (noto) {
    EXPECT_EQ(Risolvi("localhost"), kLoopback);
  }
  EXPECT_FALSE(Risolvi("nessun-host.invalid").has_value());
  EXPECT_FALSE(Risolvi("").has_value());
  EXPECT_EQ(Testo_IP(htonl(0xC0A80114)), "192.168.1.20");
}

TEST(NetSocket, RefusedPortFailsAtOnce) {
  uint16_t porta;
  {
    Ascolto a;
    porta = a.porta;
  }  // closed: nothing listens there now
  auto t0 = steady_clock::now();
  EXPECT_EQ(Connetti(kLoopback, porta, 5000), kNessuno);
  EXPECT_LT(Ms_Da(t0), 1000);
}

TEST(NetSocket, SilentPeerGivesUpWithinTheLimit) {
  // A listener whose queue is full drops new handshakes: the connect hangs.
  Ascolto a(0);
  Handle primo = Connetti(kLoopback, a.porta, 1000);
  ASSERT_NE(primo, kNessuno);
  std::vector<Handle> pieni;
  auto t0 = steady_clock::now();
  Handle fd = Connetti(kLoopback, a.porta, 250);
  const auto ms = Ms_Da(t0);
  if (fd != kNessuno) {
    Chiudi(fd);
    GTEST_SKIP() << "this kernel accepted a second handshake on a full queue";
  }
  EXPECT_GE(ms, 200);
  EXPECT_LT(ms, 2000);
  Chiudi(primo);
}

TEST(NetSocket, ConnectedSocketKnowsItsLocalEndAndLingersZero) {
  Ascolto a;
  Handle fd = Connetti(kLoopback, a.porta, 1000);
  ASSERT_NE(fd, kNessuno);
  int altro = a.Accetta();
  sockaddr_in peer{};
  socklen_t n = sizeof peer;
  ASSERT_EQ(::getpeername(altro, reinterpret_cast<sockaddr*>(&peer), &n), 0);
  EXPECT_EQ(Porta_Locale(fd), ntohs(peer.sin_port));
  EXPECT_EQ(IP_Locale(fd), kLoopback);
  EXPECT_EQ(Linger(fd, true, 0), 0);
  EXPECT_FALSE(Porta_Locale(kNessuno).has_value());
  EXPECT_FALSE(Nome_Host().empty());
  Chiudi(fd);
  ::close(altro);
}

TEST(NetSocket, SendAllDeliversEveryByteOrGivesUp) {
  Ascolto a;
  Handle fd = Connetti(kLoopback, a.porta, 1000);
  ASSERT_NE(fd, kNessuno);
  int altro = a.Accetta();

  // More than the socket buffers hold: the peer reads while we send.
  std::vector<unsigned char> dati(4 << 20);
  for (size_t i = 0; i < dati.size(); ++i) dati[i] = static_cast<unsigned char>(i * 7);
  std::vector<unsigned char> ricevuti;
  std::thread lettore([&] {
    unsigned char b[65536];
    while (ricevuti.size() < dati.size()) {
      ssize_t r = ::recv(altro, b, sizeof b, 0);
      if (r <= 0) break;
      ricevuti.insert(ricevuti.end(), b, b + r);
    }
  });
  EXPECT_TRUE(Invia_Tutto(fd, dati.data(), dati.size(), 5000));
  lettore.join();
  EXPECT_EQ(ricevuti, dati);

  // A peer that stops reading: the send gives up after its limit, once the
  // socket buffers on both sides are full.
  int piccolo = 64 << 10;
  ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &piccolo, sizeof piccolo);
  std::vector<unsigned char> molti(32 << 20);
  auto t0 = steady_clock::now();
  EXPECT_FALSE(Invia_Tutto(fd, molti.data(), molti.size(), 200));
  EXPECT_LT(Ms_Da(t0), 3000);

  // A peer that has gone: failure, and no SIGPIPE ends the process.
  ::close(altro);
  std::this_thread::sleep_for(milliseconds(20));
  bool ok = true;
  for (int i = 0; i < 3 && ok; ++i) ok = Invia_Tutto(fd, dati.data(), 1000, 200);
  EXPECT_FALSE(ok);
  Chiudi(fd);
}

TEST(NetSocket, WaitSeesDataAndEndOfStream) {
  Ascolto a;
  Handle fd = Connetti(kLoopback, a.porta, 1000);
  ASSERT_NE(fd, kNessuno);
  int altro = a.Accetta();
  auto t0 = steady_clock::now();
  EXPECT_FALSE(Attendi(fd, Attesa::Lettura, 100));
  EXPECT_GE(Ms_Da(t0), 90);
  EXPECT_TRUE(Attendi(fd, Attesa::Scrittura, 100));
  ASSERT_EQ(::send(altro, "ab", 2, 0), 2);
  EXPECT_TRUE(Attendi(fd, Attesa::Lettura, 1000));
  char b[4];
  EXPECT_EQ(Ricevi(fd, b, sizeof b), 2);
  EXPECT_EQ(Ricevi(fd, b, sizeof b), -1);  // nothing there, no block
  ::shutdown(altro, SHUT_WR);
  EXPECT_TRUE(Attendi(fd, Attesa::Lettura, 1000));
  EXPECT_EQ(Ricevi(fd, b, sizeof b), 0);
  EXPECT_FALSE(Attendi(kNessuno, Attesa::Lettura, 10));
  Chiudi(fd);
  ::close(altro);
}
