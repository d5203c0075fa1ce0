#include "qod/net/ping.h"

#include <arpa/inet.h>
#include <errno.h>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace qod::net {

namespace {

constexpr char kDati_Eco[] = "Echo this string of data";
constexpr size_t kLunghezza_Dati = sizeof(kDati_Eco) - 1;  // 24

uint16_t Somma_Controllo(const uint8_t* p, size_t n) {
  uint32_t s = 0;
  for (size_t i = 0; i + 1 < n; i += 2) s += static_cast<uint32_t>(p[i] << 8 | p[i + 1]);
  if (n & 1) s += static_cast<uint32_t>(p[n - 1] << 8);
  while (s >> 16) s = (s & 0xFFFF) + (s >> 16);
  return htons(static_cast<uint16_t>(~s));
}

// The status of an ICMP error report.
int32_t Stato_Errore_Icmp(int tipo, int codice) {
  if (tipo == ICMP_DEST_UNREACH) {
    switch (codice) {
      case ICMP_NET_UNREACH: return kIcmp_Rete_Irraggiungibile;
      case ICMP_PROT_UNREACH: return kIcmp_Protocollo_Irraggiungibile;
      case ICMP_PORT_UNREACH: return kIcmp_Porta_Irraggiungibile;
      default: return kIcmp_Host_Irraggiungibile;
    }
  }
  if (tipo == ICMP_TIME_EXCEEDED) return codice == 0 ? kIcmp_Ttl_Scaduto : kIcmp_Riassemblaggio_Scaduto;
  if (tipo == ICMP_PARAMETERPROB) return 11015;
  if (tipo == ICMP_SOURCE_QUENCH) return 11016;
  return kIcmp_Guasto_Generale;
}

int32_t Stato_Errno(int e) {
  switch (e) {
    case ENETUNREACH: return kIcmp_Rete_Irraggiungibile;
    case EHOSTUNREACH: return kIcmp_Host_Irraggiungibile;
    case EMSGSIZE: return 11009;
    default: return kIcmp_Guasto_Generale;
  }
}

class Socket_Icmp {
 public:
  Socket_Icmp() {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd_ < 0) {
      fd_ = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
      raw_ = fd_ >= 0;
    }
  }
  ~Socket_Icmp() {
    if (fd_ >= 0) ::close(fd_);
  }
  Socket_Icmp(const Socket_Icmp&) = delete;
  Socket_Icmp& operator=(const Socket_Icmp&) = delete;
  int fd() const { return fd_; }
  bool raw() const { return raw_; }

 private:
  int fd_ = -1;
  bool raw_ = false;
};

}  // namespace

std::string Ping_Stato_Testo(int32_t stato) {
  switch (stato) {
    case 0: return "Success";
    case 11000: return "Status base";
    case 11001: return "Buffer to small";
    case 11002: return "Destination network unreachable";
    case 11003: return "Destination host unreachable";
    case 11004: return "Destination protocol unreachable";
    case 11005: return "Destination port unreachable";
    case 11006: return "No resources";
    case 11007: return "Bad option";
    case 11008: return "hw error";
    case 11009: return "Packet to big";
    case 11010: return "Requested IP timed out";
    case 11011: return "Bad request";
    case 11012: return "Bad route";
    case 11013: return "Time to live expired transmition";
    case 11014: return "Time ti live expired reassem";
    case 11015: return "Param problems";
    case 11016: return "Source quench";
    case 11017: return "Option too big";
    case 11018: return "Bad destination";
    case 11019: return "Address deleted";
    case 11020: return "Spec mtu changed";
    case 11021: return "Mtu changed";
    case 11022: return "Unloaded";
    case 11023: return "Address added";
    case 11050: return "General failure";
    case 11255: return "Ip pending";
    default: return "Unindentified";
  }
}

