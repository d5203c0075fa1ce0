// Text drawn onto a page image: the text layer paints coverage spans, this
// sink puts them on a 1-bit page (a pixel takes the colour when covered at
// least half, by luminance onto black and white) or blends them onto a
// 24-bit page.
#pragma once

#include "qod/imaging/immagine.h"
#include "qod/text/text.h"

namespace qod::imagegen {

class Tela_Testo : public text::PixelSink {
 public:
  explicit Tela_Testo(img::Immagine& im) : im_(im) {}
  int Width() const override { return im_.Larghezza(); }
  int Height() const override { return im_.Altezza(); }
  void Paint(int x, int y, int n, const uint8_t* copertura, text::Rgb c) override;

 private:
  img::Immagine& im_;
};

}  // namespace qod::imagegen
