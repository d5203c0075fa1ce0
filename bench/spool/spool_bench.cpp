// Speed of the spool road. Every contender runs interleaved with the ones it
// is measured against, round after round (A B A B ...); each ratio is taken
// within its round and reported as the median with the spread (lowest -
// highest) over the rounds.
//
// 1. Interpretation: `Spool_Dati` over a large synthetic SCS stream served
//    from memory in 8186-byte blocks (page files written to a temporary
//    folder), beside a bare pass that converts every byte of the same stream
//    through the table and writes the very page files `Spool_Dati` writes
//    (the same names and bytes), with no interpretation. The page files
//    dominate; set TMPDIR to choose their file system.
// 2. End to end: `Spool_Get` against the stand-in host on loopback for one
//    spool file, beside the bare steps it is made of in the same round: the
//    transfer of the same print data ("G" requests through the transport)
//    and, when every page is rendered to a 1728 x 2292 G4 page image, the
//    bare libtiff G4 encode of the same page images (rows packed into one
//    reused buffer). Run for a spool file of text pages only (records, layout
//    and page files), and rendered at N/10 and N pages, with the cost per
//    page of each. bench_qod_s measures the same road as the real Qod_S
//    process.
//
//   bench_spool [megabytes] [pages] [rounds] [rendered pages N]
//   (defaults 20, 2000, 3 and 1000)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "flusso.h"
#include "qod/basic.h"
#include "qod/bench/misura.h"
#include "qod/imaging/file.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/host_simulato.h"
#include "qod/imagegen/qod_img.h"
#include "qod/server/pannello.h"
#include "qod/server/scs.h"
#include "qod/server/spool.h"
#include "qod/imagegen/striscia_font.h"
#include "qod/prova/finti.h"

using namespace qod;
using Orologio = std::chrono::steady_clock;
using bench::Serie;

namespace {

double Secondi(Orologio::time_point t0) { return std::chrono::duration<double>(Orologio::now() - t0).count(); }

class Generatore_Nullo : public Generatore_Immagini {
 public:
  void Imposta(const Attributi_Spool&, const std::string&, const std::string&) override {}
  void Elabora(const Pagina_Immagine&) override {}
  bool Errore() const override { return false; }
  std::string Stato() const override { return {}; }
};

// A file as one installed long before the job (font strips are).
void Installato(const std::filesystem::path& f) {
  std::filesystem::last_write_time(f, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
}

// The times of one end-to-end round, in seconds.
struct Giro_E2E {
  double strada = 0, blocchi = 0, g4 = 0;
};

}  // namespace

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const size_t megabyte = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20;
  const int pagine_e2e = argc > 2 ? std::atoi(argv[2]) : 2000;
  const int giri = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  const int pagine_render = argc > 4 ? std::max(10, std::atoi(argv[4])) : 1000;
  const auto cartella = fs::temp_directory_path() / ("qod_bench_spool_" + std::to_string(::getpid()));
  // Every run writes into a folder of its own, and nothing is deleted before
  // the end: on ext4 a file made soon after many were deleted costs a search
  // past their inodes, which would fall on whichever run came next.
  int numero_cartella = 0;
  auto Nuova = [&](const std::string& nome) {
    const fs::path d = cartella / (nome + std::to_string(++numero_cartella));
    fs::create_directories(d);
    return d;
  };
  fs::path tmps = Nuova("tmps");
  if (!prova::Host_Simulato::Scrivi_Tabella(cartella / "Qod_TBL1.Tbl")) return 1;
  const auto tabella = bench::Tabella_Conversione(cartella / "Qod_TBL1.Tbl");
  const auto striscia = cartella / "BENCH.BMP";
  if (!Scrivi_Striscia_Font(striscia, Opzioni_Striscia{})) return 1;

