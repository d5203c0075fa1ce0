// The bridge between the imaging layer and Qt, for the programs that show or
// print page images: a QImage of an image (drawn with QPainter::drawImage
// into a window or a printer's destination rectangle) and an image of a
// QImage (a pasted picture). Header only: the layer itself needs no Qt.
#pragma once

#include <QColor>
#include <QImage>
#include <QVector>

#include <cstring>

#include "qod/imaging/immagine.h"

namespace qod::img {

// A deep copy of the pixels: 1-bit images as Format_Mono with their two
// colours, 4- and 8-bit images as Format_Indexed8, 24 bits as
// Format_RGB888, 32 bits as Format_RGBA8888. The resolution goes into the
// dots per metre of the QImage. A null QImage for an empty image.
inline QImage A_QImage(const Immagine& im) {
  if (im.Vuota()) return {};
  const int w = im.Larghezza(), h = im.Altezza();
  QImage q;
  switch (im.Bit()) {
    case 1: q = QImage(w, h, QImage::Format_Mono); break;
    case 4:
    case 8: q = QImage(w, h, QImage::Format_Indexed8); break;
    case 24: q = QImage(w, h, QImage::Format_RGB888); break;
    default: q = QImage(w, h, QImage::Format_RGBA8888); break;
  }
  if (q.isNull()) return {};
  if (im.Bit() <= 8) {
    QVector<QRgb> tavola;
    for (const Colore& c : im.Tavolozza()) tavola.push_back(qRgb(c.r, c.g, c.b));
    q.setColorTable(tavola);
  }
  for (int y = 0; y < h; ++y) {
    const uint8_t* s = im.Riga(y);
    uchar* d = q.scanLine(y);
    if (im.Bit() == 4) {
      for (int x = 0; x < w; ++x) d[x] = static_cast<uchar>((x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4));
    } else {
      std::memcpy(d, s, im.Byte_Riga());
    }
  }
  if (im.Dpi_X() > 0) q.setDotsPerMeterX(static_cast<int>(im.Dpi_X() / 0.0254 + 0.5));
  if (im.Dpi_Y() > 0) q.setDotsPerMeterY(static_cast<int>(im.Dpi_Y() / 0.0254 + 0.5));
  return q;
}

// An image of a QImage: Format_Mono and Format_MonoLSB as 1 bit, other
// indexed formats as 8 bits with their colour table, images with alpha as
// 32 bits, everything else as 24 bits. False past the memory limit.
inline bool Da_QImage(const QImage& q, Immagine& out) {
  out.Svuota();
  if (q.isNull()) return false;
  QImage c;
  int bit;
  if (q.format() == QImage::Format_Mono || q.format() == QImage::Format_MonoLSB) {
    c = q.convertToFormat(QImage::Format_Mono);
    bit = 1;
  } else if (q.format() == QImage::Format_Indexed8) {
    c = q;
    bit = 8;
  } else if (q.hasAlphaChannel()) {
    c = q.convertToFormat(QImage::Format_RGBA8888);
    bit = 32;
  } else {
    c = q.convertToFormat(QImage::Format_RGB888);
    bit = 24;
  }
  if (!out.Crea(c.width(), c.height(), bit)) return false;
  for (int y = 0; y < c.height(); ++y) std::memcpy(out.Riga(y), c.constScanLine(y), out.Byte_Riga());
  if (bit <= 8) {
    std::vector<Colore> tavolozza;
    for (QRgb v : c.colorTable())
      tavolozza.push_back({static_cast<uint8_t>(qRed(v)), static_cast<uint8_t>(qGreen(v)), static_cast<uint8_t>(qBlue(v))});
    out.Imposta_Tavolozza(std::move(tavolozza));
  }
  out.Imposta_Dpi(static_cast<int>(c.dotsPerMeterX() * 0.0254 + 0.5), static_cast<int>(c.dotsPerMeterY() * 0.0254 + 0.5));
  return true;
}

}  // namespace qod::img
