// The CUPS print device against a private cupsd: queue status (a queue
// busy with a job is ready), a job that arrives as a PDF whose pages show
// the images where they were placed, on a printer with margins too; page
// files whose data goes as it stands arrive with their bytes, and every
// image, rasterised at its own resolution, comes back pixel for pixel.
#include <gtest/gtest.h>
#include <signal.h>
#include <tiffio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "qod/ansi.h"
#include "qod/imaging/file.h"
#include "qod/printing/confronto.h"
#include "qod/printing/cups.h"
#include "qod/printing/cups_privato.h"
#include "qod/prova/processo.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"

using namespace qod::stampa;
using qod::A;
namespace fs = std::filesystem;

namespace {

// A 1-bit page image at 200 dpi: a frame on its edges, bars and a block.
qod::img::Immagine Pagina_Prova(int w, int h) {
  qod::img::Immagine im;
  im.Crea(w, h, 1);
  im.Imposta_Dpi(200, 200);
  auto riempi = [&](int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) im.Imposta_Pixel(x, y, qod::img::Nero);
  };
  riempi(0, 0, w, 12);
  riempi(0, h - 12, w, h);
  riempi(0, 0, 12, h);
  riempi(w - 12, 0, w, h);
  for (int i = 0; i < 12; ++i) riempi(100 + i * 60, 200, 100 + i * 60 + 10 + i * 2, 700);
  riempi(w / 2, h / 2, w / 2 + 300, h / 2 + 150);
  return im;
}

// Prints one page (an image at a place) on the printer: the job's id, 0 when it failed.
int32_t Stampa_Pagina(Dispositivo_Cups& d, const std::string& nome, const qod::img::Immagine& im, const Rettangolo& r) {
  const Contesto dc = d.Crea_DC(nome);
  if (dc == 0) return 0;
  const int32_t lavoro = d.Inizio_Doc(dc, "Quillon");
  const bool bene = lavoro > 0 && d.Inizio_Pagina(dc) > 0 && d.Disegna(dc, im, r) && d.Fine_Pagina(dc) > 0 &&
                    d.Fine_Doc(dc) > 0;
  d.Elimina_DC(dc);
  return bene ? lavoro : 0;
}

// Page `n` of a job rasterised at `dpi` in black and white, kept as `nome`.png.
qod::img::Immagine Pagina_Resa(const fs::path& pdf, int n, int dpi, const std::string& nome) {
  const fs::path uscita = fs::current_path() / "pagine_stampate";
  fs::create_directories(uscita);
  const std::string pagina_n = std::to_string(n);
  EXPECT_EQ(qod::prova::Esegui("pdftoppm -singlefile -r " + std::to_string(dpi) + " -mono -png -f " + pagina_n +
                               " -l " + pagina_n + " " + pdf.string() + " " + (uscita / nome).string()),
            0);
  qod::img::Immagine pagina;
  EXPECT_TRUE(qod::img::Carica(uscita / (nome + ".png"), pagina).ok) << nome;
  return pagina;
}

class CupsPrivato : public qod::prova::Prova_Qt {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cups_.Avviato()) << cups_.Errore();
  }
  prova::Cups_Privato cups_;
};

