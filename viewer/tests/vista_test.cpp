// The image view alone, as the font editor and the test program's output
// window use it: pointer positions in image pixels with zoom, stretch and
// scroll origin; drawing on the image; the clipboard; drawing into a target;
// shrunk pages area averaged, and pages of a multi-image file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>

#include <array>
#include <cmath>
#include <filesystem>
#include <random>

#include "qod/imaging/file.h"
#include "qod/imaging/qimage.h"
#include "qod/prova/strumenti.h"
#include "qod/ui/prova_qt.h"
#include "qod/viewer/riduzione.h"
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

// ---- Shrinking by area averaging ----------------------------------------------------

// An image of `bit` depth with random pixels (and a random palette up to 8
// bits; random alpha at 32 bits).
img::Immagine Casuale(int w, int h, int bit, unsigned seme) {
  std::mt19937 caso(seme);
  img::Immagine im = Bianca(w, h, bit);
  if (bit > 1 && bit <= 8) {
    std::vector<img::Colore> t;
    for (int i = 0; i < (1 << bit); ++i)
      t.push_back({static_cast<uint8_t>(caso()), static_cast<uint8_t>(caso()), static_cast<uint8_t>(caso())});
    im.Imposta_Tavolozza(t);
  }
  for (int y = 0; y < h; ++y) {
    uint8_t* r = im.Riga(y);
    for (size_t i = 0; i < im.Byte_Riga(); ++i) r[i] = static_cast<uint8_t>(caso());
  }
  return im;
}

// The premultiplied mean colour of the image under dest pixel (x, y),
// integrated pixel by pixel in doubles.
std::array<double, 4> Media(const img::Immagine& im, int wd, int hd, int x, int y) {
  const double sx = double(im.Larghezza()) / wd, sy = double(im.Altezza()) / hd;
  const double x0 = x * sx, x1 = (x + 1) * sx, y0 = y * sy, y1 = (y + 1) * sy;
  std::array<double, 4> m{0, 0, 0, 0};
  for (int j = int(std::floor(y0)); j < std::min<double>(im.Altezza(), std::ceil(y1)); ++j)
    for (int i = int(std::floor(x0)); i < std::min<double>(im.Larghezza(), std::ceil(x1)); ++i) {
      const double peso = (std::min<double>(x1, i + 1) - std::max<double>(x0, i)) *
                          (std::min<double>(y1, j + 1) - std::max<double>(y0, j)) / (sx * sy);
      const img::Colore c = im.Pixel(i, j);
      const double a = im.Bit() == 32 ? im.Riga(j)[4 * i + 3] / 255.0 : 1;
      m[0] += peso * c.r * a;
      m[1] += peso * c.g * a;
      m[2] += peso * c.b * a;
      m[3] += peso * 255 * a;
    }
  return m;
}

