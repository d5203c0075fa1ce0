// Several servers at once: the real Qod_S program started with "/AUTO" in
// program folders of its own, each with its own server index, against one
// stand-in host that hands each spool file to one of them. The spool files
// per second of four servers beside those of one, in the same run.
//
// Each contender starts its servers on an empty queue and waits until every
// one of them has asked for a spool file; then the spool files go into the
// queue (a folder each, moved in whole) and the clock runs until the last of
// them is in the stand-in's done folder. Each spool file has `pages` text
// pages rendered to 1728 x 2292 G4 page images, as a fax server would make
// them, and asks for no output. The contenders run interleaved (one, four,
// one, four ...); the ratio of the rates is taken within each round and
// reported as the median with its spread (lowest - highest). Every run checks
// that each spool file is in the done folder once and that the stand-in got
// exactly one done record for it, and counts the spool files each server did.
//
// The machine is shared: each run also prints how busy the machine's cores
// were meanwhile (from /proc/stat) and how much of that was these programs.
//
//   bench_multipli [spool files] [pages] [rounds] [servers]   (defaults 32, 6, 3, 4)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "qod/bench/misura.h"
#include "qod/host_simulato.h"
#include "qod/imagegen/striscia_font.h"
#include "qod/profile.h"
#include "qod/prova/costruzione.h"
#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"

using namespace qod;
namespace fs = std::filesystem;
using Orologio = std::chrono::steady_clock;

namespace {

// Busy and total time of the machine's cores so far, in clock ticks.
struct Tempi_Cpu {
  long long occupato = 0, totale = 0;
};

Tempi_Cpu Cpu_Macchina() {
  std::ifstream in("/proc/stat");
  std::string nome;
  long long v[10] = {};
  in >> nome;
  for (auto& x : v) in >> x;
  Tempi_Cpu t;
  for (int i = 0; i < 10; ++i) t.totale += i < 8 ? v[i] : 0;  // guest time is counted in user already
  t.occupato = t.totale - v[3] - v[4];                          // less idle and iowait
  return t;
}

// User and system time of a process so far, in clock ticks.
long long Cpu_Processo(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string riga;
  std::getline(in, riga);
  const size_t p = riga.rfind(')');
  if (p == std::string::npos) return 0;
  std::istringstream campi(riga.substr(p + 2));
  std::string c;
  long long ut = 0, st = 0;
  for (int i = 3; campi >> c; ++i) {
    if (i == 14) ut = std::atoll(c.c_str());
    if (i == 15) {
      st = std::atoll(c.c_str());
      break;
    }
  }
  return ut + st;
}

std::string Carico() {
  std::ifstream in("/proc/loadavg");
  std::string a, b, c;
  in >> a >> b >> c;
  return a + " " + b + " " + c;
}

struct Esito_Giro {
  double secondi = 0;
  double nuclei_occupati = 0, nuclei_nostri = 0;  // cores busy meanwhile, and of them these programs
  std::map<std::string, int> per_server;          // spool files done, by server index
  bool esatto = false;
};

class Banco {
 public:
  Banco(int file, int pagine, const fs::path& cartella) : file_(file), pagine_(pagine), cartella_(cartella) {
    fs::create_directories(cartella_);
    if (!Scrivi_Striscia_Font(cartella_ / "BENCH.BMP", Opzioni_Striscia{})) std::exit(2);
    // The print data of every spool file: pages of 66 lines of 80
    // characters.
    for (int p = 1; p <= pagine_; ++p) {
      for (int r = 1; r <= 66; ++r) {
        std::string riga = "PAGINA " + std::to_string(p) + " RIGA " + std::to_string(r) + " ";
        while (riga.size() < 80) riga += static_cast<char>('A' + (riga.size() * 7 + static_cast<size_t>(r)) % 26);
        dati_ += riga + "\n";
      }
      dati_ += "<FF>\n";
    }
  }

