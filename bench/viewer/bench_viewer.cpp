// The first paint of a page in the image view: a 4288 x 4288 page, 1-bit and
// 24-bit, at fit and at 400%, from the moment the view is given the image to
// the pixels of an 900 x 700 view. Beside it, in the same rounds, a plain
// QPainter::drawImage of the same pixels (already a QImage) into an image of
// the view's size with the same scale and smoothing. The image handed to the
// view is made, and the previous page let go, before the clock starts. Prints milliseconds as
// the median of the rounds with the spread, and the ratio of each round.
//
// Run offscreen: QT_QPA_PLATFORM=offscreen bench_viewer [rounds]
#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "qod/bench/misura.h"
#include "qod/imaging/qimage.h"
#include "qod/viewer/vista_immagine.h"

using namespace qod;

namespace {

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
  bool adatta;  // else 400%, scrolled to the page's middle
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int volte = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;

  const Caso casi[] = {{"1-bit at fit", 1, true},
                       {"1-bit at 400%", 1, false},
                       {"24-bit at fit", 24, true},
                       {"24-bit at 400%", 24, false}};
  std::printf("first paint of a %d x %d page in a %d x %d view; %d rounds, view and drawImage interleaved\n",
              kLato, kLato, kVista_W, kVista_H, volte);
  std::printf("%-16s %-24s %-24s %s\n", "", "view ms", "drawImage ms", "ratio");
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

    bench::Serie v, d;
    for (int i = 0; i < volte; ++i) {
      // The view takes its own image, as from a load; the page before it is
      // let go before the clock starts.
      img::Immagine copia = pagina;
      vista.Svuota();
      v.Aggiungi(bench::Cronometra_Ms([&] {
        vista.Imposta_Immagine(std::move(copia));
        vista.Imposta_Adatta(c.adatta);
        if (!c.adatta) {
          vista.Imposta_Zoom(400);
          vista.Imposta_Origine(origine, origine);
        }
        vista.viewport()->render(&schermo);
      }));
      d.Aggiungi(bench::Cronometra_Ms([&] {
        QPainter p(&schermo);
        p.fillRect(schermo.rect(), Qt::lightGray);
        if (c.adatta) {
          const double s = std::min(double(kVista_W) / kLato, double(kVista_H) / kLato);
          if (c.bit == 1) p.setRenderHint(QPainter::SmoothPixmapTransform);
          p.drawImage(QRectF(0, 0, kLato * s, kLato * s), q, QRectF(q.rect()));
        } else {
          p.drawImage(QRectF(0, 0, kVista_W, kVista_H), q,
                      QRectF(origine, origine, kVista_W / 4.0, kVista_H / 4.0));
        }
      }));
    }
    std::printf("%-16s %-24s %-24s %s\n", c.nome, v.Testo().c_str(), d.Testo().c_str(),
                bench::Rapporto(v, d).Testo().c_str());
  }
  return 0;
}
