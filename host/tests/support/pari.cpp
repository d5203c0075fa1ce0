#include "pari.h"

#include "qod/host/tabella.h"

#include <arpa/inet.h>
#include <chrono>
#include <algorithm>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qod::prova {

Pari::Pari() {
  ascolto_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(ascolto_, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
  ::listen(ascolto_, 4);
  socklen_t n = sizeof sa;
  ::getsockname(ascolto_, reinterpret_cast<sockaddr*>(&sa), &n);
  porta_ = ntohs(sa.sin_port);
}

Pari::~Pari() {
  Chiudi();
  Chiudi_Ascolto();
}

bool Pari::Accetta(int limite_ms) {
  pollfd p{ascolto_, POLLIN, 0};
  if (::poll(&p, 1, limite_ms) <= 0) return false;
  fd_ = ::accept(ascolto_, nullptr, nullptr);
  return fd_ >= 0;
}

void Pari::Invia(std::string_view dati) {
  size_t fatti = 0;
  while (fatti < dati.size()) {
    ssize_t r = ::send(fd_, dati.data() + fatti, dati.size() - fatti, MSG_NOSIGNAL);
    if (r <= 0) return;
    fatti += static_cast<size_t>(r);
  }
}

std::string Pari::Ricevi(size_t n, int limite_ms) {
  std::string r;
  auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(limite_ms);
  while (r.size() < n) {
    auto resto = std::chrono::duration_cast<std::chrono::milliseconds>(fine - std::chrono::steady_clock::now());
    if (resto.count() <= 0) break;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(resto.count())) <= 0) break;
    char b[4096];
    ssize_t k = ::recv(fd_, b, std::min(sizeof b, n - r.size()), 0);
    if (k <= 0) break;
    r.append(b, static_cast<size_t>(k));
  }
  return r;
}

void Pari::Chiudi() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void Pari::Chiudi_Ascolto() {
  if (ascolto_ >= 0) ::close(ascolto_);
  ascolto_ = -1;
}

std::array<uint8_t, 256> Tabella_Prova() {
  std::array<uint8_t, 256> t{};
  t[0x40] = ' ';
  for (int i = 0; i < 10; ++i) t[0xF0 + i] = static_cast<uint8_t>('0' + i);
  const char* righe[] = {"ABCDEFGHI", "JKLMNOPQR", "STUVWXYZ"};
  const int inizi[] = {0xC1, 0xD1, 0xE2};
  for (int r = 0; r < 3; ++r)
    for (int i = 0; righe[r][i]; ++i) {
      t[static_cast<size_t>(inizi[r] + i)] = static_cast<uint8_t>(righe[r][i]);
      t[static_cast<size_t>(inizi[r] - 0x40 + i)] = static_cast<uint8_t>(righe[r][i] + 32);  // lower case
    }
  t[0x4B] = '.';
  t[0x60] = '-';
  t[0x4A] = '[';
  t[0xB1] = '[';
  t[0x7D] = '\'';
  t[0x4D] = '(';
  t[0x5D] = ')';
  t[0x61] = '/';
  t[0x7C] = 0xE8;  // "è"
  return t;
}

void Tabella_Scrivi(const std::filesystem::path& file, const std::array<uint8_t, 256>& tabella, size_t byte) {
  Tabella_Conversione t;
  const std::string testata = "TBL001";
  std::copy(testata.begin(), testata.end(), t.Testata.begin());
  t.Voci = tabella;
  std::error_code ec;
  std::filesystem::remove(file, ec);
  if (!qod::Tabella_Scrivi(file.string(), t)) return;
  if (byte < kTabella_Testata + kTabella_Voci) std::filesystem::resize_file(file, byte, ec);
}

std::string Esa(std::string_view testo) {
  std::string r;
  int meta = -1;
  for (char c : testo) {
    int v;
    if (c >= '0' && c <= '9')
      v = c - '0';
    else if (c >= 'A' && c <= 'F')
      v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      v = c - 'a' + 10;
    else
      continue;
    if (meta < 0) {
      meta = v;
    } else {
      r.push_back(static_cast<char>(meta * 16 + v));
      meta = -1;
    }
  }
  return r;
}

std::string In_Esa(std::string_view byte) {
  static const char* kCifre = "0123456789ABCDEF";
  std::string r;
  for (unsigned char c : byte) {
    r.push_back(kCifre[c >> 4]);
    r.push_back(kCifre[c & 15]);
  }
  return r;
}

int Descrittori_Aperti() {
  int n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

}  // namespace qod::prova
