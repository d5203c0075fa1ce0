// The image view alone, as the font editor and the test program's output
// window use it: pointer positions in image pixels with zoom, stretch and
// scroll origin; drawing on the image; the clipboard; drawing into a target.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>

#include "qod/imaging/qimage.h"
#include "qod/ui/prova_qt.h"
#include "qod/viewer/vista_immagine.h"

using namespace qod;

namespace {

using prova::Prova_Qt;

img::Immagine Bianca(int w, int h, int bit) {
  img::Immagine im;
  EXPECT_TRUE(im.Crea(w, h, bit));
  return im;
}

class Vista : public Prova_Qt {
 protected:
  void SetUp() override {
    v_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v_.resize(400, 300);
    v_.show();
  }
  img::Vista_Immagine v_;
};

TEST_F(Vista, PointerPositionsInImagePixels) {
  v_.Imposta_Immagine(Bianca(1000, 800, 1));
  struct Caso {
    bool adatta;
    double zoom, allungamento_y, ox, oy;
    QPoint vista;
    double x, y, vis_w, vis_h;
  };
  const Caso casi[] = {
      {false, 100, 1, 0, 0, {40, 30}, 40, 30, 400, 300},
      {false, 200, 1, 50, 60, {40, 30}, 70, 75, 200, 150},
      {false, 50, 1, 0, 0, {40, 30}, 80, 60, 800, 600},
      {false, 100, 2, 0, 10, {40, 30}, 40, 25, 400, 150},  // stretched twice as tall
      {true, 0, 1, 0, 0, {40, 30}, 100, 75, 1000, 750},    // fit: 300 / 800 down, 400 / 1000 across -> 0.375
  };
  for (const Caso& c : casi) {
    v_.Imposta_Sorgente(0, 0, 999, 799);
    v_.Imposta_Destinazione(0, 0, 1000, 800 * c.allungamento_y);
    v_.Applica_Rettangoli();
    v_.Imposta_Adatta(c.adatta);
    if (!c.adatta) v_.Imposta_Zoom(c.zoom);
    v_.Imposta_Origine(c.ox, c.oy);
    QSignalSpy mosso(&v_, &img::Vista_Immagine::Mosso);
    QMouseEvent e(QEvent::MouseMove, QPointF(c.vista), v_.viewport()->mapToGlobal(QPointF(c.vista)), Qt::NoButton,
                  Qt::NoButton, Qt::ShiftModifier);
    QApplication::sendEvent(v_.viewport(), &e);
    ASSERT_EQ(mosso.count(), 1);
    const double fit = c.adatta ? 0.375 : 1;
    EXPECT_NEAR(mosso[0][2].toFloat(), c.adatta ? c.vista.x() / fit : c.x, 1e-3) << c.zoom;
    EXPECT_NEAR(mosso[0][3].toFloat(), c.adatta ? c.vista.y() / fit : c.y, 1e-3) << c.zoom;
    EXPECT_EQ(mosso[0][1].toInt(), 1);  // Shift
    if (!c.adatta) {
      EXPECT_NEAR(v_.Larghezza_Visibile(), c.vis_w, 1e-9);
      EXPECT_NEAR(v_.Altezza_Visibile(), c.vis_h, 1e-9);
    }
  }
  v_.Svuota();
  EXPECT_EQ(v_.Zoom(), 0);
  EXPECT_EQ(v_.Larghezza_Visibile(), 0);
}

TEST_F(Vista, DrawingOnTheImageKeepsItsDepthAndResolution) {
  img::Immagine im = Bianca(64, 32, 1);
  im.Imposta_Dpi(204, 98);
  v_.Imposta_Immagine(std::move(im));
  ASSERT_TRUE(v_.Disegna_Su([](QPainter& p) { p.fillRect(8, 8, 4, 4, Qt::black); }));
  const img::Immagine& r = v_.Immagine_Attuale();
  EXPECT_EQ(r.Bit(), 1);
  EXPECT_EQ(r.Dpi_X(), 204);
  EXPECT_EQ(r.Dpi_Y(), 98);
  EXPECT_EQ(r.Pixel(9, 9), img::Nero);
  EXPECT_EQ(r.Pixel(20, 9), img::Bianco);

  // The clipboard: the picture out and back.
  v_.Copia();
  v_.Imposta_Immagine(Bianca(5, 5, 24));
  ASSERT_TRUE(v_.Incolla());
  EXPECT_EQ(v_.Larghezza_Immagine(), 64);
  EXPECT_EQ(v_.Immagine_Attuale().Pixel(9, 9), img::Nero);

  // Drawing the source rectangle into a target, as onto a printed page.
  v_.Imposta_Sorgente(8, 8, 11, 11);
  QImage bersaglio(40, 40, QImage::Format_RGB32);
  bersaglio.fill(Qt::white);
  {
    QPainter p(&bersaglio);
    v_.Disegna(p, QRectF(0, 0, 40, 40));
  }
  EXPECT_EQ(bersaglio.pixel(20, 20), qRgb(0, 0, 0));  // the black square fills the target
}

TEST_F(Vista, ChangesToTheImageAreShown) {
  v_.Imposta_Immagine(Bianca(30, 20, 8));
  EXPECT_EQ(v_.Colori(), 256);
  ASSERT_TRUE(v_.Converti_Bit(24));
  EXPECT_EQ(v_.Colori(), 16777216);
  ASSERT_TRUE(v_.Ruota(27000, img::Nero));
  EXPECT_EQ(v_.Larghezza_Immagine(), 20);
  ASSERT_TRUE(v_.Riduci_Colori(2, false));
  EXPECT_EQ(v_.Colori(), 2);
  ASSERT_TRUE(v_.Crea(7, 9, 24));
  EXPECT_EQ(v_.File(), std::filesystem::path());
  const QPixmap p = v_.grab();
  EXPECT_EQ(p.toImage().pixel(3, 3), qRgb(255, 255, 255));  // its pixels are painted
  v_.Svuota();
  EXPECT_FALSE(v_.Converti_Bit(24));
  EXPECT_FALSE(v_.Disegna_Su([](QPainter&) {}));
}

}  // namespace
