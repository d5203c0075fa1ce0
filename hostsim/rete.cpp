#include "rete.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pthread.h>
#include <regex>
#include <sys/socket.h>
#include <sys/uio.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace hostsim {

namespace {

bool Scrivi(int fd, std::string_view dati) {
  size_t fatti = 0;
  while (fatti < dati.size()) {
    ssize_t r = ::send(fd, dati.data() + fatti, dati.size() - fatti, MSG_NOSIGNAL);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    fatti += static_cast<size_t>(r);
  }
  return true;
}

// Parts sent one after another with as few system calls as they allow.
bool Scrivi_Parti(int fd, std::vector<std::string_view> parti) {
  std::vector<iovec> v;
  for (auto p : parti)
    if (!p.empty()) v.push_back({const_cast<char*>(p.data()), p.size()});
  size_t da = 0;
  while (da < v.size()) {
    msghdr m{};
    m.msg_iov = v.data() + da;
    m.msg_iovlen = std::min<size_t>(v.size() - da, 64);
    ssize_t r = ::sendmsg(fd, &m, MSG_NOSIGNAL);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    for (auto n = static_cast<size_t>(r); n > 0;) {
      const size_t k = std::min(n, v[da].iov_len);
      v[da].iov_base = static_cast<char*>(v[da].iov_base) + k;
      v[da].iov_len -= k;
      n -= k;
      if (v[da].iov_len == 0) ++da;
    }
  }
  return true;
}

// Buffers for request records, used again once nobody holds them (the log,
// the archive store): fresh memory costs a page fault for every page.
class Buffer_Record {
 public:
  static constexpr size_t kMisura = 8192 + 64;  // the largest record the programs send, and some
  static constexpr size_t kCorto = 1024;
  // A buffer of `n` bytes; `dove` is where they go. Short records get one of
  // their own size.
  static Byte_Condivisi Prendi(size_t n, char*& dove) {
    if (n > kMisura || n <= kCorto) {
      auto s = std::make_shared<std::string>(n, '\0');
      dove = s->data();
      return {s, *s};
    }
    Buffer_Record& b = Uno();
    char* p = nullptr;
    {
      std::lock_guard<std::mutex> l(b.m_);
      if (!b.liberi_.empty()) {
        p = b.liberi_.back();
        b.liberi_.pop_back();
      }
    }
    if (!p) p = new char[kMisura];
    dove = p;
    return {std::shared_ptr<const void>(p, [](const void* q) { Uno().Rendi(static_cast<const char*>(q)); }),
            std::string_view(p, n)};
  }

 private:
  static constexpr size_t kTenuti = (size_t{64} << 20) / kMisura;
  // Never destroyed: buffers may come back from any thread until the end.
  static Buffer_Record& Uno() {
    static Buffer_Record* b = new Buffer_Record;
    return *b;
  }
  void Rendi(const char* q) {
    char* p = const_cast<char*>(q);
    std::lock_guard<std::mutex> l(m_);
    if (liberi_.size() < kTenuti)
      liberi_.push_back(p);
    else
      delete[] p;
  }
  std::mutex m_;
  std::vector<char*> liberi_;
};

// The requests of one connection as they come. Unless told to read in some
// other way (Lettura), what the socket holds is taken in one receive into a
// buffer of its own: a header and its body usually come together.
class Ingresso {
 public:
  Ingresso(int fd, const Lettura& l)
      : fd_(fd), lettura_(l), bufferizzato_(l.buffer == 0 && l.pausa_ms == 0 && l.tagli.empty()) {
    if (bufferizzato_) buffer_.resize(65536);
  }

  // Exactly `n` bytes, or false at end of stream or on error.
  bool Leggi(char* dove, size_t n) {
    if (!bufferizzato_) return lettura_.Leggi(fd_, dove, n);
    while (n > 0) {
      if (inizio_ == fine_) {
        const ssize_t r = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        inizio_ = 0;
        fine_ = static_cast<size_t>(r);
      }
      const size_t k = std::min(n, fine_ - inizio_);
      std::memcpy(dove, buffer_.data() + inizio_, k);
      inizio_ += k;
      dove += k;
      n -= k;
    }
    return true;
  }

