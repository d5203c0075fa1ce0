// Printing a three-page document from the viewer to a private CUPS server:
// each job is rasterised with pdftoppm and the page content located on the
// paper (fit or zoom, centring, margins in millimetres, a printer's own
// margins), the pages counted in their order (copies, collation); a paused,
// rejecting or unknown queue gives the message and no job, a busy one takes
// the job; the printer properties dialog keeps the user's choices for the
// queue and the next print carries them. Screenshots of the print dialog
// and of the properties dialog are kept under the build folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>

#include "qod/ansi.h"
#include "qod/imaging/file.h"
#include "qod/printing/confronto.h"
#include "qod/printing/cups.h"
#include "qod/printing/cups_privato.h"
#include "qod/prova/finti.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"
#include "qod/viewer/frm_stampa.h"
#include "qod/viewer/proprieta_stampante.h"

using namespace qod;
using namespace qod::imv;
namespace fs = std::filesystem;

namespace {

// Page n of the fixture: 600 x 800 pixels at 100 dpi (6 x 8 inches), a
// frame along its edges and a block at a place of its own near the top.
constexpr int kLarghezza = 600, kAltezza = 800;
int Blocco_X(int n) { return 60 + (n - 1) * 180; }
constexpr int kBlocco_Y = 60, kBlocco = 80;

void Pagina(const fs::path& file, int n) {
  img::Immagine im;
  ASSERT_TRUE(im.Crea(kLarghezza, kAltezza, 1));
  auto riempi = [&](int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) im.Imposta_Pixel(x, y, img::Nero);
  };
  riempi(0, 0, kLarghezza, 8);
  riempi(0, kAltezza - 8, kLarghezza, kAltezza);
  riempi(0, 0, 8, kAltezza);
  riempi(kLarghezza - 8, 0, kLarghezza, kAltezza);
  riempi(Blocco_X(n), kBlocco_Y, Blocco_X(n) + kBlocco, kBlocco_Y + kBlocco);
  im.Imposta_Dpi(100, 100);
  ASSERT_TRUE(img::Salva(im, file, {4, false, ""}));
}

constexpr int kDpi_Raster = 100;

// A page of a job as pdftoppm draws it: where the content lies (in
// millimetres from the paper's corner) and which page of the document it is.
struct Pagina_Stampata {
  double sinistra, alto, destra, basso;  // mm
  double larghezza_carta, altezza_carta; // mm
  int numero;                            // 0 when no block is where one should be
};

std::vector<Pagina_Stampata> Rasterizza(const fs::path& pdf, const fs::path& uscita) {
  std::vector<Pagina_Stampata> r;
  fs::create_directories(uscita);
  const std::string prefisso = (uscita / pdf.stem()).string();
  EXPECT_EQ(prova::Esegui("pdftoppm -r " + std::to_string(kDpi_Raster) + " -mono -png " + pdf.string() + " " +
                          prefisso),
            0);
  const double mm = 25.4 / kDpi_Raster;
  for (const auto& nome : prova::Nomi(uscita)) {
    if (nome.rfind(pdf.stem().string() + "-", 0) != 0) continue;
    img::Immagine p;
    EXPECT_TRUE(img::Carica(uscita / nome, p).ok) << nome;
    const auto a = stampa::prova::Area_Scura(p);
    Pagina_Stampata s{a.sinistra * mm, a.alto * mm, a.destra * mm, a.basso * mm, p.Larghezza() * mm,
                      p.Altezza() * mm, 0};
    // The block's centre, carried from the image onto the area found.
    const double kx = (a.destra - a.sinistra) / kLarghezza, ky = (a.basso - a.alto) / kAltezza;
    for (int n = 1; n <= 3; ++n) {
      const int x = static_cast<int>(a.sinistra + (Blocco_X(n) + kBlocco / 2) * kx);
      const int y = static_cast<int>(a.alto + (kBlocco_Y + kBlocco / 2) * ky);
      if (x >= 0 && y >= 0 && x < p.Larghezza() && y < p.Altezza() && p.Pixel(x, y) == img::Nero) s.numero = n;
    }
    r.push_back(s);
  }
  return r;
}

std::string Argomenti(const fs::path& pdf) {
  return prova::File_Leggi(pdf.parent_path() / (pdf.stem().string() + ".args"));
}

