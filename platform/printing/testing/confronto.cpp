#include "qod/printing/confronto.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qod::stampa::prova {

namespace {

bool Scuro(const img::Immagine& im, int x, int y) { return im.Pixel(x, y).Luminanza() < 128; }

}  // namespace

std::string Esito_Confronto::Testo() const {
  return std::to_string(diversi) + " different of " + std::to_string(confrontati) + " pixels";
}

Esito_Confronto Confronta_Pagina(const img::Immagine& pagina, const img::Immagine& immagine,
                                 const Rettangolo_Pixel& d) {
  Esito_Confronto e;
  const int w = immagine.Larghezza(), h = immagine.Altezza();
  const double sx = w / (d.destra - d.sinistra);
  const double sy = h / (d.basso - d.alto);
  // The image's pixels, dark or not, and whether all their neighbours within
  // one page pixel agree (near an edge of the content the rasteriser may
  // round either way).
  const int rx = std::max(1, static_cast<int>(std::ceil(sx))), ry = std::max(1, static_cast<int>(std::ceil(sy)));
  std::vector<char> scuro(static_cast<size_t>(w) * h), uniforme(static_cast<size_t>(w) * h, 1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) scuro[static_cast<size_t>(y) * w + x] = Scuro(immagine, x, y);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const char v = scuro[static_cast<size_t>(y) * w + x];
      for (int j = std::max(0, y - ry); j <= std::min(h - 1, y + ry); ++j)
        for (int i = std::max(0, x - rx); i <= std::min(w - 1, x + rx); ++i)
          if (scuro[static_cast<size_t>(j) * w + i] != v) uniforme[static_cast<size_t>(y) * w + x] = 0;
    }
  for (int y = 0; y < pagina.Altezza(); ++y) {
    for (int x = 0; x < pagina.Larghezza(); ++x) {
      const double cx = x + 0.5, cy = y + 0.5;
      bool atteso = false;
      if (cx > d.sinistra - 1 && cx < d.destra + 1 && cy > d.alto - 1 && cy < d.basso + 1) {
        // Pixels on the rectangle's border may go either way.
        if (cx < d.sinistra + 1 || cx > d.destra - 1 || cy < d.alto + 1 || cy > d.basso - 1) continue;
        const int ix = std::clamp(static_cast<int>((cx - d.sinistra) * sx), 0, w - 1);
        const int iy = std::clamp(static_cast<int>((cy - d.alto) * sy), 0, h - 1);
        const size_t k = static_cast<size_t>(iy) * w + ix;
        if (!uniforme[k]) continue;
        atteso = scuro[k];
      }
      ++e.confrontati;
      if (Scuro(pagina, x, y) != atteso) ++e.diversi;
    }
  }
  return e;
}

Rettangolo_Pixel Area_Scura(const img::Immagine& pagina) {
  int x0 = pagina.Larghezza(), y0 = pagina.Altezza(), x1 = -1, y1 = -1;
  for (int y = 0; y < pagina.Altezza(); ++y)
    for (int x = 0; x < pagina.Larghezza(); ++x)
      if (Scuro(pagina, x, y)) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
  if (x1 < 0) return {};
  return {double(x0), double(y0), double(x1 + 1), double(y1 + 1)};
}

}  // namespace qod::stampa::prova