 private:
  int fd_;
  const Lettura& lettura_;
  bool bufferizzato_;
  std::string buffer_;
  size_t inizio_ = 0, fine_ = 0;
};

// One CR LF line (a bare LF ends it too), at most 4096 bytes.
bool Leggi_Riga(int fd, std::string& riga) {
  riga.clear();
  char c;
  while (riga.size() < 4096) {
    ssize_t r = ::recv(fd, &c, 1, 0);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    if (c == '\n') {
      if (!riga.empty() && riga.back() == '\r') riga.pop_back();
      return true;
    }
    riga.push_back(c);
  }
  return false;
}

// "T=500", "T#3=40": the letter, the occurrence and the value.
bool Guasto_Leggi(Guasto::Tipo tipo, const std::string& v, std::vector<Guasto>& dove, std::string& errore) {
  static const std::regex forma(R"(^(.)(?:#([0-9]+))?=([0-9]+)$)");
  std::smatch m;
  if (!std::regex_match(v, m, forma)) {
    errore = "expected LETTER[#N]=NUMBER";
    return false;
  }
  Guasto g{tipo, m[1].str()[0], m[2].matched ? std::stoi(m[2].str()) : 0, std::stoi(m[3].str())};
  dove.push_back(g);
  return true;
}

}  // namespace

void Configurazione::Opzioni_Dichiara(Opzioni& o) {
  o.Testo("bind", "ADDR", "address the listeners bind to (default 127.0.0.1)", indirizzo);
  o.Intero("ftp-port", "N", "FTP server port; 0 picks a free one, -1 runs no FTP server", porta_ftp, -1, 65535);
  o.Intero("record-port", "N", "record listener port of the host program; 0 picks a free one", porta_record, 0,
           65535);
  o.Testo("ready-file", "FILE", "written once listening: ftp=N, record=N, pid=N lines", file_pronto);
  o.Testo("log", "FILE", "request log (default hostsim.log in the current folder)", file_log);
  o.Vero("program-on-rcmd", "the host program runs only once an RCMD starts it (connections before are dropped)",
         programma_su_rcmd);
  o.Vero("end-with-session", "the host program ends when its record connection closes; an RCMD starts it again",
         fine_con_sessione);
  o.Valore("greeting", "C", "Esito of the greeting header (default 0)", [this](const std::string& v, std::string& e) {
    if (v.size() != 1) {
      e = "one character";
      return false;
    }
    esito_greeting = v;
    return true;
  });
  o.Intero("body-on-empty", "N",
           "replies that carry no body (greeting, X, refusals, end of lists) carry N filler bytes", corpo_su_vuoto, 0,
           8192);
  o.Valore(
      "slow", "L[#N]=MS", "wait MS before the reply to record L (@ the greeting, * any; #N only the N-th)",
      [this](const std::string& v, std::string& e) { return Guasto_Leggi(Guasto::Lento, v, guasti, e); }, true);
  o.Valore(
      "cut", "L[#N]=BYTES", "send only the first BYTES of the reply to L, then go silent on it",
      [this](const std::string& v, std::string& e) { return Guasto_Leggi(Guasto::Taglia, v, guasti, e); }, true);
  o.Valore(
      "close", "L[#N]=BYTES", "send the first BYTES of the reply to L, then close the connection",
      [this](const std::string& v, std::string& e) { return Guasto_Leggi(Guasto::Chiudi, v, guasti, e); }, true);
  auto passo = [](std::string& dove) {
    return [&dove](const std::string& v, std::string& e) {
      if (v != "greeting" && v != "user" && v != "pass" && v != "rcmd") {
        e = "one of greeting, user, pass, rcmd";
        return false;
      }
      dove = v;
      return true;
    };
  };
  o.Valore("ftp-silent", "STEP", "the FTP server does not answer at STEP (greeting, user, pass, rcmd)",
           passo(ftp_muto));
  o.Valore("ftp-wrong", "STEP", "the FTP server answers STEP with a wrong code (USER gets 230)", passo(ftp_errato));
  o.Vero("ftp-multiline", "every FTP reply comes in three lines", ftp_multiriga);
  o.Intero("ftp-endless-greeting", "MS", "the greeting is a \"220-\" line every MS ms that never ends",
           ftp_greeting_infinito_ms, 1, 600000);
  o.Valore(
      "drip", "L[#N]=MS", "send the reply to L one byte every MS ms",
      [this](const std::string& v, std::string& e) { return Guasto_Leggi(Guasto::Goccia, v, guasti, e); }, true);
  o.Valore(
      "long-body", "L[#N]=BYTES", "BYTES more bytes follow the reply to L than its header announces",
      [this](const std::string& v, std::string& e) { return Guasto_Leggi(Guasto::Allunga, v, guasti, e); }, true);
  o.Valore(
      "grow-body", "L[#N]=BYTES", "the reply to L carries BYTES more body bytes, announced in its header",
      [this](const std::string& v, std::string& e) { return Guasto_Leggi(Guasto::Cresce, v, guasti, e); }, true);
  lettura.Opzioni_Dichiara(o);
}

