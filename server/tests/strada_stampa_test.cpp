// The print stage on the whole road: the stand-in host's spool files, the
// real page image generator, and a private CUPS server whose queues copy
// every job into a folder. The printed pages, rasterised, must show the page
// images where the scale mode puts them; G4 page images reach the printer
// with their own bytes; a printer busy with a job takes the next spool
// file's job; queues that cannot print refuse.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QWidget>

#include <filesystem>

#include "qod/ansi.h"
#include "qod/host_simulato.h"
#include "qod/imagegen/qod_img.h"
#include "qod/imaging/file.h"
#include "qod/pdf/immagini.h"
#include "qod/printing/confronto.h"
#include "qod/printing/cups.h"
#include "qod/printing/cups_privato.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"
#include "qod/server/stampa.h"
#include "qod/imagegen/striscia_font.h"
#include "strada_simulata.h"
#include "strada_test.h"

using namespace qod;
using namespace qod::test;
using qod::prova::Host_Simulato;
namespace fs = std::filesystem;

namespace {

// Pages of 1728 x 2292 pixels at 200 dpi in black and white TIFF, a text grid.
const char* kAttributi =
    "formato = STAMPA\nutente = CONTAB\nstampa = S\n"
    "tipo_immagine = 1\nout_width = 1728\nout_height = 2292\nout_resx = 200\nout_resy = 200\n"
    "out_zoomx = 100\nout_zoomy = 100\ntxt_cols = 80\ntxt_rows = 66\ntxt_left = 64\ntxt_top = 80\n"
    "txt_col_dim = 20\ntxt_row_dim = 32\ntxt_orie = 1\nfnt_file = COUR20.BMP\n"
    "sfondo_r = 255\nsfondo_g = 255\nsfondo_b = 255\n"
    "orientamento = V\nmodo_scala = O\ncentra_orizzontale = S\ncentra_verticale = S\n";

std::string Pagine(int n) {
  std::string d;
  for (int p = 1; p <= n; ++p) {
    d += "PAGINA " + std::to_string(p) + " DI " + std::to_string(n) + "\n";
    for (int r = 0; r < p * 3; ++r) d += "RIGA " + std::to_string(r) + " XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX\n";
    d += "<FF>";
  }
  return d;
}

class Strada_Stampa : public prova::Prova_Qt {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cups_.Avviato()) << cups_.Errore();
  }

  void Spool(const std::string& nome, const std::string& attributi, int pagine) {
    s_.Spool(nome, std::string(kAttributi) + attributi, "", Pagine(pagine));
  }

  void Avvia(int max_blocco) {
    ASSERT_TRUE(s_.Avvia());
    base_.Generale.Max_Pagine_Blocco = max_blocco;
    std::string errore;
    ASSERT_TRUE(Scrivi_Striscia_Font(base_.Percorso_Fnt + "cour20.bmp", Opzioni_Striscia{}, &errore))
        << errore;
    fasi_.Immagini = &generatore_;
    fase_.Finestra = [this] { return static_cast<int64_t>(principale_.winId()); };
    fasi_.Stampa = &fase_;
    fasi_.Ping = &ping_;
    ASSERT_TRUE(s_.Collega(fasi_));
    pannello_.Interruttore_Imposta(Pannello::Riga_Stampa, true);
  }

  std::string Esito_Host(const std::string& nome) const { return s_.Esito_Host(nome); }
  std::string Stato() const { return pannello_.Valore(Pannello::Riga_Stato); }
  int Pagine_Pdf(const fs::path& pdf) const {
    const std::string info = prova::Comando("pdfinfo '" + pdf.string() + "'");
    const auto p = info.find("Pages:");
    return p == std::string::npos ? -1 : std::stoi(info.substr(p + 6));
  }

  stampa::prova::Cups_Privato cups_;
  Strada_Simulata s_;
  const Cartella_Prova& dir_ = s_.dir;
  Server_Base& base_ = s_.base;
  Pannello& pannello_ = s_.pannello;
  std::unique_ptr<Spool_Server>& server_ = s_.server;
  Qod_IMG img_;
  Generatore_Qod_IMG<Qod_IMG> generatore_{img_};
  stampa::Dispositivo_Cups dispositivo_;
  Ping_Finto ping_;
  Fase_Stampa fase_{dispositivo_, ping_, {base_, pannello_, {}}};
  QWidget principale_;  // the program's main window, never shown
  Fasi_Spool fasi_;
};

