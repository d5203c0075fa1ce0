// The real spool server at work: `Qod_S /AUTO` started as a process against
// the stand-in host, which first hands it a spool file of one page (the
// start: the program's opening, its connection and the first spool file).
// Once that one is done, a spool file of N text pages arrives in the queue
// (its folder renamed into it), each page rendered to a 1728 x 2292 G4 page
// image; the job is timed from its arrival until the stand-in has its done
// record (its folder in the done folder), as a running server meets it. The
// server is then stopped with SIGTERM; its peak resident memory (VmHWM) is
// read just before. The CPU time of both processes and the server's minor
// page faults during the job (from /proc) tell whether it waited on the
// stand-in and whether its memory was allocated anew page after page.
//
// Beside it, in the same round, the bare steps of the same work: the
// loopback transfer of the print data's bytes (the only bytes this job moves
// over the wire) and the libtiff G4 encode of the very page images the
// server made (each decoded untimed first), packed into one reused buffer
// and written as files. Runs at two lengths, so that the cost per page at N
// pages can be set against the one at N/10.
//
//   bench_qod_s [rounds] [pages N]   (defaults 5 and 1000)
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "flusso.h"
#include "qod/bench/misura.h"
#include "qod/host_simulato.h"
#include "qod/imagegen/striscia_font.h"
#include "qod/imaging/file.h"
#include "qod/profile.h"
#include "qod/prova/costruzione.h"
#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"
#include "qod/record/file_pagina.h"

using namespace qod;
namespace fs = std::filesystem;
using Orologio = std::chrono::steady_clock;
using bench::Serie;

namespace {

double Secondi(Orologio::time_point t0) { return std::chrono::duration<double>(Orologio::now() - t0).count(); }

// The peak resident memory of a running process, in MiB (0 when unknown).
double Picco_Mib(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string riga; std::getline(in, riga);)
    if (riga.rfind("VmHWM:", 0) == 0) return std::strtod(riga.c_str() + 6, nullptr) / 1024;
  return 0;
}

// What /proc tells of a running process: its minor page faults and its CPU
// time (user and system) in seconds.
struct Conti {
  double faults = 0, cpu = 0;
};
Conti Conti_Processo(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string testo((std::istreambuf_iterator<char>(in)), {});
  Conti c;
  const size_t fine_nome = testo.rfind(')');
  if (fine_nome == std::string::npos) return c;
  std::istringstream campi(testo.substr(fine_nome + 2));
  std::vector<std::string> v;
  for (std::string x; campi >> x;) v.push_back(x);
  // From the state (field 3): minflt is field 10, utime 14, stime 15.
  if (v.size() < 13) return c;
  const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
  c.faults = std::strtod(v[7].c_str(), nullptr);
  c.cpu = (std::strtod(v[11].c_str(), nullptr) + std::strtod(v[12].c_str(), nullptr)) / tick;
  return c;
}

struct Giro {
  double avvio = 0, strada = 0, trasferimento = 0, g4 = 0, memoria = 0, faults = 0, cpu = 0, cpu_host = 0;
};

struct Lunghezza {
  int pagine = 0;
  std::vector<uint8_t> spool;
  Serie avvio, strada, trasferimento, g4, memoria, faults, cpu, cpu_host;
};

}  // namespace

