// Speed of the spool road.
//
// 1. Interpretation: `Spool_Dati` over a large synthetic SCS stream served
//    from memory in 8186-byte blocks (page files written to a temporary
//    folder), beside a bare pass that only converts every byte of the same
//    stream through the table and beside writing the same page files with
//    no interpretation. Reported as MB/s (pages/s) of each and the ratios.
//    The page files dominate; set TMPDIR to choose their file system.
// 2. End to end: `Spool_Get` against the stand-in host on loopback for one
//    spool file of many pages, beside the stand-in's bare block throughput
//    ("G" requests for the same print data through the transport) in the
//    same run. Reported as pages per second and the ratio of the two times.
//    Run twice: with a no-op image stage (records, layout and page files),
//    and with every page rendered to a G4 page image by the image generator.
//
//   bench_spool [megabytes] [pages] [rendered pages]
//   (defaults 50, 2000 and 200; best of 3 rounds)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qod/basic.h"
#include "qod/host/collegamento.h"
#include "qod/host/trasporto.h"
#include "qod/host_simulato.h"
#include "qod/imagegen/qod_img.h"
#include "qod/server/pannello.h"
#include "qod/server/scs.h"
#include "qod/server/spool.h"
#include "qod/striscia_font.h"

using namespace qod;
using Orologio = std::chrono::steady_clock;

namespace {

double Secondi(Orologio::time_point t0) { return std::chrono::duration<double>(Orologio::now() - t0).count(); }

std::array<uint8_t, 256> Tabella(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string s((std::istreambuf_iterator<char>(in)), {});
  std::array<uint8_t, 256> t{};
  for (size_t i = 0; i < 256 && 6 + i < s.size(); ++i) t[i] = static_cast<uint8_t>(s[6 + i]);
  return t;
}

// A realistic page: 60 lines of 80 characters with positions, a few tags
// and a skipped 2B control, then a form feed.
std::vector<uint8_t> Flusso(const std::array<uint8_t, 256>& tabella, size_t byte_minimi, int& pagine) {
  std::array<uint8_t, 256> inversa{};
  for (int i = 0; i < 256; ++i) inversa[tabella[static_cast<size_t>(i)]] = static_cast<uint8_t>(i);
  std::vector<uint8_t> d;
  auto testo = [&](const std::string& t) {
    for (char c : t) d.push_back(inversa[static_cast<unsigned char>(c)]);
  };
  pagine = 0;
  while (d.size() < byte_minimi) {
    d.insert(d.end(), {0x2B, 0xC6, 0x02, 0x06, 0x34, 0xC4, 0x02});
    testo("{TP=800}{FN=Arial}");
    for (int r = 0; r < 60; ++r) {
      d.insert(d.end(), {0x34, 0xC0, 0x05});
      testo("Riga " + std::to_string(r) + " della pagina " + std::to_string(pagine + 1));
      d.insert(d.end(), {0x34, 0xC8, 0x04});
      testo("Descrizione articolo  Quantita  12,50  1.250,00");
      if (r % 20 == 0) d.insert(d.end(), {0x2B, 0xD2, 0x04, 0x29, 0x00, 0x01});
      d.push_back(0x15);
    }
    d.push_back(0x0C);
    ++pagine;
  }
  return d;
}

struct Risultato {
  double secondi = 1e30;
};

void Migliore(Risultato& r, double s) {
  if (s < r.secondi) r.secondi = s;
}

class Generatore_Nullo : public Generatore_Immagini {
 public:
  void Imposta(const Attributi_Spool&, const std::string&, const std::string&) override {}
  void Elabora(const Pagina_Immagine&) override {}
  bool Errore() const override { return false; }
  std::string Stato() const override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
  const size_t megabyte = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 50;
  const int pagine_e2e = argc > 2 ? std::atoi(argv[2]) : 2000;
  const int pagine_render = argc > 3 ? std::atoi(argv[3]) : 200;
  const auto cartella = std::filesystem::temp_directory_path() / ("qod_bench_spool_" + std::to_string(::getpid()));
  std::filesystem::create_directories(cartella / "tmps");
  if (!prova::Host_Simulato::Scrivi_Tabella(cartella / "Qod_TBL1.Tbl")) return 1;
  const auto tabella = Tabella(cartella / "Qod_TBL1.Tbl");