Risposta_Echo Eco_Icmp(uint8_t ttl, uint32_t attesa_ms, uint32_t indirizzo) {
  using Orologio = std::chrono::steady_clock;
  if (indirizzo == 0) return {false, kIcmp_Destinazione_Errata, 0};
  Socket_Icmp s;
  if (s.fd() < 0) return {false, kIcmp_Guasto_Generale, 0};
  const int t = ttl;
  ::setsockopt(s.fd(), IPPROTO_IP, IP_TTL, &t, sizeof t);
  const int si = 1;
  ::setsockopt(s.fd(), IPPROTO_IP, IP_RECVERR, &si, sizeof si);

  static std::atomic<uint16_t> sequenza{0};
  const uint16_t seq = ++sequenza;
  const uint16_t id = static_cast<uint16_t>(::getpid());  // the datagram socket puts its own
  uint8_t pacchetto[sizeof(icmphdr) + kLunghezza_Dati] = {};
  icmphdr h{};
  h.type = ICMP_ECHO;
  h.un.echo.id = htons(id);
  h.un.echo.sequence = htons(seq);
  std::memcpy(pacchetto, &h, sizeof h);
  std::memcpy(pacchetto + sizeof h, kDati_Eco, kLunghezza_Dati);
  h.checksum = Somma_Controllo(pacchetto, sizeof pacchetto);
  std::memcpy(pacchetto, &h, sizeof h);

  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = indirizzo;
  const auto inizio = Orologio::now();
  const auto limite = inizio + std::chrono::milliseconds(attesa_ms);
  auto trascorsi = [&] {
    return static_cast<int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Orologio::now() - inizio).count());
  };
  if (::sendto(s.fd(), pacchetto, sizeof pacchetto, 0, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0)
    return {true, Stato_Errno(errno), trascorsi()};

  std::vector<uint8_t> buffer(1500);
  for (;;) {
    const auto resto = std::chrono::duration_cast<std::chrono::milliseconds>(limite - Orologio::now()).count();
    if (resto < 0) return {false, kIcmp_Scaduto, static_cast<int32_t>(attesa_ms)};
    pollfd p{s.fd(), POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(resto));
    if (r < 0) {
      if (errno == EINTR) continue;
      return {false, kIcmp_Guasto_Generale, trascorsi()};
    }
    if (r == 0) return {false, kIcmp_Scaduto, static_cast<int32_t>(attesa_ms)};

    if (p.revents & POLLERR) {
      // An error report the system queued for this socket.
      char controllo[512];
      msghdr m{};
      iovec v{buffer.data(), buffer.size()};
      m.msg_iov = &v;
      m.msg_iovlen = 1;
      m.msg_control = controllo;
      m.msg_controllen = sizeof controllo;
      if (::recvmsg(s.fd(), &m, MSG_ERRQUEUE | MSG_DONTWAIT) >= 0) {
        for (cmsghdr* c = CMSG_FIRSTHDR(&m); c; c = CMSG_NXTHDR(&m, c)) {
          if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_RECVERR) continue;
          sock_extended_err e;
          std::memcpy(&e, CMSG_DATA(c), sizeof e);
          const int32_t stato = e.ee_origin == SO_EE_ORIGIN_ICMP ? Stato_Errore_Icmp(e.ee_type, e.ee_code)
                                                                 : Stato_Errno(static_cast<int>(e.ee_errno));
          return {true, stato, trascorsi()};
        }
      }
      continue;
    }

    const ssize_t n = ::recv(s.fd(), buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (n < 0) continue;
    size_t inizio_icmp = 0;
    if (s.raw()) {
      if (n < static_cast<ssize_t>(sizeof(iphdr))) continue;
      inizio_icmp = static_cast<size_t>((buffer[0] & 0x0F) * 4);
    }
    if (static_cast<size_t>(n) < inizio_icmp + sizeof(icmphdr)) continue;
    icmphdr r_h;
    std::memcpy(&r_h, buffer.data() + inizio_icmp, sizeof r_h);
    if (r_h.type == ICMP_ECHOREPLY) {
      if (ntohs(r_h.un.echo.sequence) != seq) continue;
      if (s.raw() && ntohs(r_h.un.echo.id) != id) continue;
      return {true, kIcmp_Successo, trascorsi()};
    }
    if (s.raw() && (r_h.type == ICMP_DEST_UNREACH || r_h.type == ICMP_TIME_EXCEEDED)) {
      // The report carries the start of our request: the IP header, then its ICMP header.
      const size_t interno = inizio_icmp + sizeof(icmphdr);
      if (static_cast<size_t>(n) < interno + sizeof(iphdr)) continue;
      const size_t orig = interno + static_cast<size_t>((buffer[interno] & 0x0F) * 4);
      if (static_cast<size_t>(n) < orig + sizeof(icmphdr)) continue;
      icmphdr o;
      std::memcpy(&o, buffer.data() + orig, sizeof o);
      if (o.type != ICMP_ECHO || ntohs(o.un.echo.id) != id || ntohs(o.un.echo.sequence) != seq) continue;
      return {true, Stato_Errore_Icmp(r_h.type, r_h.code), trascorsi()};
    }
  }
}