  // One run of `quanti` servers over the whole queue.
  Esito_Giro Giro(int quanti) {
    const fs::path giro = cartella_ / ("giro" + std::to_string(++giri_));
    const fs::path coda = giro / "coda", fatti = giro / "fatti", pronti = giro / "pronti";
    fs::create_directories(coda);
    prova::Host_Simulato host({"--dictionary", prova::Host_Simulato::Dizionario_Predefinito(), "--ftp-port", "-1",
                               "--spool-queue", coda.string(), "--spool-done", fatti.string()});
    if (!host.Avvia()) {
      std::fprintf(stderr, "the stand-in did not start: %s\n", host.Uscita().c_str());
      std::exit(3);
    }
    // The spool files, made aside.
    for (int i = 1; i <= file_; ++i) {
      const fs::path d = pronti / Nome(i);
      fs::create_directories(d);
      prova::File_Scrivi(d / "dati.txt", dati_);
      prova::File_Scrivi(d / "attributi.txt",
                         "formato = BENCH\nnumero_spool = " + std::to_string(i) +
                             "\ntipo_immagine = A\nout_width = 1728\nout_height = 2292\nout_resx = 204\n"
                             "out_resy = 196\nout_zoomx = 100\nout_zoomy = 100\ntxt_cols = 80\ntxt_rows = 66\n"
                             "txt_left = 64\ntxt_top = 40\ntxt_col_dim = 20\ntxt_row_dim = 33\ntxt_orie = 1\n"
                             "fnt_file = BENCH.BMP\nsfondo_r = 255\nsfondo_g = 255\nsfondo_b = 255\n");
    }
    // The servers, each in its program folder with its own index.
    std::vector<std::unique_ptr<prova::Processo>> server;
    for (int s = 1; s <= quanti; ++s) {
      const fs::path programma = giro / ("Qod_S_" + std::to_string(s));
      if (!host.Programma_Prepara(programma, s)) std::exit(4);
      fs::create_directories(programma / "Fnt");
      fs::copy_file(cartella_ / "BENCH.BMP", programma / "Fnt" / "BENCH.BMP");
      fs::last_write_time(programma / "Fnt" / "BENCH.BMP", fs::file_time_type::clock::now() - std::chrono::hours(1));
      const std::string ini = (programma / "Qod_S.INI").string();
      for (const auto& [chiave, valore] : std::vector<std::pair<const char*, const char*>>{
               {"Tempo Ciclo", "20"}, {"Fine Collegamento Ora", "235959"}, {"Inizio Collegamento Ora", "000000"}})
        Profilo_Scrivi(ini, "Generale", chiave, valore);
      auto p = std::make_unique<prova::Processo>();
      if (!p->Avvia({.argomenti = {prova::Programma_Build(QOD_QOD_S), "/AUTO"},
                     .cartella = programma,
                     .uscita = giro / ("Qod_S_" + std::to_string(s) + ".out"),
                     .ambiente = {{"QT_QPA_PLATFORM", "offscreen"}}})) {
        std::fprintf(stderr, "Qod_S did not start: %s\n", p->Errore().c_str());
        std::exit(5);
      }
      server.push_back(std::move(p));
    }
    // Every server has asked for a spool file: they are all waiting.
    if (!host.Attendi_Log(
            [&](const std::vector<prova::Voce_Log>& log) {
              std::set<std::string> chi;
              for (const auto& v : log)
                if (v.canale == "REC" && v.testo.rfind("S00005", 0) == 0) chi.insert(v.testo.substr(6));
              return static_cast<int>(chi.size()) == quanti;
            },
            60000)) {
      std::fprintf(stderr, "the servers did not all start\n");
      std::exit(6);
    }

    Esito_Giro e;
    const Tempi_Cpu m0 = Cpu_Macchina();
    std::vector<long long> c0;
    for (auto& p : server) c0.push_back(Cpu_Processo(p->Pid()));
    const long long h0 = Cpu_Processo(host.Pid());
    const auto t0 = Orologio::now();
    for (int i = 1; i <= file_; ++i) fs::rename(pronti / Nome(i), coda / Nome(i));
    while (prova::Nomi(fatti).size() < static_cast<size_t>(file_)) {
      if (Orologio::now() - t0 > std::chrono::minutes(5)) {
        std::fprintf(stderr, "the queue was not done in 5 minutes\n");
        std::exit(7);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    e.secondi = std::chrono::duration<double>(Orologio::now() - t0).count();
    const Tempi_Cpu m1 = Cpu_Macchina();
    long long nostri = Cpu_Processo(host.Pid()) - h0;
    for (size_t i = 0; i < server.size(); ++i) nostri += Cpu_Processo(server[i]->Pid()) - c0[i];
    const double nuclei = static_cast<double>(std::thread::hardware_concurrency());
    const double totale = static_cast<double>(std::max(1LL, m1.totale - m0.totale));
    e.nuclei_occupati = nuclei * static_cast<double>(m1.occupato - m0.occupato) / totale;
    e.nuclei_nostri = nuclei * static_cast<double>(nostri) / totale;

    for (auto& p : server) p->Ferma(10000);
    // Each spool file once in the done folder, one done record for each.
    std::map<std::string, int> fatti_d;
    for (const auto& t : host.Richieste('D')) {
      ++fatti_d[t.substr(11, 9)];
      ++e.per_server[t.substr(6, 5)];
    }
    const auto nomi = prova::Nomi(fatti);
    e.esatto = nomi.size() == static_cast<size_t>(file_) && prova::Nomi(coda).empty() &&
               fatti_d.size() == static_cast<size_t>(file_);
    for (int i = 1; i <= file_; ++i) {
      char numero[16];
      std::snprintf(numero, sizeof numero, "%09d", i);
      e.esatto = e.esatto && fatti_d[numero] == 1 && fs::exists(fatti / Nome(i) / "esito.txt");
    }
    host.Ferma();
    std::error_code ec;
    fs::remove_all(giro, ec);
    return e;
  }

 private:
  static std::string Nome(int i) {
    char n[16];
    std::snprintf(n, sizeof n, "%04d", i);
    return n;
  }
  int file_, pagine_;
  fs::path cartella_;
  std::string dati_;
  int giri_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const int file = argc > 1 ? std::max(1, std::atoi(argv[1])) : 32;
  const int pagine = argc > 2 ? std::max(1, std::atoi(argv[2])) : 6;
  const int giri = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  const int quanti = argc > 4 ? std::max(2, std::atoi(argv[4])) : 4;
  const fs::path cartella = fs::temp_directory_path() / ("bench_multipli_" + std::to_string(::getpid()));
  Banco banco(file, pagine, cartella);

  std::printf("several servers: %d spool files of %d G4 pages each, 1 Qod_S beside %d, %d rounds interleaved;\n", file,
              pagine, quanti, giri);
  std::printf("machine: %u cores, load average at start %s\n", std::thread::hardware_concurrency(), Carico().c_str());
  bench::Serie uno, molti, rapporto;
  bool esatto = true;
  for (int g = 0; g < giri; ++g) {
    for (int n : {1, quanti}) {
      const Esito_Giro e = banco.Giro(n);
      esatto = esatto && e.esatto;
      (n == 1 ? uno : molti).Aggiungi(file / e.secondi);
      std::string chi;
      for (const auto& [server, k] : e.per_server) chi += " " + std::to_string(std::stoi(server)) + ":" + std::to_string(k);
      std::printf("  round %d, %d server%s: %.2f s, %.1f spool files/s; cores busy %.1f of which these programs %.1f;"
                  " done by server%s; each once: %s\n",
                  g + 1, n, n == 1 ? "" : "s", e.secondi, file / e.secondi, e.nuclei_occupati, e.nuclei_nostri,
                  chi.c_str(), e.esatto ? "yes" : "NO");
    }
  }
  std::printf("median (lowest - highest)\n");
  std::printf("  1 server:   %s spool files/s\n", uno.Testo("%.1f").c_str());
  std::printf("  %d servers:  %s spool files/s\n", quanti, molti.Testo("%.1f").c_str());
  std::printf("  ratio %d / 1: %s\n", quanti, bench::Rapporto(molti, uno).Testo("%.2f").c_str());
  std::printf("  every spool file done exactly once: %s\n", esatto ? "ok" : "NO");
  std::error_code ec;
  fs::remove_all(cartella, ec);
  return esatto ? 0 : 1;
}