// Every depth, shrunk or stretched on each axis by whole and broken
// factors: each screen pixel is the mean of the image area under it (to one
// level per channel), also when the rows are made one at a time, last first.
TEST(Riduzione_Area, OgniPixelELaMediaDellAreaSottoDiLui) {
  struct Caso {
    int w, h, bit, wd, hd;
  };
  const Caso casi[] = {
      {97, 61, 1, 23, 17},  {50, 40, 1, 50, 17},  {300, 9, 1, 7, 9},    {33, 21, 4, 10, 40}, {64, 64, 8, 16, 16},
      {101, 77, 24, 7, 5},  {40, 30, 32, 13, 11}, {5, 3, 24, 1, 1},     {1, 1, 1, 1, 1},     {17, 200, 1, 40, 31},
  };
  unsigned seme = 1;
  for (const Caso& c : casi) {
    img::Immagine im = Casuale(c.w, c.h, c.bit, seme++);
    if (c.bit == 1 && c.w == 50) im.Imposta_Tavolozza({{200, 0, 0}, {0, 40, 250}});  // two colours, not grey
    const QImage tutto = img::Riduci_Area(im, c.wd, c.hd);
    img::Riduzione r;
    r.Prepara(im, c.wd, c.hd);
    for (int j = c.hd - 1; j >= 0; --j) r.Righe(j, j + 1);
    ASSERT_EQ(tutto.size(), QSize(c.wd, c.hd));
    // A window alone is that part of the whole.
    const QRect parte(c.wd / 3, c.hd / 4, std::max(1, c.wd / 2), std::max(1, c.hd / 2));
    img::Riduzione finestra;
    finestra.Prepara(im, c.wd, c.hd, parte);
    finestra.Righe(0, c.hd);
    ASSERT_EQ(finestra.Finestra(), parte);
    ASSERT_EQ(finestra.Risultato(), tutto.copy(parte)) << c.w << "x" << c.h << "@" << c.bit;
    for (int y = 0; y < c.hd; ++y)
      for (int x = 0; x < c.wd; ++x) {
        const std::array<double, 4> m = Media(im, c.wd, c.hd, x, y);
        const QRgb p = tutto.pixel(x, y);
        const int letti[4] = {qRed(p), qGreen(p), qBlue(p), qAlpha(p)};
        for (int k = 0; k < (c.bit == 32 ? 4 : 3); ++k)
          ASSERT_NEAR(letti[k], m[k], 1.01) << c.w << "x" << c.h << "@" << c.bit << " -> " << x << "," << y;
        ASSERT_EQ(r.Risultato().pixel(x, y), p) << "row by row " << c.w << "x" << c.h << "@" << c.bit;
      }
  }
}

// The view draws a page smaller than its pixels as its area average, in
// every display mode and wherever it is scrolled; from 100% up every image
// pixel is a sharp block of the page's own colours.
TEST_F(Vista, ShrunkPagesAreAveragedSharpFromOneHundredPercent) {
  img::Immagine righe = Bianca(800, 600, 1);
  for (int y = 0; y < 600; ++y)
    for (int x = (y % 7 == 0 ? 0 : 800); x < 800; x += 3) righe.Imposta_Pixel(x, y, img::Nero);
  for (int y = 40; y < 560; ++y) righe.Imposta_Pixel(401, y, img::Nero);  // a one-pixel stroke
  v_.Imposta_Immagine(std::move(righe));
  v_.Imposta_Adatta(false);
  for (int modo : {0, 2, 3}) {
    v_.Imposta_Modo(modo);
    for (double zoom : {37.0, 10.0, 99.0}) {
      v_.Imposta_Zoom(zoom);
      for (const QPointF o : {QPointF(0, 0), QPointF(213, 97)}) {
        v_.Imposta_Origine(o.x(), o.y());
        const QImage schermo = v_.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int wd = static_cast<int>(std::lround(800 * zoom / 100)), hd = static_cast<int>(std::lround(600 * zoom / 100));
        const QImage atteso = img::Riduci_Area(v_.Immagine_Attuale(), wd, hd);
        const int ox = static_cast<int>(std::lround(o.x() * wd / 800)), oy = static_cast<int>(std::lround(o.y() * hd / 600));
        for (int y = 0; y < std::min(schermo.height(), hd - oy); ++y)
          for (int x = 0; x < std::min(schermo.width(), wd - ox); ++x)
            ASSERT_EQ(schermo.pixel(x, y), atteso.pixel(x + ox, y + oy)) << modo << " " << zoom << " " << x << "," << y;
        // The stroke is there, as a grey column.
        const int colonna = static_cast<int>(401.5 * zoom / 100) - ox, riga = static_cast<int>(300 * zoom / 100) - oy;
        if (colonna >= 0 && colonna < schermo.width()) {
          EXPECT_LT(qGray(schermo.pixel(colonna, riga)), 250) << modo << " " << zoom;
        }
      }
    }
    for (double zoom : {100.0, 200.0}) {
      v_.Imposta_Zoom(zoom);
      v_.Imposta_Origine(10, 20);
      const QImage schermo = v_.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
      const int k = static_cast<int>(zoom / 100);
      for (int y = 0; y < schermo.height(); ++y)
        for (int x = 0; x < schermo.width(); ++x) {
          const img::Colore c = v_.Immagine_Attuale().Pixel(10 + x / k, 20 + y / k);
          ASSERT_EQ(schermo.pixel(x, y), qRgb(c.r, c.g, c.b)) << modo << " " << zoom << " " << x << "," << y;
        }
    }
  }
}

