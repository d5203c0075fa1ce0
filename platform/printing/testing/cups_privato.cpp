#include "qod/printing/cups_privato.h"

#include <cups/cups.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

#include "qod/prova/strumenti.h"

#ifndef QOD_CUPS_PRIVATO
#error "QOD_CUPS_PRIVATO names the script that runs the private cupsd"
#endif
#ifndef QOD_CUPS_OPZIONI
#error "QOD_CUPS_OPZIONI names the printer description of the queues with options"
#endif
#ifndef QOD_CUPS_MARGINI
#error "QOD_CUPS_MARGINI names the printer description of the queues with margins"
#endif

namespace qod::stampa::prova {

namespace {

std::string Virgolette(const std::string& s) {
  std::string r = "'";
  for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

}  // namespace

Cups_Privato::Cups_Privato() {
  // Short, as the socket's path must fit a Unix socket address, and under
  // /tmp, which the user lp (who runs the backends) enters wherever the
  // build folder lies.
  char modello[] = "/tmp/qod-cups-XXXXXX";
  if (!mkdtemp(modello)) {
    errore_ = "no scratch folder for cupsd";
    return;
  }
  cartella_ = modello;
  // The script sets the folder up; cupsd is started here, in a process
  // group of its own, so that it ends with this process.
  std::string uscita;
  if (qod::prova::Esegui(std::string(QOD_CUPS_PRIVATO) + " prepare " + Virgolette(cartella_.string()) + " 2>&1",
                         &uscita) != 0) {
    errore_ = "cupsd cannot run here: " + uscita;
    return;
  }
  std::vector<std::string> comando;
  std::istringstream righe(uscita);
  for (std::string riga; std::getline(righe, riga);)
    if (!riga.empty()) comando.push_back(riga);
  if (!cupsd_.Avvia({.argomenti = comando, .uscita = cartella_ / "log" / "cupsd.out", .gruppo = true})) {
    errore_ = "cupsd not started: " + cupsd_.Errore();
    return;
  }
  if (qod::prova::Esegui(std::string(QOD_CUPS_PRIVATO) + " ready " + Virgolette(cartella_.string()) + " " +
                             std::to_string(cupsd_.Pid()) + " 2>&1 >/dev/null",
                         &uscita) != 0) {
    errore_ = uscita;
    cupsd_.Ferma(0);
    return;
  }
  setenv("CUPS_SERVER", Socket().c_str(), 1);
  cupsSetServer(Socket().c_str());
  avviato_ = true;
}

Cups_Privato::~Cups_Privato() {
  if (cartella_.empty()) return;
  // Asked to end, cupsd stops its jobs; what is left of it after a short
  // grace is killed.
  cupsd_.Ferma(2000);
  std::error_code ec;
  std::filesystem::remove_all(cartella_, ec);
}

std::string Cups_Privato::Ppd_Opzioni() { return QOD_CUPS_OPZIONI; }

std::string Cups_Privato::Ppd_Margini() { return QOD_CUPS_MARGINI; }

std::string Cups_Privato::Script() { return QOD_CUPS_PRIVATO; }

bool Cups_Privato::Coda(const std::string& nome, bool opzioni) {
  return Coda(nome, opzioni ? Ppd_Opzioni() : std::string(), 0);
}

bool Cups_Privato::Coda(const std::string& nome, const std::string& ppd, int trattieni_ms) {
  if (!avviato_) return false;
  std::string uscita;
  if (qod::prova::Esegui(std::string(QOD_CUPS_PRIVATO) + " queue " + Virgolette(cartella_.string()) + " " +
                             Virgolette(nome) + " " + Virgolette(ppd.empty() ? "-" : ppd) + " " +
                             std::to_string(std::max(0, trattieni_ms)) + " 2>&1",
                         &uscita) == 0)
    return true;
  errore_ = "queue " + nome + " not added: " + uscita;
  return false;
}

bool Cups_Privato::Rilascia(const std::string& coda) {
  if (!avviato_) return false;
  return qod::prova::Esegui(std::string(QOD_CUPS_PRIVATO) + " release " + Virgolette(cartella_.string()) + " " +
                            Virgolette(coda) + " 2>&1") == 0;
}

int Cups_Privato::Stato(const std::string& coda) const {
  if (!avviato_) return 0;
  cups_dest_t* d = cupsGetNamedDest(CUPS_HTTP_DEFAULT, coda.c_str(), nullptr);
  if (!d) return 0;
  const char* v = cupsGetOption("printer-state", d->num_options, d->options);
  const int stato = v ? std::atoi(v) : 0;
  cupsFreeDests(1, d);
  return stato;
}

bool Cups_Privato::Attendi_Stato(const std::string& coda, int stato, int limite_ms) const {
  const auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(limite_ms);
  for (;;) {
    if (Stato(coda) == stato) return true;
    if (std::chrono::steady_clock::now() > fine) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::vector<std::filesystem::path> Cups_Privato::Pdf(const std::string& coda) const {
  std::vector<std::pair<long, std::filesystem::path>> v;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(Lavori(coda), ec)) {
    const std::string n = e.path().filename().string();
    if (n.rfind("job-", 0) == 0 && e.path().extension() == ".pdf") v.emplace_back(std::atol(n.c_str() + 4), e.path());
  }
  std::sort(v.begin(), v.end());
  std::vector<std::filesystem::path> r;
  for (auto& [id, p] : v) r.push_back(p);
  return r;
}

bool Cups_Privato::Attendi_Coda_Vuota(const std::string& coda, int limite_ms) const {
  const auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(limite_ms);
  for (;;) {
    std::string uscita;
    if (Comando("lpstat -o " + Virgolette(coda), &uscita) == 0 && uscita.find_first_not_of(" \n") == std::string::npos)
      return true;
    if (std::chrono::steady_clock::now() > fine) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int Cups_Privato::Comando(const std::string& riga, std::string* uscita) const {
  // A server that has just started may drop the first connections: try again.
  std::string testo;
  int r = 0;
  for (int i = 0; i < 20; ++i) {
    r = qod::prova::Esegui("CUPS_SERVER=" + Virgolette(Socket()) + " " + riga + " 2>&1", &testo);
    if (r == 0 || testo.find("Unable to connect") == std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (uscita) *uscita = testo;
  return r;
}

}  // namespace qod::stampa::prova