  // ---- 1. Interpretation from memory ---------------------------------------
  int pagine = 0;
  const std::vector<uint8_t> dati = Flusso(tabella, megabyte << 20, pagine);
  Risultato interprete, nudo, file;
  volatile uint32_t somma = 0;
  for (int giro = 0; giro < 3; ++giro) {
    auto t0 = Orologio::now();
    uint32_t s = 0;
    for (size_t o = 0; o < dati.size(); o += kBlocco_Dati) {
      const size_t fine = std::min(dati.size(), o + kBlocco_Dati);
      for (size_t i = o; i < fine; ++i) s += tabella[dati[i]];
    }
    somma = somma + s;
    Migliore(nudo, Secondi(t0));

    // The page files alone: two files per page, the same bytes of text.
    {
      const std::string riga(78, 'x');
      t0 = Orologio::now();
      for (int pg = 1; pg <= pagine; ++pg) {
        std::FILE* a = std::fopen(File_Testo((cartella / "tmps").string() + "/", 1, pg).c_str(), "wb");
        std::FILE* b = std::fopen(File_Comandi((cartella / "tmps").string() + "/", 1, pg).c_str(), "wb");
        if (!a || !b) return 2;
        for (int r = 0; r < 61; ++r) std::fwrite(riga.data(), 1, riga.size(), a);
        std::fwrite(riga.data(), 1, 20, b);
        std::fclose(a);
        std::fclose(b);
      }
      Migliore(file, Secondi(t0));
      std::filesystem::remove_all(cartella / "tmps");
      std::filesystem::create_directories(cartella / "tmps");
    }

    Pagine_Spool p;
    Pagine_Spool::Impostazioni cfg;
    cfg.Cartella_TmpS = (cartella / "tmps").string() + "/";
    cfg.Cartella_Programma = cartella.string() + "/";
    cfg.Indice_Server = 1;
    p.Avvia(cfg);
    Interprete_SCS scs(p);
    Pannello quadro;
    scs.Quadro = &quadro;
    Sorgente_Memoria sorgente(dati);
    t0 = Orologio::now();
    if (!scs.Spool_Dati(sorgente, tabella, static_cast<int32_t>(dati.size()), pagine) || p.Pagine_Aperte != pagine)
      return 2;
    Migliore(interprete, Secondi(t0));
    std::filesystem::remove_all(cartella / "tmps");
    std::filesystem::create_directories(cartella / "tmps");
  }
  const double mb = static_cast<double>(dati.size()) / (1 << 20);
  std::printf("interpretation of %.1f MB (%d pages) from memory:\n", mb, pagine);
  std::printf("  Spool_Dati            %8.1f MB/s  %8.0f pages/s\n", mb / interprete.secondi, pagine / interprete.secondi);
  std::printf("  table pass only       %8.1f MB/s\n", mb / nudo.secondi);
  std::printf("  page files only       %8.0f pages/s  (two files per page, the same text, no interpretation)\n",
              pagine / file.secondi);
  std::printf("  ratio Spool_Dati / table pass: %.2f;  Spool_Dati / page files only: %.2f\n",
              interprete.secondi / nudo.secondi, interprete.secondi / file.secondi);