TEST_F(CupsPrivato, QueueStatus) {
  ASSERT_TRUE(cups_.Coda("Pronta")) << cups_.Errore();
  ASSERT_TRUE(cups_.Coda("Ferma")) << cups_.Errore();
  ASSERT_TRUE(cups_.Coda("Rifiuta")) << cups_.Errore();
  ASSERT_EQ(cups_.Comando("cupsdisable Ferma"), 0);
  ASSERT_EQ(cups_.Comando("cupsreject Rifiuta"), 0);

  Dispositivo_Cups d;
  const auto elenco = d.Elenco();
  EXPECT_EQ(elenco.size(), 3u);
  const struct {
    const char* nome;
    int32_t codice;
    const char* testo;
  } casi[] = {
      {"Pronta", 0, "è in Pronto"},
      {"PRONTA", 0, "è in Pronto"},
      {"\\\\server\\pronta", 0, "è in Pronto"},
      {"Ferma", 1, "è in pausa"},
      {"Rifiuta", 128, "è fuori linea"},
      {"Nessuna", kErrore_Nome_Stampante, "non è possibile contattarla"},
      {"", kErrore_Nome_Stampante, "non è possibile contattarla"},  // no default destination here
  };
  for (const auto& c : casi) {
    std::string testo;
    EXPECT_EQ(Stampante_Stato(d, c.nome, testo), c.codice) << c.nome;
    EXPECT_EQ(testo, A(c.testo)) << c.nome;
  }

  // A queue busy with a job is ready, and takes the next job: CUPS keeps it
  // until the printer is free.
  ASSERT_TRUE(cups_.Coda("Occupata", "", 20000)) << cups_.Errore();
  const auto im = Pagina_Prova(200, 200);
  const int32_t primo = Stampa_Pagina(d, "Occupata", im, {0, 0, 1440, 1440});
  ASSERT_GT(primo, 0);
  ASSERT_TRUE(cups_.Attendi_Stato("Occupata", 4)) << cups_.Stato("Occupata");
  std::string testo;
  EXPECT_EQ(Stampante_Stato(d, "Occupata", testo), 0);
  EXPECT_EQ(testo, A("è in Pronto"));
  const int32_t secondo = Stampa_Pagina(d, "Occupata", im, {0, 0, 1440, 1440});
  EXPECT_GT(secondo, primo);
  EXPECT_EQ(cups_.Stato("Occupata"), 4);  // still held at the first
  ASSERT_TRUE(cups_.Rilascia("Occupata"));
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Occupata"));
  EXPECT_EQ(cups_.Pdf("Occupata").size(), 2u);

  // A queue that refuses jobs gives no job id, and nothing arrives.
  const Contesto dc = d.Crea_DC("Rifiuta");
  ASSERT_NE(dc, 0);
  EXPECT_LE(d.Inizio_Doc(dc, "Quillon"), 0);
  EXPECT_EQ(d.Elimina_DC(dc), 1);
  EXPECT_EQ(d.Crea_DC("Nessuna"), 0);
  EXPECT_TRUE(cups_.Pdf("Rifiuta").empty());
}

