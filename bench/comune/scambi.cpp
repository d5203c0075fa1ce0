#include "qod/bench/scambi.h"

#include <arpa/inet.h>
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
#include <string>

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

double Scambi_Ms(const std::vector<Scambio>& scambi, const std::string& cartella) {
  size_t massimo_richiesta = 0, massimo_corpo = 0;
  for (const auto& s : scambi) {
    massimo_richiesta = std::max(massimo_richiesta, s.richiesta);
    massimo_corpo = std::max(massimo_corpo, s.corpo);
  }
  const int ascolto = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t l = sizeof sa;
  if (::bind(ascolto, reinterpret_cast<sockaddr*>(&sa), l) != 0 || ::listen(ascolto, 1) != 0) Fallito("listen");
  ::getsockname(ascolto, reinterpret_cast<sockaddr*>(&sa), &l);
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) Fallito("connect");
  const int pari = ::accept(ascolto, nullptr, nullptr);
  if (pari < 0) Fallito("accept");
  Nodelay(fd);
  Nodelay(pari);

  // The answering side is a process of its own, as the host is: the replies'
  // bytes made before it starts, then only receives and sends.
  std::vector<std::string> testate(scambi.size());
  for (size_t i = 0; i < scambi.size(); ++i) {
    char t[16];
    std::snprintf(t, sizeof t, "0%05zu", scambi[i].corpo);
    testate[i] = t;
  }
  std::string risposta(6 + massimo_corpo, '\xC1'), dentro(massimo_richiesta, '\0');
  const pid_t risponditore = ::fork();
  if (risponditore < 0) Fallito("fork");
  if (risponditore == 0) {
    ::close(fd);
    for (size_t i = 0; i < scambi.size(); ++i) {
      size_t letti = 0;
      while (letti < scambi[i].richiesta) {
        const ssize_t r = ::recv(pari, dentro.data() + letti, scambi[i].richiesta - letti, 0);
        if (r <= 0) ::_exit(1);
        letti += static_cast<size_t>(r);
      }
      std::memcpy(risposta.data(), testate[i].data(), 6);
      if (!Invia(pari, risposta.data(), 6 + scambi[i].corpo)) ::_exit(1);
    }
    ::_exit(0);
  }
  ::close(pari);

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
      if (atteso == 6 && arrivati >= 6) atteso = 6 + static_cast<size_t>(std::atol(std::string(buffer, 1, 5).c_str()));
    }
    if (aperto && !s.dal_file && s.corpo > 0 &&
        ::write(fd_file, buffer.data() + 6, s.corpo) != static_cast<ssize_t>(s.corpo))
      Fallito("write");
  }
  file_chiudi();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  int stato = 0;
  if (::waitpid(risponditore, &stato, 0) != risponditore || !WIFEXITED(stato) || WEXITSTATUS(stato) != 0)
    Fallito("the answering process");
  ::close(fd);
  ::close(ascolto);
  return ms;
}

}  // namespace qod::bench
