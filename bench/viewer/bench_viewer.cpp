// The viewer, offscreen, beside bare references in the same interleaved
// rounds (each ratio taken within its round, reported as "median (lowest -
// highest)").
//
// 1. The viewer control with a multi-image TIFF of N G4 fax pages (1000 unless
//    told), hosted in a window as the programs host it:
//    - page 1 shown: from Immagine_Carica to the end of the first paint of
//      the page, against bare libtiff opening the file, counting its
//      directories and decoding page 1 (TIFFOpen, TIFFNumberOfDirectories,
//      TIFFReadEncodedStrip into a buffer of its own);
//    - a page turn (the "Successiva" key's Immagine_Pagina(1), to the end of
//      its paint) from page 1 to 2 and from page N-1 to N: the cost at N
//      over the cost at 2.
// 2. The image view alone: the first paint of a 4288 x 4288 page, 1-bit and
//    24-bit, at fit and at 400%, from the moment the view is given the image
//    to the pixels of a 900 x 700 view; and a scroll step at 50%. Beside it
//    the bare Qt way of the same work on the same pixels (already a QImage):
//    Qt's own smooth scaling (an area average when shrinking) and a
//    drawImage at fit and 50%, a plain drawImage at 400%.
//
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_viewer [rounds] [pages] [1|2]
// (the last argument runs one part alone).
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "qod/bench/misura.h"
#include "qod/imaging/qimage.h"
#include "qod/viewer/qod_imv.h"
#include "qod/viewer/vista_immagine.h"

using namespace qod;
namespace fs = std::filesystem;

namespace {

// ---- 1. The viewer control and a long multi-image TIFF ---------------------------

// Writes `pagine` G4 pages into one TIFF file with libtiff, cycling through a
// few different text pages.
bool Scrivi_Documento(const std::string& file, int pagine) {
  std::vector<std::vector<uint8_t>> righe;
  int w = 0, h = 0;
  for (unsigned seme = 1; seme <= 7; ++seme) {
    const img::Immagine im = bench::Pagina_Testo(seme);
    w = im.Larghezza();
    h = im.Altezza();
    std::vector<uint8_t> b(im.Byte_Riga() * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
      for (size_t i = 0; i < im.Byte_Riga(); ++i) b[y * im.Byte_Riga() + i] = static_cast<uint8_t>(~im.Riga(y)[i]);
    righe.push_back(std::move(b));
  }
  TIFF* t = TIFFOpen(file.c_str(), "wl");
  if (!t) return false;
  for (int p = 0; p < pagine; ++p) {
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(w));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(h));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t{1});
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, uint16_t{1});
    TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(h));
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0f);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 196.0f);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    const auto& b = righe[static_cast<size_t>(p) % righe.size()];
    if (TIFFWriteEncodedStrip(t, 0, const_cast<uint8_t*>(b.data()), static_cast<tmsize_t>(b.size())) < 0 ||
        !TIFFWriteDirectory(t)) {
      TIFFClose(t);
      return false;
    }
  }
  TIFFClose(t);
  return true;
}

// Counts the paints of a widget.
class Conta_Paint : public QObject {
 public:
  int paint = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paint;
    return false;
  }
};

// Lets the event loop run until the view has painted once more.
void Attendi_Paint(const Conta_Paint& c, int prima) {
  for (int i = 0; c.paint == prima && i < 100000; ++i) QCoreApplication::processEvents();
  if (c.paint == prima) {
    std::fprintf(stderr, "the view did not paint\n");
    std::exit(1);
  }
}

// Bare libtiff: open, count the directories, decode page 1.
double Libtiff_Pagina_1(const std::string& file, std::vector<uint8_t>& buf) {
  return bench::Cronometra_Ms([&] {
    TIFF* t = TIFFOpen(file.c_str(), "r");
    if (!t) std::exit(1);
    volatile tdir_t n = TIFFNumberOfDirectories(t);
    (void)n;
    buf.resize(static_cast<size_t>(TIFFStripSize(t)));
    if (TIFFReadEncodedStrip(t, 0, buf.data(), static_cast<tmsize_t>(buf.size())) < 0) std::exit(1);
    TIFFClose(t);
  });
}

