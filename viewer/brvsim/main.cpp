// qod_brvsim: a stand-in for the Brevin fax and mail program, for the tests
// and the demo. It keeps a "text box" and listens on a local socket:
//  - a connection while the box holds "DATI DA DRV" (ready) is answered
//    with that text; the message then written is taken into the box, answered
//    with "1", recorded, and the hand-off copies it names are read; after a
//    pause the box is reset to "DATI DA DRV";
//  - a connection while the box holds a message (busy), or with --occupato,
//    is answered with the box's text and closed.
// Every event goes to the record file, one line each:
//   AVVIO <socket>          listening
//   MESSAGGIO <text>        a message taken
//   COPIA <file> <bytes>    a hand-off copy read (all the copies of the message's sequence)
//   ILLEGGIBILE <file>      a copy named by the message that cannot be read
//   RIFIUTO <box text>      a connection refused as busy
//   VUOTO                   a ready connection closed without a message
//
// qod_brvsim [--socket PATH] [--registro FILE] [--pausa MS] [--occupato]
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qod/console.h"
#include "qod/viewer/invio_brv.h"

namespace fs = std::filesystem;

namespace {

volatile sig_atomic_t fine = 0;
void Ferma(int) { fine = 1; }

struct Opzioni {
  std::string socket = qod::imv::Brevin_Indirizzo();
  std::string registro;
  int pausa_ms = 500;
  bool occupato = false;
};

class Registro {
 public:
  explicit Registro(const std::string& file) {
    if (!file.empty()) f_.open(file, std::ios::binary | std::ios::app);
  }
  void Riga(const std::string& testo) {
    if (f_) f_ << testo << '\n' << std::flush;
    std::fwrite(testo.data(), 1, testo.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }

 private:
  std::ofstream f_;
};

void Scrivi(int fd, const std::string& s) {
  size_t fatto = 0;
  while (fatto < s.size()) {
    const ssize_t n = ::send(fd, s.data() + fatto, s.size() - fatto, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    fatto += static_cast<size_t>(n);
  }
}

// Everything the viewer writes up to its end of writing. The viewer copies
// the pages between finding the program ready and writing the message, so
// a long document is waited for (5 minutes at most).
std::string Leggi_Messaggio(int fd) {
  std::string m;
  const auto limite = std::chrono::steady_clock::now() + std::chrono::minutes(5);
  while (m.size() < 65536) {
    const auto resta =
        std::chrono::duration_cast<std::chrono::milliseconds>(limite - std::chrono::steady_clock::now()).count();
    if (resta <= 0) break;
    pollfd p{fd, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(resta));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    char buf[4096];
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    m.append(buf, static_cast<size_t>(n));
  }
  return m;
}

// The value of one tag of the message.
std::string Valore(const std::string& m, const std::string& tag) {
  const size_t i = m.find("{" + tag + "=");
  if (i == std::string::npos) return "";
  const size_t inizio = i + tag.size() + 2;
  const size_t chiuso = m.find('}', inizio);
  return m.substr(inizio, chiuso == std::string::npos ? std::string::npos : chiuso - inizio);
}

// Reads the copies of the message's hand-off: every file of the folder
// whose name starts as the named copy's does up to its counter.
void Leggi_Copie(const std::string& messaggio, Registro& reg) {
  const fs::path ultimo = Valore(messaggio, "FI");
  const std::string nome = ultimo.filename().string();
  // "__Brv_" + sequence + "_"
  const size_t sep = nome.find('_', 6);
  if (nome.rfind("__Brv_", 0) != 0 || sep == std::string::npos) {
    reg.Riga("ILLEGGIBILE " + ultimo.string());
    return;
  }
  const std::string prefisso = nome.substr(0, sep + 1);
  std::vector<fs::path> copie;
  std::error_code ec;
  for (fs::directory_iterator it(ultimo.parent_path(), ec), e; !ec && it != e; it.increment(ec))
    if (it->path().filename().string().rfind(prefisso, 0) == 0) copie.push_back(it->path());
  std::sort(copie.begin(), copie.end());
  if (std::find(copie.begin(), copie.end(), ultimo) == copie.end()) reg.Riga("ILLEGGIBILE " + ultimo.string());
  for (const fs::path& c : copie) {
    std::ifstream in(c, std::ios::binary);
    std::string dati((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      reg.Riga("ILLEGGIBILE " + c.string());
      continue;
    }
    reg.Riga("COPIA " + c.string() + " " + std::to_string(dati.size()));
  }
}

int Esegui(const Opzioni& o) {
  Registro reg(o.registro);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  if (o.socket.size() >= sizeof a.sun_path) {
    std::fprintf(stderr, "qod_brvsim: socket path too long\n");
    return 2;
  }
  std::error_code ec;
  fs::create_directories(fs::path(o.socket).parent_path(), ec);
  ::unlink(o.socket.c_str());
  std::memcpy(a.sun_path, o.socket.data(), o.socket.size());
  const int ascolto = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (ascolto < 0 || ::bind(ascolto, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(ascolto, 8) != 0) {
    std::fprintf(stderr, "qod_brvsim: cannot listen on %s: %s\n", o.socket.c_str(), std::strerror(errno));
    return 2;
  }
  reg.Riga("AVVIO " + o.socket);

  std::string casella = qod::imv::kCasella_Pronta;
  auto pronta_da = std::chrono::steady_clock::now();
  while (!fine) {
    if (casella != qod::imv::kCasella_Pronta && std::chrono::steady_clock::now() >= pronta_da)
      casella = qod::imv::kCasella_Pronta;
    pollfd p{ascolto, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    const int c = ::accept4(ascolto, nullptr, nullptr, SOCK_CLOEXEC);
    if (c < 0) continue;
    if (o.occupato || casella != qod::imv::kCasella_Pronta) {
      const std::string testo = o.occupato ? std::string("OCCUPATO") : casella;
      Scrivi(c, testo + "\n");
      reg.Riga("RIFIUTO " + testo);
      ::close(c);
      continue;
    }
    Scrivi(c, casella + "\n");
    const std::string m = Leggi_Messaggio(c);
    if (m.empty()) {
      reg.Riga("VUOTO");
      ::close(c);
      continue;
    }
    casella = m;
    Scrivi(c, "1\n");
    ::close(c);
    reg.Riga("MESSAGGIO " + m);
    Leggi_Copie(m, reg);
    pronta_da = std::chrono::steady_clock::now() + std::chrono::milliseconds(o.pausa_ms);
  }
  ::close(ascolto);
  ::unlink(o.socket.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const qod::Uso_Strumento uso{
      "qod_brvsim",
      "usage: qod_brvsim [--socket PATH] [--registro FILE] [--pausa MS] [--occupato]\n"
      "  a stand-in for the fax and mail program; a file that begins with \"-\" is written ./-name,\n"
      "  a new one at the root /./name; --help (also -h, /?) shows this text\n",
      {{"--socket", 1}, {"--registro", 1}, {"--pausa", 1, qod::Tipo_Valore::Numero}, {"--occupato"}}};
  // The whole command line is looked at before anything is made.
  std::vector<qod::Voce_Comando> voci;
  if (const auto fine = qod::Uso_Controlla(uso, argc, argv, &voci)) return *fine;
  Opzioni o;
  for (const auto& v : voci) {
    if (v.opzione == "--socket") {
      o.socket = v.valori[0];
    } else if (v.opzione == "--registro") {
      o.registro = v.valori[0];
    } else if (v.opzione == "--pausa") {
      const std::string& t = v.valori[0];
      const auto [ultimo, errore] = std::from_chars(t.data(), t.data() + t.size(), o.pausa_ms);
      if (errore != std::errc() || ultimo != t.data() + t.size() || o.pausa_ms < 0)
        return qod::Uso_Rifiuta(uso, "bad value: --pausa " + t);
    } else if (v.opzione == "--occupato") {
      o.occupato = true;
    } else {
      return qod::Uso_Rifiuta(uso, "unexpected word: " + v.valori[0]);
    }
  }
  struct sigaction sa {};
  sa.sa_handler = Ferma;
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGINT, &sa, nullptr);
  return Esegui(o);
}