TEST_F(CupsPrivato, JobArrivesAsPdfWithTheImagesPlaced) {
  ASSERT_TRUE(cups_.Coda("Laser")) << cups_.Errore();
  Dispositivo_Cups d;
  std::vector<std::string> log;
  const Contesto dc = Stampante_Crea_DC(d, "Laser");
  ASSERT_NE(dc, 0);
  ASSERT_EQ(Stampante_Imposta(d, [&](std::string_view r) { log.emplace_back(r); }, 0, dc, "Laser", true, 2, "N", 600,
                              600, 0),
            0);
  ASSERT_EQ(log.size(), 1u);
  Metriche_Pagina m;
  Metriche_Pagina_Leggi(d, dc, m);
  EXPECT_EQ(m.Dpi_X, 600);
  EXPECT_EQ(m.Larghezza, 4960);  // A4, the whole page printable
  EXPECT_EQ(m.Larghezza_Twips, 11904);

  const auto immagine = Pagina_Prova(1728, 2292);
  // The width fitted (1728 px at 200 dpi are 12442 twips), and a stretch.
  const Rettangolo r1{0, 0, 11904, 15788};
  const Rettangolo r2{1440, 2880, 1440 + 6000, 2880 + 9000};
  const int32_t lavoro = Stampante_Inizio_Doc(d, dc, "Quillon");
  ASSERT_GT(lavoro, 0);
  for (const Rettangolo& r : {r1, r2}) {
    ASSERT_GT(Stampante_Inizio_Pagina(d, dc), 0);
    ASSERT_TRUE(d.Disegna(dc, immagine, r));
    ASSERT_GT(Stampante_Fine_Pagina(d, dc), 0);
  }
  ASSERT_GT(Stampante_Fine_Doc(d, dc), 0);
  Stampante_Elimina_DC(d, dc);
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Laser"));

  const auto pdf = cups_.Pdf("Laser");
  ASSERT_EQ(pdf.size(), 1u);
  EXPECT_EQ(pdf[0].filename(), "job-" + std::to_string(lavoro) + ".pdf");
  const std::string args = qod::prova::File_Leggi(pdf[0].parent_path() / ("job-" + std::to_string(lavoro) + ".args"));
  EXPECT_NE(args.find("copies=2\n"), std::string::npos) << args;
  EXPECT_NE(args.find("title=Quillon\n"), std::string::npos) << args;
  const std::string info = qod::prova::Comando("pdfinfo " + pdf[0].string());
  ASSERT_NE(info.find("Pages:"), std::string::npos) << info;
  EXPECT_EQ(std::stoi(info.substr(info.find("Pages:") + 6)), 2) << info;

  const fs::path uscita = fs::current_path() / "pagine_stampate";
  fs::create_directories(uscita);
  ASSERT_EQ(qod::prova::Esegui("pdftoppm -r 600 -mono -png " + pdf[0].string() + " " + (uscita / "lavoro").string()),
            0);
  int n = 0;
  for (const Rettangolo& r : {r1, r2}) {
    ++n;
    qod::img::Immagine pagina;
    ASSERT_TRUE(qod::img::Carica(uscita / ("lavoro-" + std::to_string(n) + ".png"), pagina).ok);
    const double k = 600.0 / 1440.0;
    const prova::Rettangolo_Pixel atteso{r.sinistra * k, r.alto * k, r.destra * k, r.basso * k};
    const auto e = prova::Confronta_Pagina(pagina, immagine, atteso);
    EXPECT_TRUE(e.Buono()) << "page " << n << ": " << e.Testo();
    const auto area = prova::Area_Scura(pagina);
    EXPECT_NEAR(area.sinistra, atteso.sinistra, 2) << n;
    EXPECT_NEAR(area.destra, atteso.destra, 2) << n;
    EXPECT_NEAR(area.alto, atteso.alto, 2) << n;
    EXPECT_NEAR(area.basso, atteso.basso, 2) << n;
  }
}

TEST_F(CupsPrivato, AbortedJobLeavesNothing) {
  ASSERT_TRUE(cups_.Coda("Laser")) << cups_.Errore();
  Dispositivo_Cups d;
  const Contesto dc = d.Crea_DC("Laser");
  ASSERT_GT(d.Inizio_Doc(dc, "Quillon"), 0);
  ASSERT_GT(d.Inizio_Pagina(dc), 0);
  ASSERT_TRUE(d.Disegna(dc, Pagina_Prova(100, 100), {0, 0, 1440, 1440}));
  EXPECT_EQ(d.Annulla_Doc(dc), 1);
  EXPECT_EQ(d.Fine_Doc(dc), 0);  // nothing open any more

  // A page file gone before it is drawn: the drawing fails, and the job
  // cannot end whole.
  const std::string file = (cups_.Cartella() / "pagina.tif").string();
  ASSERT_TRUE(qod::img::Salva(Pagina_Prova(100, 100), file, {5, false, ""}).ok);
  Immagine_Pagina p;
  ASSERT_TRUE(Immagine_Pagina_Leggi(file, p).ok);
  ASSERT_TRUE(p.Diretta());
  fs::remove(file);
  ASSERT_GT(d.Inizio_Doc(dc, "Quillon"), 0);
  ASSERT_GT(d.Inizio_Pagina(dc), 0);
  ASSERT_TRUE(d.Disegna(dc, Pagina_Prova(100, 100), {0, 0, 1440, 1440}));
  EXPECT_FALSE(d.Disegna_Pagina(dc, p, {0, 0, 1440, 1440}));
  EXPECT_EQ(d.Fine_Pagina(dc), 0);
  EXPECT_EQ(d.Fine_Doc(dc), 0);
  d.Elimina_DC(dc);
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Laser"));
  EXPECT_TRUE(cups_.Pdf("Laser").empty());
  std::string lavori;
  cups_.Comando("lpstat -o Laser", &lavori);
  EXPECT_EQ(lavori.find_first_not_of(" \n"), std::string::npos) << lavori;
}