TEST_F(Strada_Stampa, FivePagesInJobsOfTwoPlacedAsTheModeSays) {
  ASSERT_TRUE(cups_.Coda("Laser")) << cups_.Errore();
  Spool("0001", "stampante_1 = laser\n", 5);
  Avvia(2);
  ASSERT_TRUE(server_->Spool_Get()) << File_Leggi(base_.File_LOG);
  EXPECT_FALSE(server_->Stato().Errore_Spool) << Stato();
  EXPECT_EQ(Stato(), "Ok");
  EXPECT_EQ(Esito_Host("0001").find("*ERR"), std::string::npos) << Esito_Host("0001");
  EXPECT_EQ(pannello_.Valore(Pannello::Riga_Stampa), " 5 / 5");
  // The printer's log line names the main window by its id.
  const int64_t finestra = static_cast<int64_t>(principale_.winId());
  EXPECT_NE(finestra, 0);
  EXPECT_NE(File_Leggi(base_.File_LOG)
                .find("[Stampante Imposta] hWnd=" + std::to_string(finestra) + " hPrintDC=1 Stampante=laser Verticale=Vero"),
            std::string::npos)
      << File_Leggi(base_.File_LOG);
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Laser"));

  const auto pdf = cups_.Pdf("Laser");
  ASSERT_EQ(pdf.size(), 3u);
  const int attese[] = {2, 2, 1};
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(Pagine_Pdf(pdf[i]), attese[i]) << pdf[i];

  // Each page at 600 dpi against its page image, scaled to the width and
  // centred: 11904 / 12442 across, the same down.
  Attributi_Spool a = server_->Stato().Attributi;
  double h = 0, v = 0;
  const stampa::Rettangolo r = Destinazione_Immagine(a, 11904, 16836, 1728, 2292, 200, 200, h, v);
  EXPECT_EQ(r, (stampa::Rettangolo{0, 524, 11904, 16312}));
  const double k = 600.0 / 1440.0;
  const stampa::prova::Rettangolo_Pixel px{r.sinistra * k, r.alto * k, r.destra * k, r.basso * k};
  const fs::path uscita = fs::current_path() / "pagine_stampate";
  fs::create_directories(uscita);
  int pagina = 0;
  for (size_t i = 0; i < pdf.size(); ++i) {
    const std::string prefisso = (uscita / ("lavoro" + std::to_string(i + 1))).string();
    ASSERT_EQ(prova::Esegui("pdftoppm -r 600 -mono -png '" + pdf[i].string() + "' '" + prefisso + "'"), 0);
    for (int p = 1; p <= attese[i]; ++p) {
      ++pagina;
      img::Immagine resa, immagine;
      ASSERT_TRUE(img::Carica(prefisso + "-" + std::to_string(p) + ".png", resa).ok);
      ASSERT_TRUE(img::Carica(File_Immagine(base_.Percorso_Tmp, 1, 1, pagina, ".TIF"), immagine).ok);
      const auto e = stampa::prova::Confronta_Pagina(resa, immagine, px);
      EXPECT_TRUE(e.Buono()) << "page " << pagina << ": " << e.Testo();
    }
  }
  EXPECT_EQ(pagina, 5);
}

