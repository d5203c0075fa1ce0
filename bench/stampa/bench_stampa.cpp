// Printing: a spool file of G4 page images (1728 x 2292 fax pages) printed
// by the real Qod_S (started once with /AUTO, offscreen, against the
// stand-in host) to a queue of a private CUPS server, timed from the moment
// its last page image is in place (the print stage starts) until the
// queue's backend has the whole job file; beside `lp` of a PDF of the very
// same page images, made beforehand with tiff2pdf, timed from lp's start
// until the backend has that job file. The moments are taken as the files
// appear (inotify). Rounds alternate the order; each series is reported as
// its median with its spread (lowest - highest), and the ratio is taken
// within each round.
//
//   bench_stampa [pages, default 100] [rounds, default 7]
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "qod/bench/misura.h"
#include "qod/host_simulato.h"
#include "qod/imagegen/striscia_font.h"
#include "qod/printing/cups_privato.h"
#include "qod/profile.h"
#include "qod/prova/costruzione.h"
#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"

using namespace qod;
namespace fs = std::filesystem;
using Orologio = std::chrono::steady_clock;

namespace {

// Files that come into two folders, each with the moment it was seen.
class Sentinella {
 public:
  struct Arrivo {
    int cartella;  // 0 or 1: the order given
    std::string nome;
    Orologio::time_point quando;
  };

