// Printing: pages per second from G4 page images (1728 x 2292, fax
// resolution) to a queue of a private CUPS server, by the print stage (the
// images drawn into one job, until CUPS holds the job's file), beside `lp`
// of a PDF of the same pages made beforehand with img2pdf (until lp returns,
// CUPS then holding the file), and of img2pdf and lp together (the PDF made
// in the round). Rounds rotate the order; each is reported as its median
// with its spread, and the ratios are taken within each round.
//
//   bench_stampa [pages, default 20] [rounds, default 7]
#include <stdlib.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <filesystem>
#include <string>

#include "qod/bench/misura.h"
#include "qod/imaging/immagine.h"
#include "qod/printing/cups.h"
#include "qod/printing/cups_privato.h"
#include "qod/prova/strumenti.h"
#include "qod/server/pagine.h"
#include "qod/server/stampa.h"

using namespace qod;
namespace fs = std::filesystem;

namespace {

class Senza_Ping : public Ping_Stampante {
 public:
  std::optional<Risultato_Ping> Ping(const std::string&) override {
    return Risultato_Ping{"   OK : completato in 0ms.", 0, false};
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int pagine = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  const int giri = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);

  stampa::prova::Cups_Privato cups;
  if (!cups.Avviato() || !cups.Coda("Bench")) {
    std::fprintf(stderr, "no private CUPS server: %s\n", cups.Errore().c_str());
    return 1;
  }
  const fs::path cartella = cups.Cartella() / "pagine";
  fs::create_directories(cartella);
  const std::string tmps = cartella.string() + "/";
  std::string elenco;
  for (int p = 1; p <= pagine; ++p) {
    const std::string file = File_Immagine(tmps, 1, 1, p, ".TIF");
    if (!bench::Tiff_G4(bench::Pagina_Testo(static_cast<unsigned>(p)), file)) {
      std::fprintf(stderr, "cannot write %s\n", file.c_str());
      return 1;
    }
    elenco += " '" + file + "'";
  }
  const fs::path pdf = cups.Cartella() / "pagine.pdf";
  if (prova::Esegui("img2pdf -o '" + pdf.string() + "'" + elenco + " 2>&1") != 0) {
    std::fprintf(stderr, "img2pdf failed\n");
    return 1;
  }

  Attributi_Spool a;
  a.Stampante = "Bench";
  a.Copie = 1;
  a.Prima_Pagina = 1;
  a.Modo_Scala = "A";
  a.Orientamento = "V";
  a.Centra_Orizzontale = a.Centra_Verticale = "S";
  a.Controllo_Stato = "N";
  stampa::Dispositivo_Cups dispositivo;
  Senza_Ping ping;
  Pannello quadro;
  const Lavoro_Stampa lavoro{a, pagine, 1, ".TIF", tmps, 1, 0};
  Servizi_Stampa servizi{dispositivo, ping, quadro, {}, {}, {}, 0};

  bench::Serie stadio, lp, img2pdf_lp;
  bool bene = true;
  for (int g = 0; g < giri && bene; ++g) {
    auto col_stadio = [&] {
      stadio.Aggiungi(pagine / (bench::Cronometra_Ms([&] { bene = bene && Spool_Stampa(lavoro, servizi); }) / 1000));
    };
    auto col_lp = [&] {
      lp.Aggiungi(pagine / (bench::Cronometra_Ms([&] {
                              bene = bene && cups.Comando("lp -d Bench '" + pdf.string() + "' >/dev/null") == 0;
                            }) /
                            1000));
    };
    auto col_img2pdf_lp = [&] {
      const fs::path nuovo = cups.Cartella() / "pagine_giro.pdf";
      img2pdf_lp.Aggiungi(pagine / (bench::Cronometra_Ms([&] {
                                      bene = bene &&
                                             prova::Esegui("img2pdf -o '" + nuovo.string() + "'" + elenco + " 2>&1") == 0 &&
                                             cups.Comando("lp -d Bench '" + nuovo.string() + "' >/dev/null") == 0;
                                    }) /
                                    1000));
    };
    const std::function<void()> contendenti[] = {col_stadio, col_lp, col_img2pdf_lp};
    for (int k = 0; k < 3; ++k) {
      contendenti[(g + k) % 3]();
      cups.Attendi_Coda_Vuota("Bench");
    }
    cups.Attendi_Coda_Vuota("Bench");
  }
  if (!bene) {
    std::fprintf(stderr, "a job failed: %s\n", quadro.Valore(Pannello::Riga_Stato).c_str());
    return 1;
  }
  std::printf("%d G4 pages of 1728 x 2292, %d rounds, pages per second: median (lowest - highest)\n", pagine, giri);
  std::printf("  print stage to CUPS     %s\n", stadio.Testo("%.1f").c_str());
  std::printf("  lp of the img2pdf PDF   %s\n", lp.Testo("%.1f").c_str());
  std::printf("  img2pdf, then lp        %s\n", img2pdf_lp.Testo("%.1f").c_str());
  std::printf("  ratio stage / lp        %s\n", bench::Rapporto(stadio, lp).Testo("%.3f").c_str());
  std::printf("  ratio stage / img2pdf+lp %s\n", bench::Rapporto(stadio, img2pdf_lp).Testo("%.3f").c_str());
  return 0;
}
