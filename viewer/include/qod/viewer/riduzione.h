// A page shrunk for the screen by area averaging: each screen pixel takes
// the mean colour of the part of the page it covers, so that a two-colour
// page becomes grey levels where its strokes are thinner than a screen pixel
// and no stroke is lost. The two axes are scaled each on its own (a fax page
// of 204 x 98 dpi may be shrunk across and stretched down); a pixel of a
// stretched axis takes the colours of the one or two image pixels under it.
//
// Rows are made when they are first asked for, so the part of a page that is
// scrolled into view at one zoom is shrunk once and then only copied. A part
// of the result alone may be asked for (a window), where the whole would be
// too large to keep.
#pragma once

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

#include "qod/imaging/immagine.h"

namespace qod::img {

class Riduzione {
 public:
  // The image `im` at `larghezza` x `altezza` screen pixels, of which the
  // window `finestra` is made (all of them when it is empty). The image must
  // stay as it is, and alive, until Svuota or the next Prepara.
  void Prepara(const Immagine& im, int larghezza, int altezza, QRect finestra = {});
  void Svuota();
  bool Pronta() const { return im_ != nullptr; }
  int Larghezza() const { return wd_; }
  int Altezza() const { return hd_; }
  const QRect& Finestra() const { return finestra_; }

  // Makes rows [da, a) of the result ready (clamped to the window).
  void Righe(int da, int a);
  // The window's pixels: RGB32, or premultiplied ARGB32 for an image with
  // alpha; its pixel (0, 0) is the window's top-left corner. Rows not yet
  // made ready hold nothing defined.
  const QImage& Risultato() const { return uscita_; }

 private:
  // One dest column's share of the image row: image pixels `primo` to
  // `ultimo`, the two end ones weighing `peso_primo` and `peso_ultimo`, the
  // ones between the whole of an image pixel.
  struct Tratto {
    int64_t primo, ultimo;
    uint32_t peso_primo, peso_ultimo;
  };

  // The same for 1-bit rows, when no column spans more than 57 pixels: the
  // column's pixels are read as one 64-bit window of the row.
  struct Lettura_Bit {
    uint32_t byte;
    uint32_t spostamento;  // of the first pixel within the window's first byte
    uint32_t ultimo;       // the bit of the last pixel, counted from the lowest
    uint32_t peso_primo, peso_ultimo;
    uint64_t dentro;  // the bits of the pixels between the first and the last
  };

  static void Colonne_Bit(const uint8_t* riga, const Lettura_Bit* f, size_t n, uint32_t pieno, uint32_t* uscita);
  void Riga_Orizzontale(int64_t y);
  void Riga(int j);

  const Immagine* im_ = nullptr;
  int64_t w_ = 0, h_ = 0;
  int wd_ = 0, hd_ = 0;
  QRect finestra_;
  std::vector<Tratto> colonne_;
  std::vector<Lettura_Bit> letture_;  // empty when a column is too wide for one
  std::vector<uint8_t> riga_bit_;   // a 1-bit row with room to read past its end
  std::vector<bool> fatte_;
  QImage uscita_;
  // 1-bit images: how much of each column is of colour 1 (of w_ per column).
  // Others: premultiplied R, G, B, A sums, four per column.
  std::vector<uint32_t> orizzontale_;
  int64_t riga_orizzontale_ = -1;  // the image row `orizzontale_` holds
  bool uniforme_ = false;          // that row is all of one value (1-bit)
  std::vector<uint64_t> somma_;
  std::vector<uint32_t> colori_;   // palette as premultiplied ARGB
  std::vector<uint8_t> riga_rgba_;
};

// The whole image shrunk at once.
QImage Riduci_Area(const Immagine& im, int larghezza, int altezza);

}  // namespace qod::img