class StampaCups : public prova::Prova_Qt {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cups_.Avviato()) << cups_.Errore();
    for (int p = 1; p <= 3; ++p) Pagina(dir_.Dir() / ("DOC_00" + std::to_string(p) + ".TIF"), p);
    ini_ = dir_ / "Qod_C.INI";
  }
  std::string Documento() const { return dir_ / "DOC_001.TIF"; }

  prova::Cartella_Prova dir_{"imv_stampa_cups"};
  stampa::prova::Cups_Privato cups_;
  std::string ini_;
  stampa::Dispositivo_Cups dispositivo_{dir_ / "config/Quillon/Stampanti.INI"};
  RecordingMessageSink messaggi_;
  Stampa_Visore stampa_{Servizi_Stampa{&dispositivo_, &messaggi_, [] { QApplication::processEvents(); },
                                       [this](QWidget* w, const std::string& nome) {
                                         return Stampante_Proprieta(w, nome, dispositivo_);
                                       }}};
};

TEST_F(StampaCups, CopiesCollationAndPlacementOnThePaper) {
  ASSERT_TRUE(cups_.Coda("Laser")) << cups_.Errore();
  // A4 at 600 dpi: 4960 x 7015 pixels, 11904 x 16836 twips (209.97 x 297.01 mm).
  // The page is 6 x 8 inches (152.4 x 203.2 mm).
  const struct {
    const char* caso;
    const char* sezione;
    std::vector<int> pagine;
    const char* copie;
    Pagina_Stampata atteso;  // mm
  } casi[] = {
      // Fitted to the width (x 1.378: 209.97 x 279.97 mm), centred down.
      {"fit", "Copie=002\nFascicola=0", {1, 2, 3}, "2", {0, 8.52, 209.97, 288.49, 209.97, 297.01, 0}},
      // Collated: whole passes. Inside margins of 20, 10, 30 and 15 mm the width
      // decides (179.97 mm wide, 239.96 high), at the left margin and the top.
      {"margins",
       "Copie=002\nFascicola=1\nMargine Sx=20\nMargine Dx=10\nMargine Top=30\nMargine Bot=15\nAllinea Y=0",
       {1, 2, 3, 1, 2, 3},
       "1",
       {20, 30, 199.97, 269.96, 209.97, 297.01, 0}},
      // Half the width, the whole height; at the left margin, centred down.
      {"zoom", "Adatta=0\nZoom X=5000\nZoom Y=10000\nAllinea X=0\nMargine Sx=10", {1, 2, 3}, "1",
       {10, 46.9, 86.2, 250.1, 209.97, 297.01, 0}},
      // Landscape: the height decides (x 1.0333: 157.48 x 209.97 mm), centred across.
      {"landscape", "Orientamento=O", {1, 2, 3}, "1", {69.76, 0, 227.25, 209.97, 297.01, 209.97, 0}},
  };
  int lavori = 0;
  for (const auto& c : casi) {
    messaggi_.boxes.clear();
    prova::File_Scrivi(ini_, prova::Righe_CRLF(std::string("[Stampante]\nNome=Laser\n") + c.sezione));
    ASSERT_TRUE(stampa_.Stampa(0, ini_, "Stampante", Documento())) << c.caso;
    EXPECT_TRUE(messaggi_.boxes.empty()) << c.caso;
    ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Laser"));
    const auto pdf = cups_.Pdf("Laser");
    ASSERT_EQ(pdf.size(), static_cast<size_t>(++lavori)) << c.caso;  // one job each time
    const std::string args = Argomenti(pdf.back());
    EXPECT_NE(args.find(std::string("copies=") + c.copie + "\n"), std::string::npos) << c.caso << args;
    EXPECT_NE(args.find("title=Quillon\n"), std::string::npos) << args;

    const auto pagine = Rasterizza(pdf.back(), fs::current_path() / "pagine_stampate" / c.caso);
    std::vector<int> numeri;
    for (const auto& p : pagine) {
      numeri.push_back(p.numero);
      const double t = 0.6;  // mm: a pixel and a half at the raster's resolution
      EXPECT_NEAR(p.larghezza_carta, c.atteso.larghezza_carta, t) << c.caso;
      EXPECT_NEAR(p.altezza_carta, c.atteso.altezza_carta, t) << c.caso;
      EXPECT_NEAR(p.sinistra, c.atteso.sinistra, t) << c.caso;
      EXPECT_NEAR(p.alto, c.atteso.alto, t) << c.caso;
      EXPECT_NEAR(p.destra, c.atteso.destra, t) << c.caso;
      EXPECT_NEAR(p.basso, c.atteso.basso, t) << c.caso;
    }
    EXPECT_EQ(numeri, c.pagine) << c.caso;
  }
}

