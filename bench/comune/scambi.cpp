#include "qod/bench/scambi.h"

#include <arpa/inet.h>
#include <sched.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace qod::bench {

namespace {

[[noreturn]] void Fallito(const char* cosa) {
  std::fprintf(stderr, "bare exchange: %s: %s\n", cosa, std::strerror(errno));
  std::exit(1);
}

void Nodelay(int fd) {
  int uno = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &uno, sizeof uno);
}

bool Invia(int fd, const char* dati, size_t n) {
  while (n > 0) {
    const ssize_t r = ::send(fd, dati, n, MSG_NOSIGNAL);
    if (r <= 0) return false;
    dati += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}

}  // namespace

namespace {

// Busy and total clock ticks of each core so far.
std::vector<std::pair<long long, long long>> Tempi_Nuclei() {
  std::vector<std::pair<long long, long long>> r;
  std::ifstream in("/proc/stat");
  for (std::string riga; std::getline(in, riga);) {
    if (riga.rfind("cpu", 0) != 0 || riga.size() < 4 || riga[3] < '0' || riga[3] > '9') continue;
    std::istringstream campi(riga.substr(riga.find(' ')));
    long long v[8] = {}, totale = 0;
    for (auto& x : v) campi >> x, totale += x;
    r.push_back({totale - v[3] - v[4], totale});
  }
  return r;
}

}  // namespace

int Un_Nucleo() {
  const char* scelto = std::getenv("QOD_BENCH_CORE");
  if (scelto && std::string(scelto) == "all") return -1;
  int nucleo = scelto ? std::atoi(scelto) : -1;
  if (nucleo < 0) {
    const auto prima = Tempi_Nuclei();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto dopo = Tempi_Nuclei();
    double meno = 2;
    for (size_t i = 0; i < std::min(prima.size(), dopo.size()); ++i) {
      const double totale = static_cast<double>(std::max(1LL, dopo[i].second - prima[i].second));
      const double occupato = static_cast<double>(dopo[i].first - prima[i].first) / totale;
      if (occupato < meno) meno = occupato, nucleo = static_cast<int>(i);
    }
  }
  cpu_set_t insieme;
  CPU_ZERO(&insieme);
  CPU_SET(nucleo, &insieme);
  return nucleo >= 0 && ::sched_setaffinity(0, sizeof insieme, &insieme) == 0 ? nucleo : -1;
}

Risponditore::Risponditore(const std::vector<Scambio>& scambi) {
  size_t massimo_richiesta = 0, massimo_corpo = 0;
  for (const auto& s : scambi) {
    massimo_richiesta = std::max(massimo_richiesta, s.richiesta);
    massimo_corpo = std::max(massimo_corpo, s.corpo);
  }
  const int ascolto = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t l = sizeof sa;
  if (::bind(ascolto, reinterpret_cast<sockaddr*>(&sa), l) != 0 || ::listen(ascolto, 1) != 0) Fallito("listen");
  ::getsockname(ascolto, reinterpret_cast<sockaddr*>(&sa), &l);
  porta_ = ntohs(sa.sin_port);
  // The replies' bytes are made before it starts; then it only receives and
  // sends.
  std::vector<std::string> testate(scambi.size());
  for (size_t i = 0; i < scambi.size(); ++i) {
    char t[16];
    std::snprintf(t, sizeof t, "0%05zu", scambi[i].corpo);
    testate[i] = t;
  }
  std::string riempitivo(6 + massimo_corpo, '\xC1'), dentro(massimo_richiesta, '\0');
  pid_ = ::fork();
  if (pid_ < 0) Fallito("fork");
  if (pid_ > 0) {
    ::close(ascolto);
    return;
  }
  const int pari = ::accept(ascolto, nullptr, nullptr);
  if (pari < 0) ::_exit(1);
  Nodelay(pari);
  for (size_t i = 0; i < scambi.size(); ++i) {
    size_t letti = 0;
    while (letti < scambi[i].richiesta) {
      const ssize_t r = ::recv(pari, dentro.data() + letti, scambi[i].richiesta - letti, 0);
      if (r <= 0) ::_exit(1);
      letti += static_cast<size_t>(r);
    }
    bool ok = false;
    if (!scambi[i].risposta.empty()) {
      ok = Invia(pari, scambi[i].risposta.data(), scambi[i].risposta.size());
    } else {
      std::memcpy(riempitivo.data(), testate[i].data(), 6);
      ok = Invia(pari, riempitivo.data(), 6 + scambi[i].corpo);
    }
    if (!ok) ::_exit(1);
  }
  ::_exit(0);
}