Risultato_Ping Ping_Echo(uint8_t ttl, uint32_t attesa_ms, uint32_t indirizzo, const Eco& eco) {
  const Risposta_Echo r = eco ? eco(ttl, attesa_ms, indirizzo) : Risposta_Echo{};
  const int32_t attesa = static_cast<int32_t>(attesa_ms);
  Risultato_Ping p;
  if (r.risposta && r.tempo > attesa) {
    p.Testo = "*** errore : " + Ping_Stato_Testo(kIcmp_Scaduto);
    p.Tempo = attesa;
  } else if (r.risposta && r.stato == kIcmp_Successo) {
    p.Testo = "   OK : completato in " + std::to_string(r.tempo) + "ms.";
    p.Tempo = r.tempo;
    p.Errore = false;
  } else {
    // Without a reply there is no status to tell but the reason it failed.
    const int32_t stato = r.stato == kIcmp_Successo ? kIcmp_Guasto_Generale : r.stato;
    p.Testo = "*** errore : " + Ping_Stato_Testo(stato);
    p.Tempo = attesa;
  }
  return p;
}

std::string Hosts_Percorso() {
  const char* v = std::getenv("QOD_HOSTS");
  return v && *v ? v : "/etc/hosts";
}

std::optional<uint32_t> Hosts_Indirizzo(std::string_view nome, const std::string& percorso) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  auto maiuscolo = [](std::string s) {
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
  };
  while (!nome.empty() && nome.front() == ' ') nome.remove_prefix(1);
  while (!nome.empty() && nome.back() == ' ') nome.remove_suffix(1);
  const std::string cercato = maiuscolo(std::string(nome));

  std::ifstream in(percorso);
  if (!in) return std::nullopt;
  std::string testo(nome);
  std::string riga;
  bool trovato = false;
  while (!trovato && std::getline(in, riga)) {
    const auto commento = riga.find('#');
    if (commento != std::string::npos) riga.resize(commento);
    std::vector<std::string> campi;
    size_t i = 0;
    while (i < riga.size()) {
      while (i < riga.size() && blank(riga[i])) ++i;
      size_t j = i;
      while (j < riga.size() && !blank(riga[j])) ++j;
      if (j > i) campi.push_back(riga.substr(i, j - i));
      i = j;
    }
    for (size_t k = 0; k < campi.size() && !trovato; ++k) {
      if (maiuscolo(campi[k]) != cercato) continue;
      trovato = true;
      if (k > 0) testo = campi[0];
    }
  }
  // A file that could not be read through (a folder, a read error) fails
  // like one that cannot be opened.
  if (in.bad()) return std::nullopt;

  std::vector<std::string> parti;
  size_t i = 0;
  for (;;) {
    const size_t j = testo.find('.', i);
    parti.push_back(testo.substr(i, j == std::string::npos ? std::string::npos : j - i));
    if (j == std::string::npos) break;
    i = j + 1;
  }
  if (parti.size() < 4) return 0u;
  if (parti.size() > 4) return std::nullopt;
  uint8_t byte[4];
  for (size_t k = 0; k < 4; ++k) {
    const std::string& p = parti[k];
    if (p.empty() || p.size() > 9) return std::nullopt;
    for (char c : p)
      if (c < '0' || c > '9') return std::nullopt;
    byte[k] = static_cast<uint8_t>(std::stoul(p) & 0xFF);
  }
  uint32_t r;
  std::memcpy(&r, byte, sizeof r);
  return r;
}

}  // namespace qod::net