  // ---- 2. End to end against the stand-in host -------------------------------
  // One spool file through Spool_Get; `rendi` renders every page to a G4 page
  // image of 1728 x 2292 through the image generator (80 x 66 text grid).
  auto Giri = [&](const std::vector<uint8_t>& spool, int pagine_spool, bool rendi, Risultato& strada,
                  Risultato& blocchi) -> int {
    const auto coda = cartella / "coda";
    for (int giro = 0; giro < 3; ++giro) {
      std::filesystem::remove_all(coda);
      std::filesystem::create_directories(coda / "0001");
      std::ofstream(coda / "0001" / "dati.scs", std::ios::binary)
          .write(reinterpret_cast<const char*>(spool.data()), static_cast<std::streamsize>(spool.size()));
      std::ofstream attributi(coda / "0001" / "attributi.txt");
      attributi << "formato = BENCH\ntipo_immagine = A\n";
      if (rendi)
        attributi << "out_width = 1728\nout_height = 2292\nout_resx = 204\nout_resy = 196\n"
                     "out_zoomx = 100\nout_zoomy = 100\ntxt_cols = 80\ntxt_rows = 66\ntxt_left = 64\n"
                     "txt_top = 40\ntxt_col_dim = 20\ntxt_row_dim = 33\ntxt_orie = 1\nfnt_file = BENCH.BMP\n"
                     "sfondo_r = 255\nsfondo_g = 255\nsfondo_b = 255\n";
      attributi.close();
      prova::Host_Simulato host(std::vector<std::string>{
          "--ftp-port", "-1", "--dictionary", prova::Host_Simulato::Dizionario_Predefinito(), "--spool-queue",
          coda.string(), "--spool-done", (cartella / "fatti").string()});
      if (!host.Avvia()) {
        std::fprintf(stderr, "%s", host.Uscita().c_str());
        return 3;
      }
      const auto programma = cartella / ("prog" + std::to_string(giro) + (rendi ? "r" : ""));
      std::filesystem::create_directories(programma / "Fnt");
      if (!host.Programma_Prepara(programma)) return 4;
      if (rendi && !prova::Scrivi_Striscia_Font(programma / "Fnt" / "BENCH.BMP", prova::Opzioni_Striscia{})) return 4;
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
      Migliore(blocchi, Secondi(t0));

      Pannello pannello;
      Generatore_Nullo nullo;
      Qod_IMG qod_img;
      Generatore_Qod_IMG<Qod_IMG> reale(qod_img);
      Fasi_Spool fasi;
      fasi.Immagini = rendi ? static_cast<Generatore_Immagini*>(&reale) : &nullo;
      Spool_Server server(base, trasporto, conn, pannello, Pump{}, fasi);
      t0 = Orologio::now();
      if (!server.Spool_Get() || server.Pagine.Pagine_Aperte != pagine_spool || server.Errore_Spool) {
        std::fprintf(stderr, "Spool_Get failed: %s\n", pannello.Valore(Pannello::Riga_Stato).c_str());
        return 8;
      }
      Migliore(strada, Secondi(t0));
      std::filesystem::remove_all(programma);
    }
    return 0;
  };

  auto Riporta = [&](const char* titolo, const std::vector<uint8_t>& spool, int pagine_spool, const Risultato& strada,
                     const Risultato& blocchi) {
    const double mb_spool = static_cast<double>(spool.size()) / (1 << 20);
    std::printf("end to end, one spool file of %d pages (%.1f MB) from the stand-in host on loopback, %s:\n",
                pagine_spool, mb_spool, titolo);
    std::printf("  Spool_Get             %8.0f pages/s  %8.1f MB/s\n", pagine_spool / strada.secondi,
                mb_spool / strada.secondi);
    std::printf("  bare G blocks         %8.0f blocks/s %8.1f MB/s\n",
                static_cast<double>((spool.size() + kBlocco_Dati - 1) / kBlocco_Dati) / blocchi.secondi,
                mb_spool / blocchi.secondi);
    std::printf("  ratio Spool_Get / bare blocks: %.2f\n", strada.secondi / blocchi.secondi);
  };

  int pagine_spool = 0;
  const std::vector<uint8_t> spool = Flusso(tabella, static_cast<size_t>(pagine_e2e) * 5000, pagine_spool);
  Risultato strada, blocchi;
  if (int rc = Giri(spool, pagine_spool, false, strada, blocchi)) return rc;
  Riporta("layout and page files only", spool, pagine_spool, strada, blocchi);

  int pagine_rese = 0;
  const std::vector<uint8_t> spool_reso = Flusso(tabella, static_cast<size_t>(pagine_render) * 5000, pagine_rese);
  Risultato strada_resa, blocchi_resa;
  if (int rc = Giri(spool_reso, pagine_rese, true, strada_resa, blocchi_resa)) return rc;
  Riporta("with every page rendered to G4 at 1728 x 2292", spool_reso, pagine_rese, strada_resa, blocchi_resa);
  std::filesystem::remove_all(cartella);
  return somma == 0xFFFFFFFF ? 9 : 0;
}