Risponditore::~Risponditore() { Fine(); }

bool Risponditore::Fine() {
  if (!finito_ && pid_ > 0) {
    int stato = 0;
    esatto_ = ::waitpid(pid_, &stato, 0) == pid_ && WIFEXITED(stato) && WEXITSTATUS(stato) == 0;
    finito_ = true;
  }
  return esatto_;
}

double Scambi_Ms(const std::vector<Scambio>& scambi, const std::string& cartella) {
  size_t massimo_richiesta = 0, massimo_corpo = 0;
  for (const auto& s : scambi) {
    massimo_richiesta = std::max(massimo_richiesta, s.richiesta);
    massimo_corpo = std::max(massimo_corpo, std::max(s.corpo, s.risposta.size()));
  }
  Risponditore risponditore(scambi);
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sa.sin_port = htons(static_cast<uint16_t>(risponditore.Porta()));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) Fallito("connect");
  Nodelay(fd);
  std::string richiesta(massimo_richiesta, '\xE9');
  std::string buffer(6 + massimo_corpo, '\0');
  std::vector<std::string> nomi(scambi.size());
  for (size_t i = 0; i < scambi.size(); ++i)
    if (!scambi[i].file.empty()) nomi[i] = cartella + scambi[i].file;
  int fd_file = -1;
  const std::string* aperto = nullptr;
  auto file_chiudi = [&] {
    if (fd_file >= 0 && ::close(fd_file) != 0) Fallito("close");
    fd_file = -1;
    aperto = nullptr;
  };
  const auto t0 = std::chrono::steady_clock::now();
  for (size_t i = 0; i < scambi.size(); ++i)
    if (!nomi[i].empty() && scambi[i].dal_file == 0) ::unlink(nomi[i].c_str());
  for (size_t i = 0; i < scambi.size(); ++i) {
    const Scambio& s = scambi[i];
    const std::string& nome = nomi[i];
    if (aperto && (nome.empty() || nome != *aperto)) file_chiudi();
    if (!nome.empty() && !aperto) {
      fd_file = s.dal_file ? ::open(nome.c_str(), O_RDONLY | O_CLOEXEC)
                           : ::open(nome.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
      if (fd_file < 0) Fallito("open");
      aperto = &nome;
    }
    if (s.dal_file && ::read(fd_file, richiesta.data() + s.richiesta - s.dal_file, s.dal_file) !=
                          static_cast<ssize_t>(s.dal_file))
      Fallito("read");
    if (!Invia(fd, richiesta.data(), s.richiesta)) Fallito("send request");
    size_t arrivati = 0, atteso = 6;
    while (arrivati < atteso) {
      const ssize_t r = ::recv(fd, buffer.data() + arrivati, buffer.size() - arrivati, 0);
      if (r <= 0) Fallito("recv reply");
      arrivati += static_cast<size_t>(r);
      if (atteso == 6 && arrivati >= 6) {
        // Five digits, in ASCII or EBCDIC: their low half-bytes.
        atteso = 0;
        for (int k = 1; k < 6; ++k) atteso = atteso * 10 + (static_cast<unsigned char>(buffer[static_cast<size_t>(k)]) & 0x0F);
        atteso += 6;
      }
    }
    if (aperto && !s.dal_file && s.corpo > 0 &&
        ::write(fd_file, buffer.data() + 6, s.corpo) != static_cast<ssize_t>(s.corpo))
      Fallito("write");
  }
  file_chiudi();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  ::close(fd);
  if (!risponditore.Fine()) Fallito("the answering process");
  return ms;
}

}  // namespace qod::bench