TEST_F(StampaCups, FitsThePrintableAreaOfAPrinterWithMargins) {
  // At its 300 dpi the printable area of A4 is 2180 x 3057 pixels (184.57 x
  // 258.83 mm) from 6.35 mm left and 12.7 mm down. Fitted, the width
  // decides (x 1.2111: 184.57 x 246.10 mm), centred down.
  ASSERT_TRUE(cups_.Coda("Margini", stampa::prova::Cups_Privato::Ppd_Margini(), 0)) << cups_.Errore();
  prova::File_Scrivi(ini_, prova::Righe_CRLF("[Stampante]\nNome=Margini"));
  ASSERT_TRUE(stampa_.Stampa(0, ini_, "Stampante", Documento()));
  EXPECT_TRUE(messaggi_.boxes.empty());
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Margini"));
  const auto pdf = cups_.Pdf("Margini");
  ASSERT_EQ(pdf.size(), 1u);
  const auto pagine = Rasterizza(pdf[0], fs::current_path() / "pagine_stampate" / "margini");
  ASSERT_EQ(pagine.size(), 3u);
  int n = 0;
  for (const auto& p : pagine) {
    EXPECT_EQ(p.numero, ++n);
    const double t = 0.6;
    EXPECT_NEAR(p.larghezza_carta, 209.97, t);
    EXPECT_NEAR(p.altezza_carta, 297.01, t);
    EXPECT_NEAR(p.sinistra, 6.35, t);
    EXPECT_NEAR(p.destra, 190.92, t);
    EXPECT_NEAR(p.alto, 19.06, t);
    EXPECT_NEAR(p.basso, 265.16, t);
  }
}

TEST_F(StampaCups, QueueStatesBeforePrinting) {
  ASSERT_TRUE(cups_.Coda("Ferma")) << cups_.Errore();
  ASSERT_TRUE(cups_.Coda("Rifiuta")) << cups_.Errore();
  ASSERT_TRUE(cups_.Coda("Occupata", "", 20000)) << cups_.Errore();
  ASSERT_EQ(cups_.Comando("cupsdisable Ferma"), 0);
  ASSERT_EQ(cups_.Comando("cupsreject Rifiuta"), 0);
  // Another job holds the printer: CUPS keeps the next one until it is free.
  const fs::path altro = dir_.Dir() / "altro.txt";
  prova::File_Scrivi(altro, "altro lavoro\n");
  ASSERT_EQ(cups_.Comando("lp -d Occupata -t Altro " + altro.string()), 0);
  ASSERT_TRUE(cups_.Attendi_Stato("Occupata", 4)) << cups_.Stato("Occupata");

  const struct {
    const char* coda;
    const char* messaggio;  // UTF-8; nullptr: it prints
  } casi[] = {
      {"Ferma", "La stampante è in pausa"},
      {"Rifiuta", "La stampante è fuori linea"},
      {"Nessuna", "La stampante non è possibile contattarla"},
      {"Occupata", nullptr},
  };
  for (const auto& c : casi) {
    messaggi_.boxes.clear();
    prova::File_Scrivi(ini_, prova::Righe_CRLF(std::string("[Stampante]\nNome=") + c.coda));
    EXPECT_EQ(stampa_.Stampa(0, ini_, "Stampante", Documento()), c.messaggio == nullptr) << c.coda;
    ASSERT_EQ(messaggi_.boxes.size(), c.messaggio ? 1u : 0u) << c.coda;
    if (c.messaggio) {
      EXPECT_EQ(messaggi_.boxes[0].testo, A(c.messaggio)) << c.coda;
    }
  }
  EXPECT_EQ(cups_.Stato("Occupata"), 4);  // the other job still printing
  ASSERT_TRUE(cups_.Rilascia("Occupata"));
  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Occupata"));
  const auto pdf = cups_.Pdf("Occupata");
  ASSERT_EQ(pdf.size(), 2u);
  EXPECT_NE(Argomenti(pdf[1]).find("title=Quillon\n"), std::string::npos);

  // Nothing reached the queues that refused, nor waits there.
  for (const char* coda : {"Ferma", "Rifiuta"}) {
    std::string lavori;
    EXPECT_EQ(cups_.Comando(std::string("lpstat -o ") + coda, &lavori), 0);
    EXPECT_EQ(lavori.find_first_not_of(" \n"), std::string::npos) << lavori;
    cups_.Comando(std::string("lpstat -W completed -o ") + coda, &lavori);
    EXPECT_EQ(lavori.find_first_not_of(" \n"), std::string::npos) << lavori;
    EXPECT_TRUE(cups_.Pdf(coda).empty()) << coda;
  }
}