int Server::Ascolta(int porta, int& effettiva, std::string& errore) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int uno = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &uno, sizeof uno);
  // Accepted connections take the listener's receive buffer.
  if (c_.lettura.buffer > 0)
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &c_.lettura.buffer, sizeof c_.lettura.buffer);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(porta));
  if (::inet_pton(AF_INET, c_.indirizzo.c_str(), &sa.sin_addr) != 1) {
    errore = "bad --bind address " + c_.indirizzo;
    ::close(fd);
    return -1;
  }
  if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || ::listen(fd, 16) != 0) {
    errore = "cannot listen on port " + std::to_string(porta) + ": " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  socklen_t n = sizeof sa;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &n);
  effettiva = ntohs(sa.sin_port);
  return fd;
}

bool Server::Avvia(std::string& errore) {
  int fd_record = Ascolta(c_.porta_record, porta_record_, errore);
  if (fd_record < 0) return false;
  ascolti_[porta_record_] = fd_record;
  programma_attivo_ = !c_.programma_su_rcmd;
  int fd_ftp = -1;
  if (c_.porta_ftp >= 0) {
    fd_ftp = Ascolta(c_.porta_ftp, porta_ftp_, errore);
    if (fd_ftp < 0) return false;
  }
  const int fd_controllo = Ascolta(0, porta_controllo_, errore);
  if (fd_controllo < 0) return false;
  std::thread([this, fd_record] { Accetta(fd_record, false); }).detach();
  if (fd_ftp >= 0) std::thread([this, fd_ftp] { Accetta(fd_ftp, true); }).detach();
  std::thread([this, fd_controllo] { Controllo(fd_controllo); }).detach();
  log_.Evento(0, "start ftp=" + std::to_string(porta_ftp_) + " record=" + std::to_string(porta_record_) +
                     (programma_attivo_ ? " program-running" : " program-stopped"));

  if (!c_.file_pronto.empty()) {
    const std::string tmp = c_.file_pronto + ".tmp";
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
      errore = "cannot write " + tmp;
      return false;
    }
    std::fprintf(f, "ftp=%d\nrecord=%d\ncontrol=%d\npid=%d\n", porta_ftp_, porta_record_, porta_controllo_,
                 static_cast<int>(::getpid()));
    std::fclose(f);
    if (std::rename(tmp.c_str(), c_.file_pronto.c_str()) != 0) {
      errore = "cannot write " + c_.file_pronto;
      return false;
    }
  }
  return true;
}

void Server::Accetta(int ascolto, bool ftp) {
  for (;;) {
    int fd = ::accept4(ascolto, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    int uno = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &uno, sizeof uno);
    const int id = prossimo_id_++;
    if (ftp)
      std::thread([this, fd, id] { Sessione_Ftp(fd, id); }).detach();
    else
      std::thread([this, fd, id] { Sessione_Record(fd, id); }).detach();
  }
}

void Server::Sincronizza() {
  if (sincronizza_) sincronizza_();
  log_.Scarica();
}

// The control port: each line "sync" is answered "ok" once the files and the
// log are written (what a test reads is then there). Nothing here is logged.
void Server::Controllo(int ascolto) {
  for (;;) {
    const int fd = ::accept4(ascolto, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno != EINTR && errno != ECONNABORTED) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    std::thread([this, fd] {
      std::string riga;
      while (Leggi_Riga(fd, riga)) {
        if (riga == "sync") Sincronizza();
        if (!Scrivi(fd, riga == "sync" ? "ok\n" : "?\n")) break;
      }
      ::close(fd);
    }).detach();
  }
}

// ---- The host's FTP server --------------------------------------------------