  // ---- 1. Interpretation from memory ---------------------------------------
  int pagine = 0;
  const std::vector<uint8_t> dati = bench::Flusso_Scs(tabella, megabyte << 20, pagine);
  auto Interpreta = [&]() -> double {
    Pagine_Spool p;
    Pagine_Spool::Impostazioni cfg;
    cfg.Cartella_TmpS = tmps.string() + "/";
    cfg.Cartella_Programma = cartella.string() + "/";
    cfg.Indice_Server = 1;
    p.Avvia(cfg);
    Interprete_SCS scs(p);
    Pannello quadro;
    scs.Quadro = &quadro;
    Sorgente_Memoria sorgente(dati);
    const auto t0 = Orologio::now();
    if (!scs.Spool_Dati(sorgente, tabella, static_cast<int32_t>(dati.size()), pagine) || p.Pagine_Aperte != pagine)
      std::exit(2);
    return Secondi(t0);
  };
  // The page files Spool_Dati writes, name (in its folder) and bytes, from a
  // first run.
  std::vector<std::pair<std::string, std::string>> file_pagina;
  Interpreta();
  for (int pg = 1; pg <= pagine; ++pg)
    for (const std::string& f : {File_Testo(tmps.string() + "/", 1, pg), File_Comandi(tmps.string() + "/", 1, pg)}) {
      std::ifstream in(f, std::ios::binary);
      file_pagina.emplace_back(fs::path(f).filename().string(), std::string((std::istreambuf_iterator<char>(in)), {}));
    }
  Serie interprete, nudo, tabella_e_file;
  volatile uint32_t somma = 0;
  for (int giro = 0; giro < giri; ++giro) {
    tmps = Nuova("tmps");
    interprete.Aggiungi(Interpreta());
    tmps = Nuova("tmps");

    // The bare pass: the table over every block, then the same page files.
    auto t0 = Orologio::now();
    uint32_t s = 0;
    for (size_t o = 0; o < dati.size(); o += kBlocco_Dati) {
      const size_t fine = std::min(dati.size(), o + kBlocco_Dati);
      for (size_t i = o; i < fine; ++i) s += tabella[dati[i]];
    }
    somma = somma + s;
    const double tabella_s = Secondi(t0);
    for (const auto& [nome, byte] : file_pagina) {
      std::FILE* f = std::fopen((tmps / nome).c_str(), "wb");
      if (!f) return 2;
      std::fwrite(byte.data(), 1, byte.size(), f);
      std::fclose(f);
    }
    nudo.Aggiungi(tabella_s);
    tabella_e_file.Aggiungi(Secondi(t0));
  }
  const double mb = static_cast<double>(dati.size()) / (1 << 20);
  std::printf("%d rounds, interleaved; median (lowest - highest)\n\n", giri);
  std::printf("interpretation of %.1f MB (%d pages) from memory:\n", mb, pagine);
  std::printf("  Spool_Dati                     %s s\n", interprete.Testo("%.3f").c_str());
  std::printf("  table pass only                %s s\n", nudo.Testo("%.3f").c_str());
  std::printf("  table pass + the page files    %s s\n", tabella_e_file.Testo("%.3f").c_str());
  std::printf("  ratio Spool_Dati / table pass + page files   %s   (goal: at most 1.2)\n",
              bench::Rapporto(interprete, tabella_e_file).Testo().c_str());

  // ---- 2. End to end against the stand-in host -------------------------------
  // One spool file through Spool_Get; `rendi` renders every page to a G4 page
  // image of 1728 x 2292 through the image generator (80 x 66 text grid).
  auto Giro = [&](const std::vector<uint8_t>& spool, int pagine_spool, bool rendi, Giro_E2E& t) -> int {
    const auto coda = cartella / "coda";
    fs::remove_all(coda);
    fs::create_directories(coda / "0001");
    std::ofstream(coda / "0001" / "dati.scs", std::ios::binary)
        .write(reinterpret_cast<const char*>(spool.data()), static_cast<std::streamsize>(spool.size()));
    std::ofstream attributi(coda / "0001" / "attributi.txt");
    attributi << "formato = BENCH\ntipo_immagine = A\n";
    if (rendi)
      attributi << bench::Attributi_Rendering();
    attributi.close();
    prova::Host_Simulato host(std::vector<std::string>{
        "--ftp-port", "-1", "--dictionary", prova::Host_Simulato::Dizionario_Predefinito(), "--spool-queue",
        coda.string(), "--spool-done", (cartella / "fatti").string()});
    if (!host.Avvia()) {
      std::fprintf(stderr, "%s", host.Uscita().c_str());
      return 3;
    }
    const auto programma = Nuova("prog");
    fs::create_directories(programma / "Fnt");
    if (!host.Programma_Prepara(programma)) return 4;
    if (rendi) {
      fs::copy_file(striscia, programma / "Fnt" / "BENCH.BMP");
      Installato(programma / "Fnt" / "BENCH.BMP");
    }
    FakeClock orologio;
    RecordingMessageSink messaggi;
    NoPrinters stampanti;
    Server_Base base(orologio, messaggi, stampanti);
    if (!base.Base_Inizializza(programma.string(), "")) return 4;
    Trasporto trasporto;
    Connessione_Host conn(base, base, trasporto);
    if (!conn.Host_Collega()) return 5;

    // The bare blocks: every block of the print data, once.
    // (A first "S" makes the spool file current on this connection.)
    Intestazione_Risposta r;
    if (!trasporto.Richiesta(1, 'S', "00001", r) || !trasporto.Sock_Read(1, r.Lunghezza)) return 6;
    auto t0 = Orologio::now();
    for (size_t o = 0; o < spool.size(); o += kBlocco_Dati) {
      if (!trasporto.Richiesta(1, 'G', Format(static_cast<int64_t>(o), "0000000000"), r) ||
          !trasporto.Sock_Read(1, r.Lunghezza))
        return 7;
    }
    t.blocchi = Secondi(t0);

    Pannello pannello;
    Generatore_Nullo nullo;
    Qod_IMG qod_img;
    Generatore_Qod_IMG<Qod_IMG> reale(qod_img);
    Fasi_Spool fasi;
    fasi.Immagini = rendi ? static_cast<Generatore_Immagini*>(&reale) : &nullo;
    Spool_Server server(base, trasporto, conn, pannello, Pump{}, fasi);
    t0 = Orologio::now();
    if (!server.Spool_Get() || server.Stato().Pagine.Pagine_Aperte != pagine_spool || server.Stato().Errore_Spool) {
      std::fprintf(stderr, "Spool_Get failed: %s\n", pannello.Valore(Pannello::Riga_Stato).c_str());
      return 8;
    }
    t.strada = Secondi(t0);

    // The bare G4 encode of the same page images, each read back untimed.
    t.g4 = 0;
    if (rendi) {
      const auto nudi = Nuova("nudi");
      for (int pg = 1; pg <= pagine_spool; ++pg) {
        img::Immagine im;
        if (!img::Carica(File_Immagine(base.Percorso_Tmp, 1, 1, pg, ".TIF"), im)) return 9;
        const std::string uscita = (nudi / (std::to_string(pg) + ".tif")).string();
        t.g4 += bench::Cronometra_Ms([&] {
                  if (!bench::Tiff_G4(im, uscita)) std::exit(9);
                }) /
                1000;
      }
    }
    return 0;
  };