  Sentinella(const fs::path& a, const fs::path& b) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    w_[0] = inotify_add_watch(fd_, a.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
    w_[1] = inotify_add_watch(fd_, b.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
    filo_ = std::thread([this] { Leggi(); });
  }
  ~Sentinella() {
    fine_ = true;
    filo_.join();
    ::close(fd_);
  }
  bool Pronta() const { return fd_ >= 0 && w_[0] >= 0 && w_[1] >= 0; }

  void Azzera() {
    std::lock_guard<std::mutex> l(m_);
    arrivi_.clear();
  }
  std::vector<Arrivo> Arrivi() const {
    std::lock_guard<std::mutex> l(m_);
    return arrivi_;
  }
  // The first file of folder `cartella` whose name passes `filtro`, waited
  // for up to `limite_ms`.
  std::optional<Arrivo> Attendi(int cartella, const std::function<bool(const std::string&)>& filtro,
                                int limite_ms) const {
    const auto fine = Orologio::now() + std::chrono::milliseconds(limite_ms);
    while (Orologio::now() < fine) {
      for (const Arrivo& a : Arrivi())
        if (a.cartella == cartella && filtro(a.nome)) return a;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::nullopt;
  }

 private:
  void Leggi() {
    alignas(inotify_event) char buf[1 << 16];
    while (!fine_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      const auto adesso = Orologio::now();
      std::lock_guard<std::mutex> l(m_);
      for (ssize_t i = 0; i < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buf + i);
        if (e->len > 0) arrivi_.push_back({e->wd == w_[0] ? 0 : 1, e->name, adesso});
        i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
  }

  int fd_ = -1, w_[2] = {-1, -1};
  std::atomic<bool> fine_{false};
  std::thread filo_;
  mutable std::mutex m_;
  std::vector<Arrivo> arrivi_;
};

bool Termina(const std::string& s, const std::string& coda) {
  return s.size() >= coda.size() && s.compare(s.size() - coda.size(), coda.size(), coda) == 0;
}

bool Pagina(const std::string& n) { return n.find("_I_") != std::string::npos && Termina(n, ".TIF"); }
bool Lavoro(const std::string& n) { return n.rfind("job-", 0) == 0 && Termina(n, ".pdf"); }

// A spool file of `pagine` text pages, rendered to 204 x 196 dpi G4 pages
// and printed on the queue "Bench", each page fitted and centred.
bool Scrivi_Spool(const fs::path& cartella, int pagine) {
  fs::create_directories(cartella);
  const std::string attributi =
      "formato = STAMPA\nutente = CONTAB\nstampante_1 = Bench\n"
      "tipo_immagine = A\nout_width = 1728\nout_height = 2292\nout_resx = 204\nout_resy = 196\n"
      "out_zoomx = 100\nout_zoomy = 100\ntxt_cols = 80\ntxt_rows = 66\ntxt_left = 64\ntxt_top = 80\n"
      "txt_col_dim = 20\ntxt_row_dim = 32\ntxt_orie = 1\nfnt_file = COUR20.BMP\n"
      "sfondo_r = 255\nsfondo_g = 255\nsfondo_b = 255\n"
      "stampa = S\norientamento = V\nmodo_scala = A\ncentra_orizzontale = S\ncentra_verticale = S\n";
  std::string dati;
  for (int p = 1; p <= pagine; ++p) {
    dati += "PAGINA " + std::to_string(p) + " DI " + std::to_string(pagine) + "\n";
    for (int r = 0; r < 60; ++r)
      dati += "RIGA " + std::to_string(r) + " FATTURA 00012345 CARTA A4 80 G RISMA 20 3,50 70,00 " +
              std::to_string(p * 100 + r) + "\n";
    dati += "<FF>";
  }
  return prova::File_Scrivi(cartella / "attributi.txt", attributi) && prova::File_Scrivi(cartella / "dati.txt", dati);
}

}  // namespace

int main(int argc, char** argv) {
  const int pagine = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
  const int giri = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  constexpr int kLimite_Ms = 120000;

  stampa::prova::Cups_Privato cups;
  if (!cups.Avviato() || !cups.Coda("Bench")) {
    std::fprintf(stderr, "no private CUPS server: %s\n", cups.Errore().c_str());
    return 1;
  }
  const fs::path dir = cups.Cartella() / "bench";
  const fs::path coda = dir / "coda", fatti = dir / "fatti", preparati = dir / "preparati", programma = dir / "Qod_S";
  fs::create_directories(coda);
  fs::create_directories(fatti);
  prova::Host_Simulato host({"--dictionary", prova::Host_Simulato::Dizionario_Predefinito(), "--user", "QSYS:PW:7",
                             "--ftp-port", "-1", "--spool-queue", coda.string(), "--spool-done", fatti.string()});
  if (!host.Avvia() || !host.Programma_Prepara(programma)) {
    std::fprintf(stderr, "no stand-in host: %s\n", host.Uscita().c_str());
    return 1;
  }
  const std::string ini = (programma / "Qod_S.INI").string();
  const std::pair<const char*, const char*> voci[] = {
      {"Tempo Ciclo", "100"}, {"Inizio Collegamento Ora", "000000"}, {"Fine Collegamento Ora", "235959"},
      {"Inizio Collegamento Attesa", "0"}, {"Fine Collegamento Anticipo", "0"}, {"Log", "S"},
      {"Max Pagine Blocco", "0"}};
  for (const auto& [chiave, valore] : voci)
    if (!Profilo_Scrivi(ini, "Generale", chiave, valore)) return 1;
  fs::create_directories(programma / "Fnt");
  fs::create_directories(programma / "TmpS");
  if (!Scrivi_Striscia_Font(programma / "Fnt" / "COUR20.BMP", Opzioni_Striscia{})) return 1;

  Sentinella sentinella(programma / "TmpS", cups.Lavori("Bench"));
  if (!sentinella.Pronta()) {
    std::fprintf(stderr, "inotify is not available\n");
    return 1;
  }
  const fs::path runtime = dir / "runtime";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  prova::Processo server;
  if (!server.Avvia({.argomenti = {prova::Programma_Build(QOD_QOD_S), "/AUTO"},
                     .cartella = programma,
                     .uscita = dir / "Qod_S.out",
                     .ambiente = {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", runtime.string()}}})) {
    std::fprintf(stderr, "Qod_S not started: %s\n", server.Errore().c_str());
    return 1;
  }

  // One spool file through Qod_S: milliseconds from its last page image to
  // the job file; nothing when it failed.
  int numero = 0;
  fs::path ultimo_lavoro;
  auto stadio = [&]() -> std::optional<double> {
    const std::string nome = std::to_string(1000 + ++numero) + "_BENCH";
    if (!Scrivi_Spool(preparati / nome, pagine)) return std::nullopt;
    sentinella.Azzera();
    fs::rename(preparati / nome, coda / nome);
    const auto lavoro = sentinella.Attendi(1, Lavoro, kLimite_Ms);
    if (!lavoro) return std::nullopt;
    std::optional<Orologio::time_point> ultima;
    std::vector<std::string> viste;
    for (const auto& a : sentinella.Arrivi())
      if (a.cartella == 0 && Pagina(a.nome) && a.quando <= lavoro->quando) {
        ultima = std::max(ultima.value_or(a.quando), a.quando);
        if (std::find(viste.begin(), viste.end(), a.nome) == viste.end()) viste.push_back(a.nome);
      }
    // Done: the spool file is back on the host and the queue is empty.
    const auto fine = Orologio::now() + std::chrono::milliseconds(kLimite_Ms);
    while (!fs::exists(fatti / nome) && Orologio::now() < fine) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    cups.Attendi_Coda_Vuota("Bench");
    ultimo_lavoro = cups.Lavori("Bench") / lavoro->nome;
    if (!ultima || static_cast<int>(viste.size()) != pagine || !fs::exists(fatti / nome)) {
      std::fprintf(stderr, "%s: %zu page images of %d seen before the job file%s\n", nome.c_str(), viste.size(), pagine,
                   fs::exists(fatti / nome) ? "" : ", not done on the host");
      return std::nullopt;
    }
    return std::chrono::duration<double, std::milli>(lavoro->quando - *ultima).count();
  };

  // The first spool file warms Qod_S and CUPS up; its page images (kept
  // until the next spool file) make the reference PDF.
  if (!stadio()) {
    std::fprintf(stderr, "the first spool file was not printed; Qod_S said:\n%s\n",
                 prova::File_Leggi(dir / "Qod_S.out").c_str());
    return 1;
  }
  // What is measured: every page in the job, each a CCITT image.
  const auto elenco = prova::Esegui({"pdfimages", "-list", ultimo_lavoro.string()});
  int ccitt = 0;
  for (size_t p = elenco.out.find(" ccitt "); p != std::string::npos; p = elenco.out.find(" ccitt ", p + 1)) ++ccitt;
  if (ccitt != pagine) {
    std::fprintf(stderr, "the job holds %d CCITT images for %d pages\n", ccitt, pagine);
    return 1;
  }
  std::vector<fs::path> file;
  for (const auto& e : fs::directory_iterator(programma / "TmpS"))
    if (Pagina(e.path().filename().string())) file.push_back(e.path());
  std::sort(file.begin(), file.end());
  const fs::path tutte = dir / "pagine.tif", riferimento = dir / "pagine.pdf";
  std::vector<std::string> tiffcp = {"tiffcp"};
  for (const auto& f : file) tiffcp.push_back(f.string());
  tiffcp.push_back(tutte.string());
  if (static_cast<int>(file.size()) != pagine || prova::Esegui(tiffcp).rc != 0 ||
      prova::Esegui({"tiff2pdf", "-o", riferimento.string(), tutte.string()}).rc != 0) {
    std::fprintf(stderr, "the reference PDF could not be made\n");
    return 1;
  }
  const auto dimensione = [](const fs::path& f) { return static_cast<double>(fs::file_size(f)) / 1e6; };
  const double mb_stadio = dimensione(ultimo_lavoro), mb_riferimento = dimensione(riferimento);

  auto lp = [&]() -> std::optional<double> {
    sentinella.Azzera();
    const auto inizio = Orologio::now();
    if (prova::Esegui({"lp", "-d", "Bench", riferimento.string()}).rc != 0) return std::nullopt;
    const auto lavoro = sentinella.Attendi(1, Lavoro, kLimite_Ms);
    cups.Attendi_Coda_Vuota("Bench");
    if (!lavoro) return std::nullopt;
    return std::chrono::duration<double, std::milli>(lavoro->quando - inizio).count();
  };

  bench::Serie s_stadio, s_lp;
  for (int g = 0; g < giri; ++g) {
    const std::function<std::optional<double>()> contendenti[] = {stadio, lp};
    std::optional<double> t[2];
    for (int k = 0; k < 2; ++k) {
      const int i = (g + k) % 2;
      t[i] = contendenti[i]();
      if (!t[i]) {
        std::fprintf(stderr, "round %d: %s failed; Qod_S said:\n%s\n", g + 1, i == 0 ? "Qod_S" : "lp",
                     prova::File_Leggi(dir / "Qod_S.out").c_str());
        return 1;
      }
    }
    s_stadio.Aggiungi(*t[0]);
    s_lp.Aggiungi(*t[1]);
  }
  server.Ferma();

  std::printf("%d G4 pages of 1728 x 2292 to a private CUPS queue, %d rounds, interleaved; ms until the backend\n"
              "has the whole job file: median (lowest - highest)\n",
              pagine, giri);
  std::printf("  Qod_S print stage (from its last page image)  %s   job %.2f MB\n", s_stadio.Testo("%.1f").c_str(),
              mb_stadio);
  std::printf("  lp of the tiff2pdf PDF of the same pages       %s   job %.2f MB\n", s_lp.Testo("%.1f").c_str(),
              mb_riferimento);
  std::printf("  ratio Qod_S / lp                               %s\n", bench::Rapporto(s_stadio, s_lp).Testo("%.2f").c_str());
  return 0;
}
