#include "qod/host_simulato.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "qod/ansi.h"
#include "qod/cripto.h"
#include "qod/prova/costruzione.h"

namespace qod::prova {

namespace {

using Orologio = std::chrono::steady_clock;

std::string Leggi_File(const std::filesystem::path& f) {
  std::ifstream in(f, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

int Esa_Cifra(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// The log's text: UTF-8 with "\xHH" escapes, back to ANSI bytes.
std::string Testo_Ansi(const std::string& utf8) {
  std::string ansi = Utf8_A_Ansi(utf8);
  std::string r;
  for (size_t i = 0; i < ansi.size(); ++i) {
    if (ansi[i] == '\\' && i + 3 < ansi.size() && ansi[i + 1] == 'x') {
      r.push_back(static_cast<char>(Esa_Cifra(ansi[i + 2]) * 16 + Esa_Cifra(ansi[i + 3])));
      i += 3;
    } else {
      r.push_back(ansi[i]);
    }
  }
  return r;
}

std::atomic<int> contatore{0};

}  // namespace

std::string Voce_Log::Byte() const {
  std::string r;
  for (size_t i = 0; i + 1 < esa.size(); i += 2)
    r.push_back(static_cast<char>(Esa_Cifra(esa[i]) * 16 + Esa_Cifra(esa[i + 1])));
  return r;
}

Host_Simulato::Host_Simulato(std::vector<std::string> argomenti) : argomenti_(std::move(argomenti)) {
  cartella_ = Cartella_Temporanea() /
              ("qod_hostsim_" + std::to_string(::getpid()) + "_" + std::to_string(contatore++));
  std::filesystem::remove_all(cartella_);
  std::filesystem::create_directories(cartella_);
}

Host_Simulato::~Host_Simulato() {
  Ferma();
  if (!std::getenv("QOD_KEEP_TEST_FILES")) {
    std::error_code ec;
    std::filesystem::remove_all(cartella_, ec);
  }
}

std::string Host_Simulato::Eseguibile() { return Programma_Build(QOD_HOSTSIM); }
std::string Host_Simulato::Dizionario_Predefinito() { return QOD_HOSTSIM_FIXTURES "/dizionario_CA.txt"; }

std::vector<std::string> Host_Simulato::Richieste(char lettera) const {
  std::vector<std::string> r;
  for (const auto& v : Log("REC"))
    if (!v.testo.empty() && v.testo[0] == lettera) r.push_back(v.testo);
  return r;
}

Parametri_Collegamento Host_Simulato::Collegamento(const std::string& utente, const std::string& password) const {
  Parametri_Collegamento p;
  p.Host = "127.0.0.1";
  p.Porta = porta_record_;
  p.Utente = utente;
  p.Password = password;
  return p;
}

bool Host_Simulato::Programma_Prepara(const std::filesystem::path& programma, int indice_server,
                                      const std::string& utente, const std::string& password) const {
  std::error_code ec;
  std::filesystem::create_directories(programma, ec);
  if (!Scrivi_Tabella(programma / "Qod_TBL1.Tbl")) return false;
  Parametri_Collegamento p = Collegamento(utente, password);
  p.Indice_Server = indice_server;
  return Collegamento_Scrivi((programma / "Qod_S.INI").string(), p.Componi());
}

bool Host_Simulato::Scrivi_Tabella(const std::filesystem::path& file) {
  Processo p;
  return p.Avvia({.argomenti = {Eseguibile(), "--write-table", file.string()}}) && p.Attendi() == 0;
}

bool Host_Simulato::Avvia(int limite_ms) {
  Ferma();
  const auto pronto = cartella_ / "ready";
  std::filesystem::remove(pronto);
  std::vector<std::string> a = {Eseguibile(),       "--dir",         cartella_.string(), "--ready-file",
                                pronto.string(),    "--log",         (cartella_ / "hostsim.log").string(),
                                "--ftp-port",       "0",             "--record-port",    "0"};
  a.insert(a.end(), argomenti_.begin(), argomenti_.end());
  if (!processo_.Avvia({.argomenti = a, .uscita = cartella_ / "output.txt"})) return false;
  const auto fine = Orologio::now() + std::chrono::milliseconds(limite_ms);
  while (Orologio::now() < fine) {
    if (std::filesystem::exists(pronto)) {
      std::istringstream righe(Leggi_File(pronto));
      for (std::string riga; std::getline(righe, riga);) {
        if (riga.rfind("ftp=", 0) == 0) porta_ftp_ = std::stoi(riga.substr(4));
        if (riga.rfind("record=", 0) == 0) porta_record_ = std::stoi(riga.substr(7));
        if (riga.rfind("control=", 0) == 0) porta_controllo_ = std::stoi(riga.substr(8));
      }
      return true;
    }
    if (!processo_.In_Esecuzione()) return false;  // it ended: a bad option
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  Ferma();
  return false;
}

void Host_Simulato::Ferma() {
  processo_.Ferma(3000);
  std::lock_guard<std::mutex> l(controllo_m_);
  Controllo_Chiudi();
  porta_controllo_ = -1;
}

std::string Host_Simulato::Uscita() const { return Leggi_File(cartella_ / "output.txt"); }

void Host_Simulato::Sincronizza() const {
  std::lock_guard<std::mutex> l(controllo_m_);
  if (porta_controllo_ <= 0) return;
  // One connection to the control port, kept for the next time; a new one
  // when it has failed. A stand-in that has ended wrote everything at its
  // end: then there is nothing to wait for.
  for (int prova = 0; prova < 2; ++prova) {
    if (controllo_fd_ < 0) {
      controllo_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
      sockaddr_in sa{};
      sa.sin_family = AF_INET;
      sa.sin_port = htons(static_cast<uint16_t>(porta_controllo_));
      sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (controllo_fd_ < 0 || ::connect(controllo_fd_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        Controllo_Chiudi();
        return;
      }
    }
    std::string risposta;
    char c = 0;
    pollfd p{controllo_fd_, POLLIN, 0};
    if (::send(controllo_fd_, "sync\n", 5, MSG_NOSIGNAL) == 5)
      while (risposta.size() < 3 && ::poll(&p, 1, 30000) == 1 && ::recv(controllo_fd_, &c, 1, 0) == 1)
        risposta.push_back(c);
    if (risposta == "ok\n") return;
    Controllo_Chiudi();
  }
}

void Host_Simulato::Controllo_Chiudi() const {
  if (controllo_fd_ >= 0) ::close(controllo_fd_);
  controllo_fd_ = -1;
}

std::vector<Voce_Log> Host_Simulato::Log() const {
  Sincronizza();
  std::vector<Voce_Log> r;
  std::istringstream righe(Leggi_File(cartella_ / "hostsim.log"));
  for (std::string riga; std::getline(righe, riga);) {
    std::vector<std::string> campi;
    size_t da = 0;
    for (int i = 0; i < 3; ++i) {
      size_t tab = riga.find('\t', da);
      if (tab == std::string::npos) break;
      campi.push_back(riga.substr(da, tab - da));
      da = tab + 1;
    }
    if (campi.size() != 3) continue;  // a line still being written
    Voce_Log v;
    v.canale = campi[0];
    v.sessione = std::atoi(campi[1].c_str());
    v.esa = campi[2];
    v.testo = Testo_Ansi(riga.substr(da));
    r.push_back(std::move(v));
  }
  return r;
}

std::vector<Voce_Log> Host_Simulato::Log(const std::string& canale) const {
  std::vector<Voce_Log> r;
  for (auto& v : Log())
    if (v.canale == canale) r.push_back(v);
  return r;
}

bool Host_Simulato::Attendi_Log(const std::function<bool(const std::vector<Voce_Log>&)>& condizione,
                                int limite_ms) const {
  const auto fine = Orologio::now() + std::chrono::milliseconds(limite_ms);
  for (;;) {
    if (condizione(Log())) return true;
    if (Orologio::now() > fine) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

int Host_Simulato::Eventi(const std::string& evento) const {
  int n = 0;
  for (const auto& v : Log("EVT"))
    if (v.testo.rfind(evento, 0) == 0) ++n;
  return n;
}

bool Host_Simulato::Attendi_Evento(const std::string& evento, int limite_ms) const {
  return Attendi_Log(
      [&](const std::vector<Voce_Log>& log) {
        for (const auto& v : log)
          if (v.canale == "EVT" && v.testo.rfind(evento, 0) == 0) return true;
        return false;
      },
      limite_ms);
}

}  // namespace qod::prova