TEST_F(Strada_Stampa, G4PageImagesReachThePrinterWithTheirOwnBytes) {
  ASSERT_TRUE(cups_.Coda("Laser")) << cups_.Errore();
  Spool("0001", "stampante_1 = laser\ntipo_immagine = A\nout_resx = 204\nout_resy = 196\n", 3);
  Avvia(0);
  ASSERT_TRUE(server_->Spool_Get()) << File_Leggi(base_.File_LOG);
  EXPECT_FALSE(server_->Stato().Errore_Spool) << Stato();
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Laser"));
  const auto pdf = cups_.Pdf("Laser");
  ASSERT_EQ(pdf.size(), 1u);
  EXPECT_EQ(prova::Esegui("qpdf --check '" + pdf[0].string() + "' >/dev/null"), 0);
  const std::string dati = File_Leggi(pdf[0]);
  for (int p = 1; p <= 3; ++p) {
    // A G4 page file made by the generator: one strip, its data whole in the job.
    const std::string file = File_Immagine(base_.Percorso_Tmp, 1, 1, p, ".TIF");
    const std::string pagina = File_Leggi(file);
    ASSERT_EQ(pagina.substr(0, 4), std::string("II*\0", 4)) << file;
    const auto intestazione = pdf::Tiff_Senza_Decodifica(file);
    ASSERT_TRUE(intestazione) << file;
    const std::string tiffinfo = prova::Comando("tiffinfo -s '" + file + "'");
    ASSERT_NE(tiffinfo.find("CCITT Group 4"), std::string::npos) << tiffinfo;
    const auto riga = tiffinfo.find("    0: [");
    ASSERT_NE(riga, std::string::npos) << tiffinfo;
    const size_t offset = std::stoul(tiffinfo.substr(riga + 8));
    const size_t byte = std::stoul(tiffinfo.substr(tiffinfo.find(',', riga) + 1));
    EXPECT_NE(dati.find(pagina.substr(offset, byte)), std::string::npos) << "page " << p;
  }
  EXPECT_EQ(Pagine_Pdf(pdf[0]), 3);
}

TEST_F(Strada_Stampa, TwoSpoolFilesBackToBackOnABusyPrinter) {
  // A slow printer: its first job stays printing until it is released, and
  // the second spool file comes while it does.
  ASSERT_TRUE(cups_.Coda("Lenta", "", 20000)) << cups_.Errore();
  Spool("0001", "stampante_1 = lenta\n", 2);
  Spool("0002", "stampante_1 = lenta\n", 3);
  Avvia(0);
  ASSERT_TRUE(server_->Spool_Get()) << File_Leggi(base_.File_LOG);
  EXPECT_FALSE(server_->Stato().Errore_Spool) << Stato();
  ASSERT_TRUE(cups_.Attendi_Stato("Lenta", 4)) << cups_.Stato("Lenta");
  ASSERT_TRUE(server_->Spool_Get()) << File_Leggi(base_.File_LOG);
  EXPECT_FALSE(server_->Stato().Errore_Spool) << Stato();
  EXPECT_EQ(Stato(), "Ok");
  EXPECT_EQ(cups_.Stato("Lenta"), 4);  // the first job still printing
  for (const char* spool : {"0001", "0002"}) {
    EXPECT_FALSE(Esito_Host(spool).empty()) << spool;
    EXPECT_EQ(Esito_Host(spool).find("*ERR"), std::string::npos) << spool << ": " << Esito_Host(spool);
  }
  ASSERT_TRUE(cups_.Rilascia("Lenta"));
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Lenta"));
  const auto pdf = cups_.Pdf("Lenta");
  ASSERT_EQ(pdf.size(), 2u);
  EXPECT_EQ(Pagine_Pdf(pdf[0]), 2);
  EXPECT_EQ(Pagine_Pdf(pdf[1]), 3);
}

namespace {

// A later stage during which the stop request comes.
class Fase_Arresto : public Fase_Uscita {
 public:
  explicit Fase_Arresto(bool& chiesto) : chiesto_(chiesto) {}
  bool Esegui(const Stato_Spool&, const Strada_Fase&) override {
    chiesto_ = true;
    return true;
  }

 private:
  bool& chiesto_;
};

}  // namespace

