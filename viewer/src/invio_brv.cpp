#include "qod/viewer/invio_brv.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "qod/basic.h"

namespace qod::imv {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kPrefisso = "__Brv_";
// Hand-off numbers tried past the first free one before giving up.
constexpr int kTentativi_Sequenza = 1000;

bool Prefisso_Brv(const std::string& nome) {
  return nome.size() >= kPrefisso.size() && UCase(nome.substr(0, kPrefisso.size())) == UCase(kPrefisso);
}

// Copies `da` into a new file `a`, created exclusively. EEXIST in `errno`
// when the name is taken.
bool Copia_Esclusiva(const std::string& da, const std::string& a) {
  const int in = ::open(da.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const int out = ::open(a.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (out < 0) {
    const int e = errno;
    ::close(in);
    errno = e;
    return false;
  }
  bool ok = true;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(in, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    for (ssize_t scritti = 0; scritti < n;) {
      const ssize_t w = ::write(out, buf + scritti, static_cast<size_t>(n - scritti));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = false;
        break;
      }
      scritti += w;
    }
    if (!ok) break;
  }
  ::close(in);
  if (::close(out) != 0) ok = false;
  if (!ok) {
    ::unlink(a.c_str());
    errno = EIO;  // not a taken name
  }
  return ok;
}

// Reads one line (without its end) within the time left; nothing on a
// time-out, an error, or an end before the line end.
std::optional<std::string> Leggi_Riga(int fd, int attesa_ms) {
  using orologio = std::chrono::steady_clock;
  const auto fine = orologio::now() + std::chrono::milliseconds(attesa_ms);
  std::string riga;
  for (;;) {
    const auto resta = std::chrono::duration_cast<std::chrono::milliseconds>(fine - orologio::now()).count();
    if (resta <= 0) return std::nullopt;
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(resta));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return std::nullopt;
    char c;
    const ssize_t n = ::recv(fd, &c, 1, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    if (c == '\n') return riga;
    if (riga.size() >= 65536) return std::nullopt;
    riga += c;
  }
}

bool Scrivi_Tutto(int fd, const std::string& dati) {
  size_t fatto = 0;
  while (fatto < dati.size()) {
    const ssize_t n = ::send(fd, dati.data() + fatto, dati.size() - fatto, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    fatto += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string Messaggio_Brv(const std::string& file, const std::string& riferimento, char tipo,
                          const std::string& tipo_brv, const std::string& codice) {
  return "{FI=" + file + "}{RI=" + riferimento + "}{TI=" + std::string(1, tipo) + "}{TC=" + tipo_brv + "}{CD=" +
         codice + "}";
}

long Sequenza_Brv(const std::string& cartella) {
  long massimo = 0;
  std::error_code ec;
  for (fs::directory_iterator it(cartella.empty() ? fs::path(".") : fs::path(cartella), ec), fine;
       !ec && it != fine; it.increment(ec)) {
    const std::string nome = it->path().filename().string();
    if (!Prefisso_Brv(nome)) continue;
    long n = 0;
    for (size_t i = kPrefisso.size(); i < nome.size() && i < kPrefisso.size() + 5; ++i) {
      if (nome[i] < '0' || nome[i] > '9') break;
      n = n * 10 + (nome[i] - '0');
    }
    if (n > massimo) massimo = n;
  }
  return massimo + 1;
}

std::string Cartella_Di(const std::string& file) {
  const size_t barra = file.find_last_of('/');
  return barra == std::string::npos ? std::string() : file.substr(0, barra + 1);
}

std::string Piano_Brv::Nome(long sequenza, long contatore) const {
  std::string n = std::to_string(contatore);
  if (static_cast<long>(n.size()) < cifre) n.insert(0, static_cast<size_t>(cifre) - n.size(), '0');
  return cartella + std::string(kPrefisso) + Format(static_cast<int64_t>(sequenza), "00000") + "_" + n + resto;
}

Piano_Brv Piano_Copie(const Pagine& p) {
  Piano_Brv piano;
  const std::string& doc = p.File_Documento;
  piano.cartella = Cartella_Di(doc);
  if (p.Cifre_Numero == 0) {
    // One file holds the document: it is copied whole, as page 1, keeping
    // its extension.
    piano.pagine.push_back(doc);
    const std::string nome = doc.substr(piano.cartella.size());
    const size_t punto = nome.find_last_of('.');
    piano.resto = punto == std::string::npos ? std::string() : nome.substr(punto);
    return piano;
  }
  piano.cifre = p.Cifre_Numero;
  piano.resto = doc.substr(static_cast<size_t>(p.Cifre_Inizio - 1 + p.Cifre_Numero));
  const Cifre c{p.Cifre_Inizio, p.Cifre_Numero};
  for (long n = p.Pagina_Prima; n <= p.Pagina_Ultima; ++n) piano.pagine.push_back(Nome_Pagina(doc, c, n));
  return piano;
}

Copie_Brv Copie_Scrivi(const Piano_Brv& piano) {
  Copie_Brv r;
  if (piano.pagine.empty()) return r;
  auto annulla = [&r](const std::string& pagina) {
    for (const std::string& c : r.copie) ::unlink(c.c_str());
    r.copie.clear();
    r.errore = pagina;
    return r;
  };
  // The first copy takes the number.
  long sequenza = Sequenza_Brv(piano.cartella);
  for (int i = 0;; ++i, ++sequenza) {
    const std::string nome = piano.Nome(sequenza, 1);
    if (Copia_Esclusiva(piano.pagine.front(), nome)) {
      r.copie.push_back(nome);
      break;
    }
    if (errno != EEXIST || i >= kTentativi_Sequenza) return annulla(piano.pagine.front());
  }
  r.sequenza = sequenza;
  for (size_t k = 1; k < piano.pagine.size(); ++k) {
    const std::string nome = piano.Nome(sequenza, static_cast<long>(k) + 1);
    if (!Copia_Esclusiva(piano.pagine[k], nome)) return annulla(piano.pagine[k]);
    r.copie.push_back(nome);
  }
  r.ok = true;
  return r;
}

// ---- The fax program ------------------------------------------------------------

std::string Brevin_Indirizzo() {
  const char* d = std::getenv("XDG_RUNTIME_DIR");
  if (d && *d) return std::string(d) + "/Brevin";
  return "/tmp/qod-" + std::to_string(::getuid()) + "/Brevin";
}

Casella_Brv::~Casella_Brv() {
  if (fd_ >= 0) ::close(fd_);
}

bool Casella_Brv::Invia(const std::string& messaggio, int attesa_ms) {
  if (fd_ < 0) return false;
  if (!Scrivi_Tutto(fd_, messaggio)) return false;
  ::shutdown(fd_, SHUT_WR);
  const auto risposta = Leggi_Riga(fd_, attesa_ms);
  ::close(fd_);
  fd_ = -1;
  return risposta && *risposta == "1";
}

std::unique_ptr<Casella_Brv> Client_Brv_Trova(const std::string& indirizzo, int attesa_ms) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  if (indirizzo.empty() || indirizzo.size() >= sizeof a.sun_path) return nullptr;
  std::memcpy(a.sun_path, indirizzo.data(), indirizzo.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return nullptr;
  auto casella = std::make_unique<Casella_Brv>(fd);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
    if (errno != EINPROGRESS && errno != EAGAIN) return nullptr;
    pollfd p{fd, POLLOUT, 0};
    int err = 0;
    socklen_t l = sizeof err;
    if (::poll(&p, 1, attesa_ms) != 1 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &l) != 0 || err != 0)
      return nullptr;
  }
  // The message goes in one piece: from here on the socket blocks.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  const auto testo = Leggi_Riga(fd, attesa_ms);
  if (!testo || *testo != kCasella_Pronta) return nullptr;
  return casella;
}

}  // namespace qod::imv