int main(int argc, char** argv) {
  const int giri = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int pagine_n = argc > 2 ? std::max(10, std::atoi(argv[2])) : 1000;
  const fs::path cartella = fs::temp_directory_path() / ("qod_bench_qod_s_" + std::to_string(::getpid()));
  // Every run in a folder of its own, nothing deleted before the end (see
  // bench_spool).
  int numero = 0;
  auto Nuova = [&](const std::string& nome) {
    const fs::path d = cartella / (nome + std::to_string(++numero));
    fs::create_directories(d);
    return d;
  };
  fs::create_directories(cartella);
  if (!prova::Host_Simulato::Scrivi_Tabella(cartella / "Qod_TBL1.Tbl")) return 1;
  const auto tabella = bench::Tabella_Conversione(cartella / "Qod_TBL1.Tbl");
  const fs::path striscia = cartella / "BENCH.BMP";
  if (!Scrivi_Striscia_Font(striscia, Opzioni_Striscia{})) return 1;
  const std::string qod_s = prova::Programma_Build(QOD_QOD_S);

  Lunghezza lunghezze[2];
  lunghezze[0].spool = bench::Flusso_Scs(tabella, 0, lunghezze[0].pagine, pagine_n / 10);
  lunghezze[1].spool = bench::Flusso_Scs(tabella, 0, lunghezze[1].pagine, pagine_n);

  int pagine_avvio = 0;
  const std::vector<uint8_t> spool_avvio = bench::Flusso_Scs(tabella, 0, pagine_avvio, 1);
  auto Spool_File = [&](const fs::path& d, const std::vector<uint8_t>& dati) {
    fs::create_directories(d);
    std::ofstream(d / "dati.scs", std::ios::binary)
        .write(reinterpret_cast<const char*>(dati.data()), static_cast<std::streamsize>(dati.size()));
    std::ofstream(d / "attributi.txt") << "formato = BENCH\ntipo_immagine = A\n" << bench::Attributi_Rendering();
  };

  // A poll every 10 ms, and a day-long connection window.
  const std::vector<Profilo_Voce> impostazioni = {{"Generale", "Tempo Ciclo", "10"},
                                                  {"Generale", "Fine Collegamento Ora", "235959"},
                                                  {"Generale", "Inizio Collegamento Ora", "000000"},
                                                  {"Generale", "Log", "S"}};

  auto Esegui = [&](const Lunghezza& l, Giro& t) -> int {
    const fs::path coda = Nuova("coda"), arrivo = Nuova("arrivo"), fatti = cartella / ("fatti" + std::to_string(numero));
    Spool_File(coda / "0001", spool_avvio);
    Spool_File(arrivo / "0002", l.spool);
    prova::Host_Simulato host(std::vector<std::string>{"--ftp-port", "-1", "--dictionary",
                                                       prova::Host_Simulato::Dizionario_Predefinito(), "--spool-queue",
                                                       coda.string(), "--spool-done", fatti.string()});
    if (!host.Avvia()) {
      std::fprintf(stderr, "the stand-in host did not start: %s\n", host.Uscita().c_str());
      return 2;
    }
    const fs::path programma = Nuova("Qod_S");
    fs::create_directories(programma / "Fnt");
    fs::copy_file(striscia, programma / "Fnt" / "BENCH.BMP");
    // Installed long before the job, as a server's font strips are.
    fs::last_write_time(programma / "Fnt" / "BENCH.BMP", fs::file_time_type::clock::now() - std::chrono::hours(1));
    const std::string ini = (programma / "Qod_S.INI").string();
    if (!host.Programma_Prepara(programma) || !Profilo_Scrivi_Tutti(ini, impostazioni)) return 3;

    const fs::path uscita = programma.string() + ".out";
    prova::Processo server;
    auto Attendi_Fatto = [&](const std::string& nome, Orologio::time_point t0) {
      while (!fs::exists(fatti / nome / "esito.txt")) {
        if (!server.In_Esecuzione() || Secondi(t0) > 600) {
          std::fprintf(stderr, "Qod_S did not finish spool file %s:\n%s\n", nome.c_str(),
                       prova::File_Leggi(uscita).c_str());
          return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
      return true;
    };
    prova::Avvio avvio;
    avvio.argomenti = {qod_s, "/AUTO"};
    avvio.cartella = programma;
    avvio.uscita = uscita;
    avvio.ambiente = {{"QT_QPA_PLATFORM", "offscreen"}};
    auto t0 = Orologio::now();
    if (!server.Avvia(avvio)) {
      std::fprintf(stderr, "Qod_S: %s\n", server.Errore().c_str());
      return 4;
    }
    if (!Attendi_Fatto("0001", t0)) return 5;
    t.avvio = Secondi(t0);
    // The stand-in's process, from its ready file.
    pid_t pid_host = 0;
    {
      std::ifstream pronto(host.Cartella() / "ready");
      for (std::string riga; std::getline(pronto, riga);)
        if (riga.rfind("pid=", 0) == 0) pid_host = static_cast<pid_t>(std::atoi(riga.c_str() + 4));
    }
    const Conti prima = Conti_Processo(server.Pid()), prima_host = Conti_Processo(pid_host);
    t0 = Orologio::now();
    fs::rename(arrivo / "0002", coda / "0002");
    if (!Attendi_Fatto("0002", t0)) return 5;
    t.strada = Secondi(t0);
    const Conti dopo = Conti_Processo(server.Pid());
    t.faults = (dopo.faults - prima.faults) / l.pagine;
    t.cpu = dopo.cpu - prima.cpu;
    t.cpu_host = Conti_Processo(pid_host).cpu - prima_host.cpu;
    t.memoria = Picco_Mib(server.Pid());
    server.Segnale(SIGTERM);
    if (server.Attendi(20000) != 0) {
      std::fprintf(stderr, "Qod_S did not end in order:\n%s\n", prova::File_Leggi(uscita).c_str());
      return 6;
    }
    host.Ferma();
    for (const char* nome : {"0001", "0002"}) {
      const std::string esito = prova::File_Leggi(fatti / nome / "esito.txt");
      if (esito.find("*ERR") != std::string::npos) {
        std::fprintf(stderr, "spool file %s failed: %s\n", nome, esito.c_str());
        return 7;
      }
    }

    // The bare steps.
    t.trasferimento = bench::Loopback_Ms(l.spool.size()) / 1000;
    const std::string tmps = (programma / "TmpS").string() + "/";
    const fs::path nudi = Nuova("nudi");
    t.g4 = 0;
    for (int pg = 1; pg <= l.pagine; ++pg) {
      img::Immagine im;
      if (!img::Carica(File_Immagine(tmps, 1, 1, pg, ".TIF"), im)) {
        std::fprintf(stderr, "page image %d missing\n", pg);
        return 8;
      }
      const std::string file = (nudi / (std::to_string(pg) + ".tif")).string();
      t.g4 += bench::Cronometra_Ms([&] {
                if (!bench::Tiff_G4(im, file)) std::exit(8);
              }) /
              1000;
    }
    return 0;
  };

  for (int giro = 0; giro < giri; ++giro)
    for (Lunghezza& l : lunghezze) {
      Giro t;
      if (int rc = Esegui(l, t)) return rc;
      l.avvio.Aggiungi(t.avvio);
      l.strada.Aggiungi(t.strada);
      l.trasferimento.Aggiungi(t.trasferimento);
      l.g4.Aggiungi(t.g4);
      l.memoria.Aggiungi(t.memoria);
      l.faults.Aggiungi(t.faults);
      l.cpu.Aggiungi(t.cpu);
      l.cpu_host.Aggiungi(t.cpu_host);
    }

  std::printf("%d rounds, interleaved; median (lowest - highest)\n", giri);
  for (const Lunghezza& l : lunghezze) {
    std::printf("\nQod_S /AUTO against the stand-in host, one spool file of %d pages (%.1f MB), G4 page images:\n",
                l.pagine, static_cast<double>(l.spool.size()) / (1 << 20));
    std::printf("  Qod_S start (to a first spool file of one page done)   %s s\n", l.avvio.Testo("%.3f").c_str());
    std::printf("  Qod_S, arrival to done record   %s s, %s ms a page\n", l.strada.Testo("%.3f").c_str(),
                bench::Scala(l.strada, 1000.0 / l.pagine).Testo("%.2f").c_str());
    std::printf("  bare loopback transfer          %s s\n", l.trasferimento.Testo("%.4f").c_str());
    std::printf("  bare G4 encode of the pages     %s s\n", l.g4.Testo("%.3f").c_str());
    std::printf("  ratio Qod_S / (transfer + G4 encode)   %s   (goal: at most 1.5)\n",
                bench::Rapporto(l.strada, bench::Somma(l.trasferimento, l.g4)).Testo().c_str());
    std::printf("  Qod_S peak resident memory      %s MiB\n", l.memoria.Testo("%.1f").c_str());
    std::printf("  CPU time / job time: Qod_S %s, the stand-in %s\n", bench::Rapporto(l.cpu, l.strada).Testo().c_str(),
                bench::Rapporto(l.cpu_host, l.strada).Testo().c_str());
    std::printf("  Qod_S minor page faults a page  %s\n", l.faults.Testo("%.1f").c_str());
  }
  const Lunghezza &corta = lunghezze[0], &lunga = lunghezze[1];
  std::printf("\ncost per page at %d pages / at %d pages   %s   (goal: within 0.90 - 1.10)\n", lunga.pagine,
              corta.pagine,
              bench::Rapporto(bench::Scala(lunga.strada, 1.0 / lunga.pagine),
                              bench::Scala(corta.strada, 1.0 / corta.pagine))
                  .Testo()
                  .c_str());
  std::printf("peak memory at %d pages / at %d pages        %s   (goal: flat, 1.00)\n", lunga.pagine, corta.pagine,
              bench::Rapporto(lunga.memoria, corta.memoria).Testo().c_str());
  fs::remove_all(cartella);
  return 0;
}
