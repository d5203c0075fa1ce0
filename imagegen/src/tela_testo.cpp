#include "tela_testo.h"

namespace qod::imagegen {

void Tela_Testo::Paint(int x, int y, int n, const uint8_t* copertura, text::Rgb c) {
  const img::Colore colore{c.r, c.g, c.b};
  if (im_.Bit() == 24) {
    uint8_t* p = im_.Riga(y) + static_cast<size_t>(x) * 3;
    for (int i = 0; i < n; ++i, p += 3) {
      const int a = copertura[i];
      if (a == 0) continue;
      if (a == 255) {
        p[0] = c.r, p[1] = c.g, p[2] = c.b;
        continue;
      }
      p[0] = static_cast<uint8_t>((p[0] * (255 - a) + c.r * a + 127) / 255);
      p[1] = static_cast<uint8_t>((p[1] * (255 - a) + c.g * a + 127) / 255);
      p[2] = static_cast<uint8_t>((p[2] * (255 - a) + c.b * a + 127) / 255);
    }
    return;
  }
  if (im_.Bit() == 1) {
    for (int i = 0; i < n; ++i)
      if (copertura[i] >= 128) im_.Imposta_Pixel(x + i, y, colore);
    return;
  }
  // Other depths: blended through the pixel's colour.
  for (int i = 0; i < n; ++i) {
    const int a = copertura[i];
    if (a == 0) continue;
    const img::Colore d = im_.Pixel(x + i, y);
    im_.Imposta_Pixel(x + i, y,
                      {static_cast<uint8_t>((d.r * (255 - a) + c.r * a + 127) / 255),
                       static_cast<uint8_t>((d.g * (255 - a) + c.g * a + 127) / 255),
                       static_cast<uint8_t>((d.b * (255 - a) + c.b * a + 127) / 255)});
  }
}

}  // namespace qod::imagegen