TEST_F(CupsPrivato, PrinterMarginsGiveTheOffsetsAndThePrintableArea) {
  ASSERT_TRUE(cups_.Coda("Margini", prova::Cups_Privato::Ppd_Margini(), 0)) << cups_.Errore();
  ASSERT_TRUE(cups_.Coda("Laser")) << cups_.Errore();
  const std::string preferenze = (cups_.Cartella() / "Stampanti.INI").string();
  Dispositivo_Cups d(preferenze);
  // A4 is 210 x 297 mm; at 300 dpi 2480 x 3507 pixels, margins 75 left,
  // 150 top, 225 right, 300 bottom.
  const struct {
    const char* caso;
    const char* stampante;
    bool verticale;
    int32_t risoluzione;  // asked by the job, 0 for none
    Capacita attesa;
  } casi[] = {
      {"the queue's resolution", "Margini", true, 0, {300, 300, 75, 150, 2180, 3057, 2480, 3507}},
      {"the job's resolution", "Margini", true, 600, {600, 600, 150, 300, 4360, 6115, 4960, 7015}},
      // A quarter turn: the paper's bottom margin on the left, its left one at the top.
      {"landscape", "Margini", false, 0, {300, 300, 300, 75, 3057, 2180, 3507, 2480}},
      {"no margins, no resolution", "Laser", true, 0, {600, 600, 0, 0, 4960, 7015, 4960, 7015}},
  };
  for (const auto& c : casi) {
    const Contesto dc = d.Crea_DC(c.stampante);
    ASSERT_NE(dc, 0) << c.caso;
    ASSERT_EQ(Stampante_Imposta(d, {}, 0, dc, c.stampante, c.verticale, 1, "", c.risoluzione, c.risoluzione, 0), 0)
        << c.caso;
    const auto k = d.Capacita_DC(dc);
    ASSERT_TRUE(k) << c.caso;
    EXPECT_EQ(k->dpi_x, c.attesa.dpi_x) << c.caso;
    EXPECT_EQ(k->dpi_y, c.attesa.dpi_y) << c.caso;
    EXPECT_EQ(k->offset_x, c.attesa.offset_x) << c.caso;
    EXPECT_EQ(k->offset_y, c.attesa.offset_y) << c.caso;
    EXPECT_EQ(k->larghezza, c.attesa.larghezza) << c.caso;
    EXPECT_EQ(k->altezza, c.attesa.altezza) << c.caso;
    EXPECT_EQ(k->larghezza_fisica, c.attesa.larghezza_fisica) << c.caso;
    EXPECT_EQ(k->altezza_fisica, c.attesa.altezza_fisica) << c.caso;
    d.Elimina_DC(dc);
  }

  // The metrics of the print stage: 2180 pixels at 300 dpi are 10464 twips.
  Contesto dc = d.Crea_DC("Margini");
  ASSERT_EQ(Stampante_Imposta(d, {}, 0, dc, "Margini", true, 1, "", 0, 0, 0), 0);
  Metriche_Pagina m;
  Metriche_Pagina_Leggi(d, dc, m);
  EXPECT_EQ(m.Offset_X, 75);
  EXPECT_EQ(m.Offset_Y, 150);
  EXPECT_EQ(m.Larghezza_Twips, 10464);
  EXPECT_EQ(m.Altezza_Twips, 14674);

  // Drawn from the printable area's corner: on the paper the image lands
  // the offsets further right and down. The whole printable width, and a
  // rectangle of its own.
  const auto immagine = Pagina_Prova(1728, 2292);
  const Rettangolo r1{0, 0, 10464, 13879};
  const Rettangolo r2{1440, 2880, 1440 + 6000, 2880 + 9000};
  ASSERT_GT(Stampante_Inizio_Doc(d, dc, "Quillon"), 0);
  for (const Rettangolo& r : {r1, r2}) {
    ASSERT_GT(Stampante_Inizio_Pagina(d, dc), 0);
    ASSERT_TRUE(d.Disegna(dc, immagine, r));
    ASSERT_GT(Stampante_Fine_Pagina(d, dc), 0);
  }
  ASSERT_GT(Stampante_Fine_Doc(d, dc), 0);
  d.Elimina_DC(dc);
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Margini"));
  const auto pdf = cups_.Pdf("Margini");
  ASSERT_EQ(pdf.size(), 1u);
  int n = 0;
  for (const Rettangolo& r : {r1, r2}) {
    ++n;
    const auto pagina = Pagina_Resa(pdf[0], n, 300, "margini-" + std::to_string(n));
    EXPECT_NEAR(pagina.Larghezza(), 2480, 1) << n;  // the whole paper
    EXPECT_NEAR(pagina.Altezza(), 3508, 1) << n;
    const double k = 300.0 / 1440.0;
    const prova::Rettangolo_Pixel atteso{75 + r.sinistra * k, 150 + r.alto * k, 75 + r.destra * k, 150 + r.basso * k};
    const auto e = prova::Confronta_Pagina(pagina, immagine, atteso);
    EXPECT_TRUE(e.Buono()) << "page " << n << ": " << e.Testo();
    const auto area = prova::Area_Scura(pagina);
    EXPECT_NEAR(area.sinistra, atteso.sinistra, 1.5) << n;
    EXPECT_NEAR(area.destra, atteso.destra, 1.5) << n;
    EXPECT_NEAR(area.alto, atteso.alto, 1.5) << n;
    EXPECT_NEAR(area.basso, atteso.basso, 1.5) << n;
  }

  // The user's own medium brings its own margins: US Letter, 1/2 inch all round.
  ASSERT_EQ(d.Opzioni_Scrivi("Margini", {{"media", "na_letter_8.5x11in"}}), 0);
  dc = d.Crea_DC("Margini");
  const auto k = d.Capacita_DC(dc);
  ASSERT_TRUE(k);
  EXPECT_EQ(k->offset_x, 150);
  EXPECT_EQ(k->offset_y, 150);
  EXPECT_EQ(k->larghezza, 2250);
  EXPECT_EQ(k->altezza, 3000);
  EXPECT_EQ(k->larghezza_fisica, 2550);
  d.Elimina_DC(dc);
}

