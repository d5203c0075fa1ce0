// Throughput of the record transport (Sock_Write + Sock_Read) against the
// stand-in host, and of a plain send/recv loop moving the same bytes over the
// same loopback connection in the same run. The two run interleaved, round
// after round; the ratio transport / plain of each round is the figure,
// reported as the median with the spread (lowest - highest). The absolute
// rates (of the median round) depend on the machine.
//
//   bench_net [rounds]     (default 5)
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "qod/bench/misura.h"
#include "qod/host/trasporto.h"
#include "qod/host_simulato.h"

using namespace qod;
using Orologio = std::chrono::steady_clock;

namespace {

struct Scenario {
  const char* nome;
  int richieste;  // requests sent
  int risposte;   // replies per request, sent by the stand-in in one write
  int corpo;      // body bytes of each reply
};

struct Misura {
  double secondi = 1e30;
  Statistiche_Rete stat;
};

std::string Richiesta(const Scenario& s) {
  char r[16];
  std::snprintf(r, sizeof r, "%05d%05d", s.risposte, s.corpo);
  return r;
}

Misura Trasporto_Giro(Trasporto& t, const Scenario& s) {
  const std::string r = Record_Richiesta('Z', Richiesta(s));
  const Statistiche_Rete prima = t.Statistiche();
  auto t0 = Orologio::now();
  for (int i = 0; i < s.richieste; ++i) {
    if (!t.Sock_Write(1, r, static_cast<int>(r.size()))) std::exit(1);
    for (int k = 0; k < s.risposte; ++k) {
      Intestazione_Risposta h;
      if (!t.Intestazione_Leggi(1, h) || !h.Accettata()) std::exit(1);
      if (s.corpo > 0 && !t.Sock_Read(1, s.corpo)) std::exit(1);
    }
  }
  Misura m;
  m.secondi = std::chrono::duration<double>(Orologio::now() - t0).count();
  const Statistiche_Rete& dopo = t.Statistiche();
  m.stat = {dopo.invii - prima.invii, dopo.ricezioni - prima.ricezioni, dopo.vuote - prima.vuote,
            dopo.attese - prima.attese};
  return m;
}

// The same requests and replies as raw bytes: one send, then receive until
// the replies' bytes have arrived, waiting with poll when none are there.
Misura Semplice_Giro(int fd, const Trasporto& t, const Scenario& s) {
  std::string r = Richiesta(s);
  for (auto& c : r) c = static_cast<char>(t.Tabella_Inversa()[static_cast<unsigned char>(c)]);
  const size_t attesi = static_cast<size_t>(s.risposte) * static_cast<size_t>(6 + s.corpo);
  std::vector<char> buffer(16384);
  Misura m;
  auto t0 = Orologio::now();
  for (int i = 0; i < s.richieste; ++i) {
    if (::send(fd, r.data(), r.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(r.size())) std::exit(1);
    ++m.stat.invii;
    size_t arrivati = 0;
    while (arrivati < attesi) {
      ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
      ++m.stat.ricezioni;
      if (n > 0) {
        arrivati += static_cast<size_t>(n);
        continue;
      }
      pollfd p{fd, POLLIN, 0};
      ++m.stat.attese;
      if (::poll(&p, 1, 20000) <= 0) std::exit(1);
    }
  }
  m.secondi = std::chrono::duration<double>(Orologio::now() - t0).count();
  return m;
}

void Riga(const char* chi, const Scenario& s, const Misura& m) {
  const double record = static_cast<double>(s.richieste) * s.risposte;
  const double byte = record * (6 + s.corpo) + static_cast<double>(s.richieste) * 16;
  std::printf("  %-10s %10.0f records/s %8.1f MB/s   per record: %.2f recv, %.2f waits\n", chi, record / m.secondi,
              byte / m.secondi / 1e6, static_cast<double>(m.stat.ricezioni) / record,
              static_cast<double>(m.stat.attese) / record);
}

}  // namespace

int main(int argc, char** argv) {
  const int giri = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  prova::Host_Simulato host({"--bench"});
  if (!host.Avvia()) {
    std::fprintf(stderr, "the stand-in host did not start: %s\n", host.Uscita().c_str());
    return 1;
  }
  const auto tabella = host.Cartella() / "Qod_TBL1.Tbl";
  if (!prova::Host_Simulato::Scrivi_Tabella(tabella)) return 1;

  Trasporto t;
  std::string descrizione, indirizzo;
  t.Sock_Init(descrizione, tabella.string());
  if (!t.Sock_Connect(1, "127.0.0.1", host.Porta_Record(), indirizzo) || !t.Sock_Read(1, 6)) {
    std::fprintf(stderr, "no connection to the stand-in host\n");
    return 1;
  }

  const Scenario scenari[] = {
      {"8192-byte replies, one per request", 10000, 1, 8192},
      {"bursts of 50 small replies in one write", 1000, 50, 64},
  };
  std::printf("bench_net: %d rounds, interleaved; median (lowest - highest)\n", giri);
  for (const auto& s : scenari) {
    std::vector<Misura> mt, ms;
    bench::Serie st, ss;
    for (int g = 0; g < giri; ++g) {
      mt.push_back(Trasporto_Giro(t, s));
      st.Aggiungi(mt.back().secondi);
      ms.push_back(Semplice_Giro(t.Socket(1), t, s));
      ss.Aggiungi(ms.back().secondi);
    }
    // The round of the median time of each.
    auto mediano = [](const std::vector<Misura>& v, const bench::Serie& serie) {
      const double m = serie.Mediana();
      const Misura* vicino = &v.front();
      for (const Misura& x : v)
        if (std::abs(x.secondi - m) < std::abs(vicino->secondi - m)) vicino = &x;
      return *vicino;
    };
    std::printf("%s (%d requests):\n", s.nome, s.richieste);
    Riga("transport", s, mediano(mt, st));
    Riga("plain", s, mediano(ms, ss));
    std::printf("  ratio transport/plain time: %s\n", bench::Rapporto(st, ss).Testo().c_str());
  }
  return 0;
}
