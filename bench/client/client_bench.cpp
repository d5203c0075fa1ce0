// Round-trip time of one exchange of the archive viewer, a request and the
// reply of one list row, through the viewer's transport (its waits poll the
// socket for what is left of the budget) against the stand-in host; beside
// a bare request/reply ping-pong moving the same bytes over loopback in the
// same run, and the same ping-pong waiting as a plain sleep-poll would (a
// receive, then 10 ms of sleep while nothing has come).
//
// The row's size is the archive index record the stand-in's dictionary
// describes, read at login. The three run interleaved, round after round;
// each figure is the median time per exchange with its spread (lowest -
// highest), and the ratios are taken within each round.
//
//   bench_client [rounds]     (default 7)
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "qod/bench/misura.h"
#include "qod/client/base_client.h"
#include "qod/client/collegamento_client.h"
#include "qod/client/trasporto_client.h"
#include "qod/host_simulato.h"

using namespace qod;
using Orologio = std::chrono::steady_clock;

namespace {

class Messaggi_Stderr : public MessageSink {
 public:
  int MsgBox(const std::string& testo, int, const std::string&) override {
    std::fprintf(stderr, "message: %s\n", testo.c_str());
    return vbOK;
  }
};

// The far end of the ping-pong: reads each request whole and answers with
// one write of the reply's bytes.
class Eco {
 public:
  Eco(size_t richiesta, size_t risposta) : richiesta_(richiesta), risposta_(risposta) {
    ascolto_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t l = sizeof a;
    if (::bind(ascolto_, reinterpret_cast<sockaddr*>(&a), l) != 0 || ::listen(ascolto_, 1) != 0) std::exit(1);
    ::getsockname(ascolto_, reinterpret_cast<sockaddr*>(&a), &l);
    porta_ = ntohs(a.sin_port);
    filo_ = std::thread([this] { Servi(); });
  }
  ~Eco() {
    filo_.join();
    ::close(ascolto_);
  }
  int Porta() const { return porta_; }

 private:
  void Servi() {
    const int fd = ::accept(ascolto_, nullptr, nullptr);
    if (fd < 0) return;
    std::vector<char> dentro(richiesta_), fuori(risposta_, '\x40');
    for (;;) {
      size_t letti = 0;
      while (letti < richiesta_) {
        const ssize_t n = ::recv(fd, dentro.data() + letti, richiesta_ - letti, 0);
        if (n <= 0) {
          ::close(fd);
          return;
        }
        letti += static_cast<size_t>(n);
      }
      if (::send(fd, fuori.data(), fuori.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(fuori.size())) break;
    }
    ::close(fd);
  }

  size_t richiesta_, risposta_;
  int ascolto_ = -1, porta_ = 0;
  std::thread filo_;
};

int Connetti(int porta) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(porta));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) std::exit(1);
  return fd;
}

// Seconds per exchange through the viewer's transport.
double Trasporto_Giro(Trasporto_Client& t, const std::string& richiesta, int riga, int scambi) {
  const auto t0 = Orologio::now();
  for (int i = 0; i < scambi; ++i) {
    if (!t.Sock_Write(kSlot_Host, richiesta, static_cast<int>(richiesta.size()))) std::exit(1);
    Intestazione_Risposta h;
    if (!t.Intestazione_Leggi(kSlot_Host, h) || !h.Accettata() || !t.Sock_Read(kSlot_Host, riga)) std::exit(1);
  }
  return std::chrono::duration<double>(Orologio::now() - t0).count() / scambi;
}

// Seconds per exchange of the bare ping-pong: one send, then receive until
// the reply is whole, waiting with poll (or sleeping 10 ms) when nothing is there.
double Nudo_Giro(int fd, size_t richiesta, size_t risposta, int scambi, bool dormi) {
  const std::vector<char> r(richiesta, '\xD3');
  std::vector<char> buffer(16384);
  const auto t0 = Orologio::now();
  for (int i = 0; i < scambi; ++i) {
    if (::send(fd, r.data(), r.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(r.size())) std::exit(1);
    size_t arrivati = 0;
    while (arrivati < risposta) {
      const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
      if (n > 0) {
        arrivati += static_cast<size_t>(n);
        continue;
      }
      if (dormi) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        continue;
      }
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 20000) <= 0) std::exit(1);
    }
  }
  return std::chrono::duration<double>(Orologio::now() - t0).count() / scambi;
}

}  // namespace

int main(int argc, char** argv) {
  const int giri = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  prova::Host_Simulato host(
      {"--bench", "--dictionary", prova::Host_Simulato::Dizionario_Predefinito(), "--viewer", QOD_VIEWER_FIXTURE});
  if (!host.Avvia()) {
    std::fprintf(stderr, "the stand-in host did not start: %s\n", host.Uscita().c_str());
    return 1;
  }
  // The viewer logs in as it does at start, without the FTP start.
  Messaggi_Stderr messaggi;
  Client_Base base(SystemClock::Istanza(), messaggi);
  base.Cartella_Imposta((host.Cartella() / "client").string());
  if (!prova::Host_Simulato::Scrivi_Tabella(base.File_TBL)) return 1;
  base.Collegamento = host.Collegamento();
  Trasporto_Client t;
  Collegamento_Client c(base, base, t, 1);
  if (!c.Host_Collega()) return 1;
  const Dizionario_Campi& d = c.Dizionario();
  const int riga = d.Inizio[static_cast<size_t>(d.Numero) + 1] - 1;

  // One list row: the benchmark record asks for one reply of the row's size.
  char corpo[32];
  std::snprintf(corpo, sizeof corpo, "%05d%05d", 1, riga);
  const std::string richiesta = Record_Richiesta('Z', corpo);
  const size_t risposta = 6 + static_cast<size_t>(riga);

  Eco eco(richiesta.size(), risposta);
  const int fd = Connetti(eco.Porta());

  const int scambi = 2000, scambi_sonno = 40;
  std::printf("bench_client: one list row (request %zu bytes, reply %zu bytes), %d rounds, interleaved;\n",
              richiesta.size(), risposta, giri);
  std::printf("median (lowest - highest)\n");
  bench::Serie st, sn, ss;
  for (int g = 0; g < giri; ++g) {
    st.Aggiungi(Trasporto_Giro(t, richiesta, riga, scambi) * 1e6);
    sn.Aggiungi(Nudo_Giro(fd, richiesta.size(), risposta, scambi, false) * 1e6);
    ss.Aggiungi(Nudo_Giro(fd, richiesta.size(), risposta, scambi_sonno, true) * 1e6);
  }
  std::printf("  viewer transport, stand-in host  %s us per exchange (%d exchanges a round)\n",
              st.Testo("%.1f").c_str(), scambi);
  std::printf("  bare ping-pong, poll             %s us per exchange (%d exchanges a round)\n",
              sn.Testo("%.1f").c_str(), scambi);
  std::printf("  bare ping-pong, 10 ms sleep-poll %s us per exchange (%d exchanges a round)\n",
              ss.Testo("%.1f").c_str(), scambi_sonno);
  std::printf("  ratio transport / bare:           %s\n", bench::Rapporto(st, sn).Testo().c_str());
  std::printf("  ratio sleep-poll / transport:     %s\n", bench::Rapporto(ss, st).Testo().c_str());
  ::close(fd);
  c.Host_Scollega();
  return 0;
}