// The first strip of a TIFF as the file holds it.
std::string Strip_Grezza(const std::string& file) {
  TIFF* t = TIFFOpen(file.c_str(), "r");
  if (!t) return {};
  std::string dati(static_cast<size_t>(TIFFRawStripSize(t, 0)), '\0');
  if (TIFFReadRawStrip(t, 0, dati.data(), static_cast<tmsize_t>(dati.size())) < 0) dati.clear();
  TIFFClose(t);
  return dati;
}

TEST_F(CupsPrivato, ImagesArriveWithTheirBytesOrLosslessAndPrintPixelForPixel) {
  ASSERT_TRUE(cups_.Coda("Laser")) << cups_.Errore();
  ASSERT_TRUE(cups_.Coda("Margini", prova::Cups_Privato::Ppd_Margini(), 0)) << cups_.Errore();
  // 7 x 10 inches at 288 dpi: rasterised at 288 dpi, A4's 842 points are
  // 3368 whole pixels and every image pixel is one page pixel. Scattered
  // dots and bars show any bit, row or placement out of place.
  qod::img::Immagine bn;
  ASSERT_TRUE(bn.Crea(2016, 2880, 1));
  bn.Imposta_Dpi(288, 288);
  std::mt19937 g(5);
  for (int i = 0; i < 30000; ++i) bn.Imposta_Pixel(static_cast<int>(g() % 2016), static_cast<int>(g() % 2880), qod::img::Nero);
  for (int y = 100; y < 2800; y += 97) bn.Riempi(40, y, 1900, 1 + y % 4, qod::img::Nero);
  qod::img::Immagine colore;
  ASSERT_TRUE(colore.Crea(2016, 2880, 24));
  colore.Imposta_Dpi(288, 288);
  for (int y = 0; y < 2880; y += 8)
    for (int x = 0; x < 2016; x += 8)
      colore.Riempi(x, y, 8, 8, {static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y * 3), static_cast<uint8_t>(x ^ y)});
  const fs::path cartella = cups_.Cartella() / "pagine";
  fs::create_directories(cartella);
  const std::string g4 = (cartella / "g4.tif").string(), g4_inversa = (cartella / "g4_inversa.tif").string();
  ASSERT_TRUE(qod::img::Salva(bn, g4, {5, false, ""}).ok);
  ASSERT_TRUE(qod::img::Salva(bn, g4_inversa, {5, false, "TIFF_FILLORDER = 2"}).ok);

  const struct {
    const char* caso;
    const char* coda;
    int x, y;  // the printable area's corner at 288 dpi
    std::string file;  // drawn from its file; else the image decoded
    const qod::img::Immagine* immagine;
    const char* filtro;
  } casi[] = {
      {"G4 as it stands", "Laser", 0, 0, g4, &bn, "/CCITTFaxDecode"},
      {"G4 with its bits from the low end", "Margini", 72, 144, g4_inversa, &bn, "/CCITTFaxDecode"},
      {"decoded black and white", "Margini", 72, 144, "", &bn, "/FlateDecode"},
      {"decoded colour", "Laser", 0, 0, "", &colore, "/FlateDecode"},
  };
  Dispositivo_Cups d;
  for (const auto& c : casi) {
    const Contesto dc = d.Crea_DC(c.coda);
    ASSERT_NE(dc, 0) << c.caso;
    ASSERT_GT(d.Inizio_Doc(dc, "Quillon"), 0) << c.caso;
    ASSERT_GT(d.Inizio_Pagina(dc), 0) << c.caso;
    const Rettangolo r{0, 0, 10080, 14400};  // the image's own size
    if (c.file.empty()) {
      ASSERT_TRUE(d.Disegna(dc, *c.immagine, r)) << c.caso;
    } else {
      Immagine_Pagina p;
      ASSERT_TRUE(Immagine_Pagina_Leggi(c.file, p).ok) << c.caso;
      ASSERT_TRUE(p.Diretta()) << c.caso;
      ASSERT_TRUE(d.Disegna_Pagina(dc, p, r)) << c.caso;
    }
    ASSERT_GT(d.Fine_Pagina(dc), 0) << c.caso;
    ASSERT_GT(d.Fine_Doc(dc), 0) << c.caso;
    d.Elimina_DC(dc);
    ASSERT_TRUE(cups_.Attendi_Coda_Vuota(c.coda));
    const fs::path pdf = cups_.Pdf(c.coda).back();
    EXPECT_EQ(qod::prova::Esegui("qpdf --check '" + pdf.string() + "' >/dev/null"), 0) << c.caso;
    const std::string dati = qod::prova::File_Leggi(pdf);
    EXPECT_NE(dati.find(c.filtro), std::string::npos) << c.caso;
    if (c.file == g4) {
      const std::string strip = Strip_Grezza(g4);
      ASSERT_GT(strip.size(), 1000u);
      EXPECT_NE(dati.find(strip), std::string::npos) << c.caso << ": the page file's data is not in the job";
    }

    const fs::path uscita = fs::current_path() / "pagine_stampate";
    fs::create_directories(uscita);
    const std::string png = (uscita / ("pixel-" + std::to_string(&c - casi))).string();
    ASSERT_EQ(qod::prova::Esegui("pdftocairo -r 288 -singlefile -png " + std::string(c.immagine->Bit() == 1 ? "-gray " : "") +
                                 "'" + pdf.string() + "' '" + png + "'"),
              0);
    qod::img::Immagine pagina;
    ASSERT_TRUE(qod::img::Carica(png + ".png", pagina).ok) << c.caso;
    ASSERT_EQ(pagina.Larghezza(), 2380) << c.caso;
    ASSERT_EQ(pagina.Altezza(), 3368) << c.caso;
    long diversi = 0;
    for (int y = 0; y < pagina.Altezza(); ++y)
      for (int x = 0; x < pagina.Larghezza(); ++x) {
        const int ix = x - c.x, iy = y - c.y;
        const bool dentro = ix >= 0 && iy >= 0 && ix < 2016 && iy < 2880;
        const qod::img::Colore atteso = dentro ? c.immagine->Pixel(ix, iy) : qod::img::Bianco;
        diversi += !(pagina.Pixel(x, y) == atteso);
      }
    EXPECT_EQ(diversi, 0) << c.caso;
  }
}