TEST_F(StampaCups, PropertiesKeptForTheUserReachTheNextPrint) {
  ASSERT_TRUE(cups_.Coda("Laser")) << cups_.Errore();
  ASSERT_TRUE(cups_.Coda("Opzioni", true)) << cups_.Errore();
  prova::File_Scrivi(ini_, prova::Righe_CRLF("[Stampante]\nNome=Opzioni\nCopie=001"));
  const fs::path preferenze = dir_.Dir() / "config/Quillon/Stampanti.INI";

  bool proprieta_viste = false;
  prova::Quando_Aperto<FrmStampa>([&](FrmStampa& f) {
    f.adjustSize();
    prova::Schermata(f, "frm_stampa");
    EXPECT_EQ(f.Stampanti->currentText(), "Opzioni");
    prova::Quando_Aperto<FrmProprieta>([&](FrmProprieta& p) {
      proprieta_viste = true;
      EXPECT_EQ(p.windowTitle(), QString::fromUtf8("Proprietà - Opzioni"));
      // The queue's own defaults first.
      const char* iniziali[][2] = {{"media", "iso_a4_210x297mm"}, {"media-source", "tray-1"},
                                   {"printer-resolution", "600dpi"}, {"print-color-mode", "monochrome"},
                                   {"sides", "one-sided"}};
      for (auto& [o, v] : iniziali) {
        ASSERT_NE(p.Lista(o), nullptr) << o;
        EXPECT_EQ(p.Lista(o)->currentData().toString().toStdString(), v) << o;
      }
      EXPECT_EQ(p.Lista("media")->count(), 3);
      EXPECT_EQ(p.Lista("media")->currentText(), "A4 (210x297mm)");
      const char* scelte[][2] = {{"media", "iso_a5_148x210mm"}, {"media-source", "tray-2"},
                                 {"printer-resolution", "300dpi"}, {"print-color-mode", "color"},
                                 {"sides", "two-sided-long-edge"}};
      for (auto& [o, v] : scelte) p.Lista(o)->setCurrentIndex(p.Lista(o)->findData(QString(v)));
      p.adjustSize();
      prova::Schermata(p, "frm_proprieta");
      p.cmd_OK()->click();
    });
    f.cmd_Proprieta->click();
    f.cmd_Stampa->click();
  });
  ASSERT_TRUE(stampa_.Carica(nullptr, ini_, "Stampante", Documento()));
  EXPECT_TRUE(proprieta_viste);
  EXPECT_TRUE(messaggi_.boxes.empty());
  EXPECT_EQ(prova::File_Leggi(preferenze),
            prova::Righe_CRLF("[Opzioni]\nmedia=iso_a5_148x210mm\nmedia-source=tray-2\nprint-color-mode=color\n"
                              "printer-resolution=300dpi\nsides=two-sided-long-edge"));

  ASSERT_TRUE(cups_.Attendi_Coda_Vuota("Opzioni"));
  const auto pdf = cups_.Pdf("Opzioni");
  ASSERT_EQ(pdf.size(), 1u);
  const std::string args = Argomenti(pdf[0]);
  const std::string lavoro = " " + args.substr(args.find("options=") + 8);
  for (const char* o : {" media=iso_a5_148x210mm ", " media-source=tray-2 ", " sides=two-sided-long-edge ",
                        " print-color-mode=color ", " printer-resolution=300x300dpi "})
    EXPECT_NE(lavoro.find(o), std::string::npos) << o << "\n" << args;
  // On A5 (148 x 210 mm) the page is fitted to the width and centred down.
  const auto pagine = Rasterizza(pdf[0], fs::current_path() / "pagine_stampate" / "a5");
  ASSERT_EQ(pagine.size(), 3u);
  EXPECT_NEAR(pagine[0].larghezza_carta, 148, 0.6);
  EXPECT_NEAR(pagine[0].altezza_carta, 210, 0.6);
  EXPECT_NEAR(pagine[0].sinistra, 0, 0.6);
  EXPECT_NEAR(pagine[0].destra, 148, 0.6);
  EXPECT_NEAR(pagine[0].alto, (210 - 148 * 4.0 / 3) / 2, 0.6);

  // Other printers keep their own settings, and a cancelled dialog changes nothing.
  const std::string prima = prova::File_Leggi(preferenze);
  std::vector<stampa::Opzione_Stampante> opzioni;
  EXPECT_EQ(dispositivo_.Opzioni("Laser", opzioni), 0);
  EXPECT_TRUE(opzioni.empty());  // a raw queue offers nothing to choose
  prova::Quando_Aperto<FrmProprieta>([&](FrmProprieta& p) {
    EXPECT_EQ(p.Lista("media")->currentData().toString(), "iso_a5_148x210mm");  // the user's, read back
    p.Lista("media")->setCurrentIndex(0);
    p.cmd_Annulla()->click();
  });
  EXPECT_EQ(Stampante_Proprieta(nullptr, "Opzioni", dispositivo_), 0);
  EXPECT_EQ(prova::File_Leggi(preferenze), prima);
  EXPECT_EQ(Stampante_Proprieta(nullptr, "Nessuna", dispositivo_), 1);
}

}  // namespace