void Documento_Lungo(int volte, int pagine) {
  const fs::path cartella = fs::temp_directory_path() / ("qod_bench_viewer_" + std::to_string(::getpid()));
  fs::create_directories(cartella);
  const std::string file = (cartella / "DOC_00001.TIF").string();
  if (!Scrivi_Documento(file, pagine)) {
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    std::exit(1);
  }
  std::printf("the viewer control (900 x 700, \"Adatta\") on a TIFF of %d G4 pages of 1728 x 2292 (%.1f MB);"
              " %d rounds, interleaved\n",
              pagine, fs::file_size(file) / 1e6, volte);

  QWidget finestra;
  finestra.resize(900, 700);
  auto* v = new imv::Qod_IMV(&finestra);
  v->setGeometry(0, 0, 900, 700);
  finestra.show();
  Conta_Paint conta;
  v->IM1()->viewport()->installEventFilter(&conta);
  std::vector<uint8_t> buf;

  // Once, unmeasured, so that the file is in the page cache for both.
  v->Immagine_Carica(file);
  Libtiff_Pagina_1(file, buf);

  bench::Serie mostra, nudo, girata_2, girata_n;
  for (int i = 0; i < volte; ++i) {
    v->Immagine_Carica(std::string());  // nothing shown, the file let go
    QCoreApplication::processEvents();
    mostra.Aggiungi(bench::Cronometra_Ms([&] {
      const int prima = conta.paint;
      if (!v->Immagine_Carica(file)) std::exit(1);
      Attendi_Paint(conta, prima);
    }));
    nudo.Aggiungi(Libtiff_Pagina_1(file, buf));
    for (long da : {1L, long(pagine) - 1}) {
      if (!v->Immagine_Carica_Pagina(file, da)) std::exit(1);
      QCoreApplication::processEvents();
      const double ms = bench::Cronometra_Ms([&] {
        const int prima = conta.paint;
        if (!v->Immagine_Pagina(1)) std::exit(1);
        Attendi_Paint(conta, prima);
      });
      (da == 1 ? girata_2 : girata_n).Aggiungi(ms);
    }
  }
  std::printf("%-28s %-24s %-24s %s\n", "", "viewer ms", "bare libtiff ms", "ratio");
  std::printf("%-28s %-24s %-24s %s\n", "page 1 shown", mostra.Testo().c_str(), nudo.Testo().c_str(),
              bench::Rapporto(mostra, nudo).Testo().c_str());
  std::printf("%-28s %-24s\n", "page turn 1 -> 2", girata_2.Testo().c_str());
  char nome[64];
  std::snprintf(nome, sizeof nome, "page turn %d -> %d", pagine - 1, pagine);
  std::printf("%-28s %-24s %-24s %s\n", nome, girata_n.Testo().c_str(), "(over the turn to 2)",
              bench::Rapporto(girata_n, girata_2).Testo().c_str());
  std::error_code ec;
  fs::remove_all(cartella, ec);
}

// ---- 2. The image view alone ---------------------------------------------------------

constexpr int kLato = 4288;
constexpr int kVista_W = 900, kVista_H = 700;

// A page of text-like blocks over the whole sheet.
img::Immagine Pagina(int bit) {
  img::Immagine im;
  im.Crea(kLato, kLato, 24);
  std::mt19937 caso(7);
  for (int y = 60; y + 40 < kLato; y += 48)
    for (int x = 60; x + 300 < kLato;) {
      const int w = 8 + static_cast<int>(caso() % 40);
      im.Riempi(x, y, w, 28, img::Colore{static_cast<uint8_t>(caso() % 120), 0, static_cast<uint8_t>(caso() % 200)});
      x += w + 6 + static_cast<int>(caso() % 10);
    }
  if (bit == 1) im.Converti_Bit(1);
  return im;
}

struct Caso {
  const char* nome;
  int bit;
  double zoom;  // 0: fit
};