bool Attendi_Che(const std::function<bool()>& c, int limite_ms) {
  const auto fine = std::chrono::steady_clock::now() + std::chrono::milliseconds(limite_ms);
  while (!c()) {
    if (std::chrono::steady_clock::now() > fine) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The jobs of a queue as the script lists them: a job printed, and one held
// because its backend cannot run.
TEST_F(CupsPrivato, ListsEachJobWithItsStateAndTitle) {
  ASSERT_TRUE(cups_.Coda("Buona")) << cups_.Errore();
  ASSERT_TRUE(cups_.Coda("Rotta")) << cups_.Errore();
  const fs::path file = cups_.Cartella() / "lavoro.txt";
  ASSERT_TRUE(qod::prova::File_Scrivi(file, "prova\n"));
  ASSERT_EQ(cups_.Comando("lp -d Buona -t Primo '" + file.string() + "'"), 0);
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Buona"));
  ASSERT_EQ(::chmod((cups_.Cartella() / "bin" / "backend").c_str(), 0700), 0);
  ASSERT_EQ(cups_.Comando("lp -d Rotta -t 'Secondo lavoro' '" + file.string() + "'"), 0);
  auto lavori = [&](const std::string& coda) {
    std::string uscita;
    EXPECT_EQ(cups_.Comando(prova::Cups_Privato::Script() + " jobs '" + cups_.Cartella().string() + "' " + coda,
                            &uscita),
              0)
        << uscita;
    return uscita;
  };
  EXPECT_TRUE(Attendi_Che([&] { return lavori("Rotta").find("\theld\t") != std::string::npos; }, 20000))
      << lavori("Rotta");
  const struct {
    const char* coda;
    const char* stato;
    const char* titolo;
  } casi[] = {{"Buona", "completed", "Primo"}, {"Rotta", "held", "Secondo lavoro"}};
  for (const auto& c : casi) {
    const std::string riga = lavori(c.coda);
    ASSERT_EQ(std::count(riga.begin(), riga.end(), '\n'), 1) << riga;
    std::vector<std::string> campi;
    std::string campo;
    for (char ch : riga.substr(0, riga.size() - 1)) {
      if (ch == '\t') {
        campi.push_back(campo);
        campo.clear();
      } else {
        campo += ch;
      }
    }
    campi.push_back(campo);
    ASSERT_EQ(campi.size(), 5u) << riga;
    EXPECT_GT(std::atoi(campi[0].c_str()), 0) << riga;
    EXPECT_EQ(campi[1], c.stato) << riga;
    EXPECT_EQ(campi[4], c.titolo) << riga;
  }
  EXPECT_TRUE(lavori("Nessuna").empty());
}

// A folder the user lp cannot reach is refused at once, with the folder that
// stops lp and the way out, before anything is made there: cupsd would
// otherwise start and hold every job, its backend out of reach.
TEST(CupsPrivatoCartella, RefusesAFolderTheUserLpCannotReach) {
  char modello[] = "/tmp/qod-chiusa-XXXXXX";
  ASSERT_NE(::mkdtemp(modello), nullptr);
  const fs::path chiusa = modello;  // mode 0700, as a home folder
  const fs::path aperta = chiusa.string() + "-aperta";
  ASSERT_TRUE(fs::create_directory(aperta));
  ASSERT_EQ(::chmod(aperta.c_str(), 0755), 0);
  const struct {
    const char* comando;
    fs::path cartella;
    const char* umask;
    fs::path ferma;  // the folder named
    fs::path mai_fatta;
  } casi[] = {
      {"prepare", chiusa / "cups", "022", chiusa, chiusa / "cups"},
      {"start", chiusa / "a" / "b" / "cups", "022", chiusa, chiusa / "a"},
      // The folders mkdir makes on the way, closed by a strict umask.
      {"prepare", aperta / "a" / "cups", "077", aperta / "a", {}},
  };
  for (const auto& c : casi) {
    const auto r = qod::prova::Esegui(
        {"sh", "-c", std::string("umask ") + c.umask + " && exec \"$0\" \"$@\"", prova::Cups_Privato::Script(),
         c.comando, c.cartella.string()});
    EXPECT_EQ(r.rc, 3) << c.cartella << r.err;
    EXPECT_NE(r.err.find("the user lp cannot enter " + c.ferma.string() + " (drwx------)"), std::string::npos)
        << c.cartella << r.err;
    EXPECT_NE(r.err.find("chmod o+x " + c.ferma.string()), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    if (!c.mai_fatta.empty()) {
      EXPECT_FALSE(fs::exists(c.mai_fatta)) << c.mai_fatta;
    }
    qod::prova::Esegui({prova::Cups_Privato::Script(), "stop", c.cartella.string()});  // one started all the same
  }
  std::error_code ec;
  fs::remove_all(chiusa, ec);
  fs::remove_all(aperta, ec);
}

// A stand-in for a test process starts the private server and a job that
// hangs in its backend (the file it copies into is a pipe nobody reads),
// and is then killed as CTest kills a test at its time limit: cupsd and
// the job go with it.
TEST(CupsPrivatoFine, EndsWithTheTestProcessAndSoDoItsJobs) {
  const std::string cartella = qod::prova::Prova_Uccisa([&] {
    static prova::Cups_Privato cups;
    const std::string c = cups.Cartella().string();
    const fs::path bloccato = cups.Lavori("Lenta") / ".job-1.part";
    const fs::path file = cups.Cartella() / "lavoro.txt";
    const bool pronto =
        cups.Avviato() && cups.Coda("Lenta") && ::mkfifo(bloccato.c_str(), 0666) == 0 &&
        ::chmod(bloccato.c_str(), 0666) == 0 && qod::prova::File_Scrivi(file, "prova\n") &&
        cups.Comando("lp -d Lenta '" + file.string() + "'") == 0 &&
        Attendi_Che([&] { return !qod::prova::Processi_Con(c + "/bin/backend/capture").empty(); }, 20000);
    return pronto ? c : std::string();
  });
  ASSERT_FALSE(cartella.empty()) << "the stand-in could not start the server and its job";
  if (!Attendi_Che([&] { return qod::prova::Processi_Con(cartella).empty(); }, 5000)) {
    std::string elenco;
    for (pid_t p : qod::prova::Processi_Con(cartella)) {
      std::string riga = qod::prova::File_Leggi("/proc/" + std::to_string(p) + "/cmdline");
      for (char& ch : riga)
        if (ch == '\0') ch = ' ';
      elenco += "\n  " + std::to_string(p) + ": " + riga;
    }
    ADD_FAILURE() << "processes of " << cartella << " outlived their test process:" << elenco;
  }
  for (pid_t p : qod::prova::Processi_Con(cartella)) ::kill(p, SIGKILL);
  std::error_code ec;
  fs::remove_all(cartella, ec);
}

}  // namespace