void Server::Sessione_Ftp(int fd, int id) {
  pthread_setname_np(pthread_self(), ("ftp " + std::to_string(id)).substr(0, 15).c_str());
  log_.Evento(id, "ftp-connect");
  if (c_.ftp_greeting_infinito_ms > 0) {
    // Continuation lines for ever, until the client goes away.
    while (Scrivi(fd, "220-Attendere prego\r\n"))
      std::this_thread::sleep_for(std::chrono::milliseconds(c_.ftp_greeting_infinito_ms));
    ::close(fd);
    log_.Evento(id, "ftp-close");
    log_.Scarica();
    return;
  }
  auto rispondi = [&](const std::string& passo, const std::string& codice, const std::string& sbagliato,
                      const std::string& testo) {
    if (c_.ftp_muto == passo) return;
    const std::string k = c_.ftp_errato == passo ? sbagliato : codice;
    std::string r;
    if (c_.ftp_multiriga) r = k + "-" + testo + "\r\n" + k + "-Quillon stand-in host\r\n";
    r += k + " " + testo + "\r\n";
    Scrivi(fd, r);
  };
  rispondi("greeting", "220", "421", "Pronto");
  std::string riga;
  while (Leggi_Riga(fd, riga)) {
    log_.Ftp(id, riga);
    const std::string verbo = qod::UCase(riga.substr(0, riga.find(' ')));
    const std::string resto = riga.find(' ') == std::string::npos ? "" : riga.substr(riga.find(' ') + 1);
    if (verbo == "USER") {
      rispondi("user", "331", "230", "Password richiesta per " + resto);
    } else if (verbo == "PASS") {
      rispondi("pass", "230", "530", "Accesso eseguito");
    } else if (verbo == "RCMD") {
      static const std::regex porta_programma(R"(\('P([0-9]{5})'\))");
      std::smatch m;
      if (c_.ftp_muto == "rcmd") continue;
      if (c_.ftp_errato == "rcmd" || !std::regex_search(resto, m, porta_programma) ||
          !Programma_Avvia(std::stoi(m[1].str()), id))
        rispondi("rcmd", "550", "550", "Comando non eseguito");
      else
        rispondi("rcmd", "250", "550", "Comando eseguito");
    } else if (verbo == "QUIT") {
      Scrivi(fd, "221 Arrivederci\r\n");
      break;
    } else {
      Scrivi(fd, "500 Comando sconosciuto\r\n");
    }
  }
  ::close(fd);
  log_.Evento(id, "ftp-close");
  log_.Scarica();
}

bool Server::Programma_Avvia(int porta, int id) {
  std::lock_guard<std::mutex> l(m_);
  if (!ascolti_.count(porta)) {
    std::string errore;
    int effettiva = 0;
    int fd = Ascolta(porta, effettiva, errore);
    if (fd < 0) {
      log_.Evento(id, "program-failed " + errore);
      return false;
    }
    ascolti_[porta] = fd;
    std::thread([this, fd] { Accetta(fd, false); }).detach();
  }
  log_.Evento(id, (programma_attivo_ ? "program-confirm " : "program-start ") + std::to_string(porta));
  programma_attivo_ = true;
  return true;
}

void Server::Programma_Termina(int id) {
  std::lock_guard<std::mutex> l(m_);
  if (!programma_attivo_) return;
  programma_attivo_ = false;
  log_.Evento(id, "program-end");
}

// ---- The host program's record connection -----------------------------------

bool Server::Invia(int fd, int id, const Risposta& r, char lettera, int occorrenza) {
  const Ebcdic& e = Ebcdic::Standard();
  auto vale = [&](const Guasto& g) {
    return (g.lettera == lettera || g.lettera == '*') && (g.occorrenza == 0 || g.occorrenza == occorrenza);
  };
  if (c_.corpo_su_vuoto == 0 && std::none_of(c_.guasti.begin(), c_.guasti.end(), vale)) {
    // As it stands: each frame's header and its body, in one send.
    std::string testate;
    for (const auto& f : r.frame) {
      testate += e.Codifica(std::string(1, f.esito));
      testate += Zoned(static_cast<int64_t>(f.Byte().size()), 5);
    }
    std::vector<std::string_view> parti;
    for (size_t i = 0; i < r.frame.size(); ++i) {
      parti.push_back(std::string_view(testate).substr(6 * i, 6));
      parti.push_back(r.frame[i].Byte());
    }
    return Scrivi_Parti(fd, std::move(parti)) && !r.chiudi;
  }
  std::string byte;
  for (size_t i = 0; i < r.frame.size(); ++i) {
    const auto& f = r.frame[i];
    std::string corpo(f.Byte());
    if (corpo.empty() && c_.corpo_su_vuoto > 0) {
      corpo = e.Codifica(qod::Testo_Largo("CORPO DA SCARTARE", c_.corpo_su_vuoto));
    }
    for (const auto& g : c_.guasti)
      if (i == 0 && g.tipo == Guasto::Cresce && vale(g)) {
        corpo.append(static_cast<size_t>(g.valore), static_cast<char>(0x40));
        log_.Evento(id, std::string("reply-grown ") + lettera + " " + std::to_string(corpo.size()));
      }
    byte += e.Codifica(std::string(1, f.esito));
    byte += Zoned(static_cast<int64_t>(corpo.size()), 5);
    byte += corpo;
  }
  bool chiudi = r.chiudi;
  int goccia_ms = 0;
  for (const auto& g : c_.guasti) {
    if (!vale(g)) continue;
    if (g.tipo == Guasto::Lento) {
      std::this_thread::sleep_for(std::chrono::milliseconds(g.valore));
    } else if (g.tipo == Guasto::Goccia) {
      goccia_ms = g.valore;
    } else if (g.tipo == Guasto::Allunga) {
      byte.append(static_cast<size_t>(g.valore), static_cast<char>(0x40));
      log_.Evento(id, std::string("reply-long ") + lettera + " " + std::to_string(g.valore));
    } else if (g.tipo == Guasto::Cresce) {
      continue;
    } else {
      byte.resize(std::min(byte.size(), static_cast<size_t>(g.valore)));
      if (g.tipo == Guasto::Chiudi) chiudi = true;
      log_.Evento(id, std::string(g.tipo == Guasto::Chiudi ? "reply-closed " : "reply-cut ") + lettera + " " +
                          std::to_string(byte.size()));
    }
  }
  if (goccia_ms > 0) {
    log_.Evento(id, std::string("reply-drip ") + lettera + " " + std::to_string(byte.size()));
    for (size_t i = 0; i < byte.size(); ++i) {
      if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(goccia_ms));
      if (!Scrivi(fd, std::string_view(byte).substr(i, 1))) return false;
    }
    return !chiudi;
  }
  return Scrivi(fd, byte) && !chiudi;
}