// A stop request abandons the spool file without its done record, and no
// job of it stays in CUPS: the job being drawn is cancelled before any of
// it is sent, and a job CUPS took whole but has not printed yet (a slow
// printer holds it) is cancelled too, also when the stop comes in a later
// stage. Nothing reaches the printer.
TEST_F(Strada_Stampa, StopRequestLeavesNoJobOfTheSpoolFileInTheQueue) {
  ASSERT_TRUE(cups_.Coda("Lenta", "", 60000)) << cups_.Errore();
  bool chiesto = false;
  Fase_Arresto arresto(chiesto);
  fasi_.Archivia = &arresto;
  const struct {
    const char* spool;
    const char* attributi;
    int pagine;
    const char* stampate;  // the print row when the stop comes; "" in the later stage
  } casi[] = {
      {"0001", "", 6, " 3 / 6"},
      {"0002", "archivia = S\n", 2, ""},
  };
  for (const auto& c : casi) Spool(c.spool, std::string("stampante_1 = lenta\n") + c.attributi, c.pagine);
  Avvia(2);
  pannello_.Interruttore_Imposta(Pannello::Riga_Archivia, true);
  for (const auto& c : casi) {
    chiesto = false;
    const std::string stampate = c.stampate;
    auto stop = [&] {
      if (!stampate.empty() && pannello_.Valore(Pannello::Riga_Stampa) == stampate) chiesto = true;
      return chiesto;
    };
    server_->Arresto_Imposta(stop);
    s_.trasporto.Imposta_Interruzione(stop);
    EXPECT_FALSE(server_->Spool_Get()) << c.spool << File_Leggi(base_.File_LOG);
    EXPECT_TRUE(server_->Abbandonato()) << c.spool;
    EXPECT_EQ(Esito_Host(c.spool), "") << c.spool;
    EXPECT_TRUE(cups_.Attendi_Coda_Vuota("Lenta")) << c.spool;
    std::string lavori;
    cups_.Comando("lpstat -o", &lavori);
    EXPECT_EQ(lavori.find_first_not_of(" \n"), std::string::npos) << c.spool << ": " << lavori;
    // The spool file stays in the host's queue; the next one is taken next.
    ASSERT_TRUE(fs::exists(s_.coda / c.spool)) << c.spool;
    fs::remove_all(s_.coda / c.spool);
  }
  const std::string log = File_Leggi(base_.File_LOG);
  EXPECT_EQ(log.find("Errore"), std::string::npos) << log;
  ASSERT_TRUE(cups_.Rilascia("Lenta"));
  EXPECT_TRUE(cups_.Pdf("Lenta").empty());
}

TEST_F(Strada_Stampa, QueuesThatCannotPrint) {
  ASSERT_TRUE(cups_.Coda("Ferma")) << cups_.Errore();
  ASSERT_TRUE(cups_.Coda("Rifiuta")) << cups_.Errore();
  ASSERT_EQ(cups_.Comando("cupsdisable Ferma"), 0);
  ASSERT_EQ(cups_.Comando("cupsreject Rifiuta"), 0);
  const struct {
    const char* spool;
    const char* stampante;
    const char* messaggio;  // UTF-8
  } casi[] = {
      {"0001", "Ferma", "La stampante è in pausa"},
      {"0002", "Rifiuta", "La stampante è fuori linea"},
      {"0003", "Nessuna", "La stampante non è possibile contattarla"},
  };
  for (const auto& c : casi) Spool(c.spool, std::string("stampante_1 = ") + c.stampante + "\n", 2);
  Avvia(0);
  for (const auto& c : casi) {
    ASSERT_TRUE(server_->Spool_Get()) << c.spool << File_Leggi(base_.File_LOG);
    EXPECT_TRUE(server_->Stato().Errore_Spool) << c.spool;
    EXPECT_EQ(Stato(), A(c.messaggio)) << c.spool;
    EXPECT_NE(Esito_Host(c.spool).find("*ERR"), std::string::npos) << c.spool;
    // The page images stay where they are.
    EXPECT_TRUE(fs::exists(File_Immagine(base_.Percorso_Tmp, 1, 1, 1, ".TIF"))) << c.spool;
    EXPECT_TRUE(fs::exists(File_Immagine(base_.Percorso_Tmp, 1, 1, 2, ".TIF"))) << c.spool;
  }
  EXPECT_TRUE(cups_.Pdf("Ferma").empty());
  EXPECT_TRUE(cups_.Pdf("Rifiuta").empty());
  std::string lavori;
  cups_.Comando("lpstat -o", &lavori);
  EXPECT_EQ(lavori.find_first_not_of(" \n"), std::string::npos) << lavori;
}

}  // namespace
