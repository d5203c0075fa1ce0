// The Qt bridge: every depth to a QImage and back with the same pixels, and a
// page drawn into a destination rectangle as a print or a view draws it.
#include <gtest/gtest.h>

#include <QPainter>

#include "campioni.h"
#include "qod/imaging/qimage.h"

namespace qod::img {
namespace {

TEST(Ponte_Qt, OgniProfonditaAndataERitorno) {
  for (const char* nome : {"bmp1", "bmp4", "bmp8", "bmp24", "png_rgba8", "png_tavolozza1"}) {
    const auto& c = prova::Campione_Di(nome);
    Immagine im;
    ASSERT_TRUE(Carica_Memoria(c.dati.data(), c.dati.size(), im));
    const QImage q = A_QImage(im);
    ASSERT_EQ(q.width(), im.Larghezza());
    ASSERT_EQ(q.height(), im.Altezza());
    Immagine ritorno;
    ASSERT_TRUE(Da_QImage(q, ritorno));
    EXPECT_EQ(ritorno.Bit(), im.Bit() == 4 ? 8 : im.Bit()) << nome;
    if (im.Dpi_X() > 0) {  // else the QImage default
      EXPECT_EQ(ritorno.Dpi_X(), im.Dpi_X()) << nome;
    }
    for (int y = 0; y < im.Altezza(); ++y)
      for (int x = 0; x < im.Larghezza(); ++x) {
        const Colore a = im.Pixel(x, y);
        const QColor b = q.pixelColor(x, y);
        ASSERT_EQ((Colore{uint8_t(b.red()), uint8_t(b.green()), uint8_t(b.blue())}), a) << nome << " " << x << "," << y;
        ASSERT_EQ(ritorno.Pixel(x, y), a) << nome;
      }
  }
  Immagine vuota;
  EXPECT_TRUE(A_QImage(vuota).isNull());
  EXPECT_FALSE(Da_QImage(QImage(), vuota));
}

TEST(Ponte_Qt, DisegnoNelRettangoloDiDestinazione) {
  Immagine pagina;
  ASSERT_TRUE(pagina.Crea(100, 50, 1));
  pagina.Riempi(0, 0, 10, 10, Nero);
  QImage foglio(400, 300, QImage::Format_RGB32);
  foglio.fill(Qt::white);
  {
    QPainter p(&foglio);
    p.drawImage(QRectF(50, 20, 200, 100), A_QImage(pagina));
  }
  EXPECT_EQ(foglio.pixelColor(55, 25), QColor(Qt::black));
  EXPECT_EQ(foglio.pixelColor(75, 45), QColor(Qt::white));
  EXPECT_EQ(foglio.pixelColor(45, 25), QColor(Qt::white));
}

}  // namespace
}  // namespace qod::img