void Server::Sessione_Record(int fd, int id) {
  pthread_setname_np(pthread_self(), ("record " + std::to_string(id)).substr(0, 15).c_str());
  const Ebcdic& e = Ebcdic::Standard();
  const int numero = ++connessioni_record_;
  {
    std::lock_guard<std::mutex> l(m_);
    if (!programma_attivo_) {
      log_.Evento(id, "rec-refused");
      ::close(fd);
      return;
    }
  }
  log_.Evento(id, "rec-connect");
  Sessione s;
  s.id = id;
  bool avanti = Invia(fd, id, Risposta::Una(c_.esito_greeting[0]), '@', numero);
  Ingresso ingresso(fd, c_.lettura);
  while (avanti) {
    char testata[6];
    if (!ingresso.Leggi(testata, 6)) break;
    std::string t = e.Decodifica(std::string_view(testata, 6));
    bool cifre = true;
    for (size_t i = 1; i < 6; ++i) cifre = cifre && t[i] >= '0' && t[i] <= '9';
    if (!cifre) {
      log_.Record(id, Byte_Condivisi::Di(std::string(testata, 6)));
      log_.Evento(id, "bad-header");
      break;
    }
    const size_t lunghezza = static_cast<size_t>(std::stoi(t.substr(1)));
    char* dove = nullptr;
    Richiesta r;
    r.lettera = t[0];
    r.record = Buffer_Record::Prendi(6 + lunghezza, dove);
    std::memcpy(dove, testata, 6);
    const long limite = c_.lettura.Limite(r.lettera, s.conteggi[r.lettera] + 1);
    if (limite >= 0 && static_cast<size_t>(limite) < lunghezza) {
      ingresso.Leggi(dove + 6, static_cast<size_t>(limite));
      log_.Evento(id, "request-closed " + t + " " + std::to_string(limite));
      break;
    }
    if (lunghezza > 0 && !ingresso.Leggi(dove + 6, lunghezza)) {
      log_.Evento(id, "short-record " + t);
      break;
    }
    r.corpo = r.record.byte.substr(6);
    log_.Record(id, r.record);
    const int occorrenza = ++s.conteggi[r.lettera];
    Risposta risposta;
    {
      std::lock_guard<std::mutex> l(m_);
      if (const Gestore* g = gestori_.Trova(r)) {
        risposta = (*g)(s, r);
      } else {
        log_.Evento(id, std::string("unknown-record ") + r.lettera);
        risposta = Risposta::Una('9');
      }
    }
    if (risposta.prima) risposta.prima();
    avanti = Invia(fd, id, risposta, r.lettera, occorrenza);
    if (risposta.dopo) risposta.dopo();
  }
  ::close(fd);
  {
    std::lock_guard<std::mutex> l(m_);
    gestori_.Chiusura(s);
  }
  // What the connection left in memory is in its files before its end is
  // logged.
  if (sincronizza_) sincronizza_();
  log_.Evento(id, "rec-close");
  if (c_.fine_con_sessione) Programma_Termina(id);
  log_.Scarica();
}

}  // namespace hostsim