void Vista_Sola(int volte) {
  const Caso casi[] = {{"1-bit at fit", 1, 0},   {"1-bit at 400%", 1, 400},  {"24-bit at fit", 24, 0},
                       {"24-bit at 400%", 24, 400}};
  std::printf("\nfirst paint of a %d x %d page in a %d x %d view; %d rounds, view and bare Qt interleaved\n", kLato,
              kLato, kVista_W, kVista_H, volte);
  std::printf("%-28s %-24s %-24s %s\n", "", "view ms", "bare Qt ms", "ratio");
  for (const Caso& c : casi) {
    const img::Immagine pagina = Pagina(c.bit);
    const QImage q = img::A_QImage(pagina);
    img::Vista_Immagine vista;
    vista.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    vista.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    vista.resize(kVista_W, kVista_H);
    vista.Imposta_Modo(c.bit == 1 ? 3 : 2);
    QImage schermo(kVista_W, kVista_H, QImage::Format_RGB32);
    const double origine = (kLato - kVista_W / 4.0) / 2;
    const double s = std::min(double(kVista_W) / kLato, double(kVista_H) / kLato);

    bench::Serie v, d;
    for (int i = 0; i < volte; ++i) {
      // The view takes its own image, as from a load; the page before it is
      // let go before the clock starts.
      img::Immagine copia = pagina;
      vista.Svuota();
      v.Aggiungi(bench::Cronometra_Ms([&] {
        vista.Imposta_Immagine(std::move(copia));
        vista.Imposta_Adatta(c.zoom == 0);
        if (c.zoom != 0) {
          vista.Imposta_Zoom(c.zoom);
          vista.Imposta_Origine(origine, origine);
        }
        vista.viewport()->render(&schermo);
      }));
      d.Aggiungi(bench::Cronometra_Ms([&] {
        QPainter p(&schermo);
        p.fillRect(schermo.rect(), Qt::lightGray);
        if (c.zoom == 0) {
          const int lato = static_cast<int>(kLato * s + 0.5);
          p.drawImage(QPoint(0, 0), q.scaled(lato, lato, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        } else {
          p.drawImage(QRectF(0, 0, kVista_W, kVista_H), q, QRectF(origine, origine, kVista_W / 4.0, kVista_H / 4.0));
        }
      }));
    }
    std::printf("%-28s %-24s %-24s %s\n", c.nome, v.Testo().c_str(), d.Testo().c_str(),
                bench::Rapporto(v, d).Testo().c_str());
  }

  // Scrolling at 50% by a tenth of the view each step, once the page is on
  // show: the view against a drawImage of the page already shrunk.
  for (int bit : {1, 24}) {
    const img::Immagine pagina = Pagina(bit);
    img::Vista_Immagine vista;
    vista.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    vista.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    vista.resize(kVista_W, kVista_H);
    vista.Imposta_Immagine(pagina);
    vista.Imposta_Zoom(50);
    QImage schermo(kVista_W, kVista_H, QImage::Format_RGB32);
    // The whole page made once, as a user's first look around it does.
    for (int y = 0; y < kLato; y += 2 * kVista_H) {
      vista.Imposta_Origine(0, y);
      vista.viewport()->render(&schermo);
    }
    const QImage ridotta = img::A_QImage(pagina).scaled(kLato / 2, kLato / 2, Qt::IgnoreAspectRatio,
                                                        Qt::SmoothTransformation);
    bench::Serie v, d;
    for (int i = 0; i < volte; ++i) {
      const int y = (i * kVista_H / 10) % (kLato / 2 - kVista_H);
      v.Aggiungi(bench::Cronometra_Ms([&] {
        vista.Imposta_Origine(0, 2.0 * y);
        vista.viewport()->render(&schermo);
      }));
      d.Aggiungi(bench::Cronometra_Ms([&] {
        QPainter p(&schermo);
        p.fillRect(schermo.rect(), Qt::lightGray);
        p.drawImage(QPoint(0, 0), ridotta, QRect(0, y, kVista_W, kVista_H));
      }));
    }
    std::printf("%-28s %-24s %-24s %s\n", bit == 1 ? "1-bit scroll step at 50%" : "24-bit scroll step at 50%",
                v.Testo().c_str(), d.Testo().c_str(), bench::Rapporto(v, d).Testo().c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int volte = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const int pagine = argc > 2 ? std::max(3, std::atoi(argv[2])) : 1000;
  const int parte = argc > 3 ? std::atoi(argv[3]) : 0;
  if (parte != 2) Documento_Lungo(volte, pagine);
  if (parte != 1) Vista_Sola(volte);
  return 0;
}