// A page stretched so far that its shrunk whole would be too large to keep
// (a 2000 x 2000 page twenty times as tall, at 50%) is made for the view
// alone, wherever it is scrolled.
TEST_F(Vista, ALongStretchIsShrunkForTheViewAlone) {
  img::Immagine im = Casuale(2000, 2000, 1, 99);
  v_.Imposta_Immagine(im);
  v_.Imposta_Sorgente(0, 0, 1999, 1999);
  v_.Imposta_Destinazione(0, 0, 2000, 40000);
  v_.Applica_Rettangoli();
  v_.Imposta_Adatta(false);
  v_.Imposta_Zoom(50);
  for (const QPointF o : {QPointF(0, 0), QPointF(700, 1234.5), QPointF(1900, 1990)}) {
    v_.Imposta_Origine(o.x(), o.y());
    const QImage schermo = v_.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int ox = static_cast<int>(std::lround(o.x() / 2)), oy = static_cast<int>(std::lround(o.y() * 10));
    img::Riduzione r;
    r.Prepara(im, 1000, 20000, QRect(ox, oy, schermo.width(), schermo.height()));
    r.Righe(0, 20000);
    const QRect& parte = r.Finestra();
    for (int y = 0; y < parte.height(); ++y)
      for (int x = 0; x < parte.width(); ++x)
        ASSERT_EQ(schermo.pixel(parte.left() - ox + x, parte.top() - oy + y), r.Risultato().pixel(x, y)) << x << "," << y;
  }
}

// Pages of a multi-image file are read from the file kept open; the page on
// show is read again when it was changed on screen or the file changed on
// disk, not otherwise.
TEST_F(Vista, PagesOfAMultiImageFile) {
  const prova::Cartella_Prova cartella("vista_pagine");
  const std::filesystem::path f = cartella.Dir() / "tre.tif";
  for (int i = 1; i <= 3; ++i) {
    img::Immagine p = Bianca(100 + 10 * i, 50, 1);
    p.Riempi(0, 0, i, 50, img::Nero);
    ASSERT_TRUE(img::Salva(p, f, {5, i > 1, "EXTENSION = TIF"}));
  }
  ASSERT_TRUE(v_.Carica(f));
  EXPECT_EQ(v_.Immagini_Nel_File(), 3);
  ASSERT_TRUE(v_.Seleziona(3));
  EXPECT_EQ(v_.Larghezza_Immagine(), 130);
  ASSERT_TRUE(v_.Seleziona(2));
  EXPECT_EQ(v_.Larghezza_Immagine(), 120);
  // Turned on screen, the page is read again when it is selected.
  ASSERT_TRUE(v_.Ruota(9000, img::Nero));
  EXPECT_EQ(v_.Larghezza_Immagine(), 50);
  ASSERT_TRUE(v_.Seleziona(2));
  EXPECT_EQ(v_.Larghezza_Immagine(), 120);
  // The file replaced on disk: the page shown is read again from the new file.
  img::Immagine nera = Bianca(70, 40, 1);
  nera.Riempi(img::Nero);
  ASSERT_TRUE(img::Sostituisci_Pagina_Tiff(nera, f, 2, {5, false, "EXTENSION = TIF"}));
  ASSERT_TRUE(v_.Seleziona(2));
  EXPECT_EQ(v_.Larghezza_Immagine(), 70);
  EXPECT_EQ(v_.Immagine_Attuale().Pixel(35, 20), img::Nero);
  EXPECT_FALSE(v_.Seleziona(4));
  EXPECT_EQ(v_.Larghezza_Immagine(), 70);  // a page that is not there leaves the one shown
  std::filesystem::remove(f);
  EXPECT_FALSE(v_.Seleziona(1));
}

}  // namespace
