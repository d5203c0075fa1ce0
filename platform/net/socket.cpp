#include "qod/net/socket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qod::net {

namespace {

using Orologio = std::chrono::steady_clock;

int Millisecondi_Restanti(Orologio::time_point fine) {
  auto resto = std::chrono::duration_cast<std::chrono::milliseconds>(fine - Orologio::now()).count();
  return resto > 0 ? static_cast<int>(resto) : 0;
}

// poll() on one socket, repeated after signals until the limit is spent.
short Poll_Uno(Handle fd, short eventi, int limite_ms) {
  if (limite_ms < 0) limite_ms = 0;
  const auto fine = Orologio::now() + std::chrono::milliseconds(limite_ms);
  for (;;) {
    pollfd p{fd, eventi, 0};
    int r = ::poll(&p, 1, Millisecondi_Restanti(fine));
    if (r > 0) return p.revents;
    if (r == 0) return 0;
    if (errno != EINTR) return POLLERR;
  }
}

// Poll_Uno in slices of kFetta_Interruzione_ms with a look at `interrompi`
// before each: 0 also when interrupted.
short Poll_A_Fette(Handle fd, short eventi, int limite_ms, const Interruzione& interrompi) {
  if (!interrompi) return Poll_Uno(fd, eventi, limite_ms);
  const auto fine = Orologio::now() + std::chrono::milliseconds(std::max(limite_ms, 0));
  for (;;) {
    if (interrompi()) return 0;
    const int resto = Millisecondi_Restanti(fine);
    const short ev = Poll_Uno(fd, eventi, std::min(resto, kFetta_Interruzione_ms));
    if (ev != 0 || resto <= kFetta_Interruzione_ms) return ev;
  }
}

// Attendi, with a look at `interrompi` between slices.
bool Pronto(Handle fd, Attesa modo, int limite_ms, const Interruzione& interrompi) {
  if (fd < 0) return false;
  const short voluto = modo == Attesa::Lettura ? POLLIN : POLLOUT;
  short ev = Poll_A_Fette(fd, static_cast<short>(voluto | POLLPRI), limite_ms, interrompi);
  if (ev & (POLLERR | POLLNVAL | POLLPRI)) return false;
  // A peer that has closed reads as end of stream: that is readable.
  if (modo == Attesa::Lettura && (ev & POLLHUP)) return true;
  return (ev & voluto) != 0;
}

}  // namespace

std::optional<uint32_t> Risolvi(std::string_view host) {
  std::string nome(host);
  // A dotted text first (also the short forms "127.1", "0x7f.0.0.1").
  in_addr_t diretto = ::inet_addr(nome.c_str());
  if (diretto != INADDR_NONE) return diretto;
  if (nome.empty()) return std::nullopt;
  addrinfo suggerimenti{};
  suggerimenti.ai_family = AF_INET;
  suggerimenti.ai_socktype = SOCK_STREAM;
  addrinfo* elenco = nullptr;
  if (::getaddrinfo(nome.c_str(), nullptr, &suggerimenti, &elenco) != 0 || !elenco) return std::nullopt;
  std::optional<uint32_t> r;
  for (addrinfo* p = elenco; p; p = p->ai_next) {
    if (p->ai_family == AF_INET && p->ai_addrlen >= sizeof(sockaddr_in)) {
      r = reinterpret_cast<const sockaddr_in*>(p->ai_addr)->sin_addr.s_addr;
      break;
    }
  }
  ::freeaddrinfo(elenco);
  return r;
}

std::string Testo_IP(uint32_t indirizzo) {
  in_addr a{};
  a.s_addr = indirizzo;
  char testo[INET_ADDRSTRLEN] = {};
  if (!::inet_ntop(AF_INET, &a, testo, sizeof testo)) return "255.255.255.255";
  return testo;
}

int Linger(Handle fd, bool attivo, int secondi) {
  linger l{attivo ? 1 : 0, secondi};
  if (::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l) != 0) return -1;
  linger letto{};
  socklen_t n = sizeof letto;
  if (::getsockopt(fd, SOL_SOCKET, SO_LINGER, &letto, &n) != 0) return -1;
  return (letto.l_onoff != 0) == attivo && (!attivo || letto.l_linger == secondi) ? 0 : -1;
}

Handle Connetti(uint32_t indirizzo, uint16_t porta, int limite_ms, const Interruzione& interrompi) {
  Handle fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) return kNessuno;
  auto fallito = [&] {
    ::close(fd);
    return kNessuno;
  };
  if (Linger(fd, true, 0) != 0) return fallito();
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(porta);
  sa.sin_addr.s_addr = indirizzo;
  int r;
  do {
    r = ::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    if (errno != EINPROGRESS) return fallito();
    short ev = Poll_A_Fette(fd, POLLOUT, limite_ms, interrompi);
    if (!(ev & (POLLOUT | POLLERR | POLLHUP))) return fallito();  // no answer in time, or given up
    int errore = 0;
    socklen_t n = sizeof errore;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &errore, &n) != 0 || errore != 0) return fallito();
  }
  int uno = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &uno, sizeof uno);
  return fd;
}

bool Attendi(Handle fd, Attesa modo, int limite_ms) { return Pronto(fd, modo, limite_ms, {}); }

ssize_t Ricevi(Handle fd, void* dati, size_t n) {
  if (fd < 0) return -1;
  for (;;) {
    ssize_t r = ::recv(fd, dati, n, MSG_DONTWAIT);
    if (r >= 0 || errno != EINTR) return r;
  }
}

ssize_t Invia(Handle fd, const void* dati, size_t n) {
  if (fd < 0) return -1;
  for (;;) {
    ssize_t r = ::send(fd, dati, n, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (r >= 0 || errno != EINTR) return r;
  }
}

bool Invia_Tutto(Handle fd, const void* dati, size_t n, int limite_ms, const Interruzione& interrompi) {
  const auto* p = static_cast<const unsigned char*>(dati);
  size_t fatti = 0;
  while (fatti < n) {
    ssize_t r = Invia(fd, p + fatti, n - fatti);
    if (r > 0) {
      fatti += static_cast<size_t>(r);
      continue;
    }
    if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    if (!Pronto(fd, Attesa::Scrittura, limite_ms, interrompi)) return false;
  }
  return true;
}

void Chiudi(Handle fd) {
  if (fd >= 0) ::close(fd);
}

std::string Nome_Host() {
  char nome[256] = {};
  if (::gethostname(nome, 255) != 0) return "";
  if (std::memchr(nome, 0, 255) == nullptr) return "";
  return nome;
}

std::optional<uint32_t> IP_Locale(Handle fd) {
  sockaddr_in sa{};
  socklen_t n = sizeof sa;
  if (fd < 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &n) != 0 || sa.sin_family != AF_INET)
    return std::nullopt;
  return sa.sin_addr.s_addr;
}

std::optional<uint16_t> Porta_Locale(Handle fd) {
  sockaddr_in sa{};
  socklen_t n = sizeof sa;
  if (fd < 0 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &n) != 0 || sa.sin_family != AF_INET)
    return std::nullopt;
  return ntohs(sa.sin_port);
}

}  // namespace qod::net