  struct Strada {
    const char* titolo;
    bool rendi;
    std::vector<uint8_t> spool;
    int pagine = 0;
    Serie strada, blocchi, g4;
  };
  Strada strade[] = {{"text pages only (records, layout, page files)", false, {}},
                     {"every page rendered to G4 at 1728 x 2292", true, {}},
                     {"every page rendered to G4 at 1728 x 2292", true, {}}};
  strade[0].spool = bench::Flusso_Scs(tabella, static_cast<size_t>(pagine_e2e) * 5000, strade[0].pagine);
  strade[1].spool = bench::Flusso_Scs(tabella, 0, strade[1].pagine, pagine_render / 10);
  strade[2].spool = bench::Flusso_Scs(tabella, 0, strade[2].pagine, pagine_render);
  for (int giro = 0; giro < giri; ++giro)
    for (Strada& s : strade) {
      Giro_E2E t;
      if (int rc = Giro(s.spool, s.pagine, s.rendi, t)) return rc;
      s.strada.Aggiungi(t.strada);
      s.blocchi.Aggiungi(t.blocchi);
      s.g4.Aggiungi(t.g4);
    }
  for (const Strada& s : strade) {
    const double mb_spool = static_cast<double>(s.spool.size()) / (1 << 20);
    std::printf("\nend to end, one spool file of %d pages (%.1f MB) from the stand-in host on loopback, %s:\n",
                s.pagine, mb_spool, s.titolo);
    std::printf("  Spool_Get                      %s s, %s ms a page\n", s.strada.Testo("%.3f").c_str(),
                bench::Scala(s.strada, 1000.0 / s.pagine).Testo("%.2f").c_str());
    std::printf("  bare G blocks                  %s s\n", s.blocchi.Testo("%.3f").c_str());
    if (s.rendi) {
      std::printf("  bare G4 encode of the pages    %s s\n", s.g4.Testo("%.3f").c_str());
      std::printf("  ratio Spool_Get / (bare G blocks + bare G4 encode)   %s   (goal: at most 1.5)\n",
                  bench::Rapporto(s.strada, bench::Somma(s.blocchi, s.g4)).Testo().c_str());
    } else {
      std::printf("  ratio Spool_Get / bare G blocks   %s\n", bench::Rapporto(s.strada, s.blocchi).Testo().c_str());
    }
  }
  const Serie per_pagina = bench::Rapporto(bench::Scala(strade[2].strada, 1.0 / strade[2].pagine),
                                           bench::Scala(strade[1].strada, 1.0 / strade[1].pagine));
  std::printf("\nrendered: cost per page at %d pages / at %d pages   %s   (goal: within 0.90 - 1.10)\n",
              strade[2].pagine, strade[1].pagine, per_pagina.Testo().c_str());
  fs::remove_all(cartella);
  return somma == 0xFFFFFFFF ? 9 : 0;
}
