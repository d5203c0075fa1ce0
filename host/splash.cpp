#include "qod/host/splash.h"

#include <cstddef>

namespace qod {

namespace {

constexpr int32_t kAlto_Px = 142, kSinistra_Px = 156;
constexpr int32_t kBasso_Px = kAlto_Px + 13, kDestra_Px = kSinistra_Px + 214;

}  // namespace

std::vector<Splash_Barra::Riquadro> Splash_Barra::Carica(int32_t tx, int32_t ty) {
  Colori = {0x81D383, 0x3CAC3F, 0x81D383, 0xDAE8F0};
  Larghezza_Blocco = 90;
  Sinistra = kSinistra_Px * tx;
  Destra = kDestra_Px * tx;
  // The drawn bar is 3 pixels high: 4 below the top of its area, 6 above the bottom.
  Alto = (kAlto_Px + 4) * ty;
  Basso = (kBasso_Px - 6) * ty;
  const int32_t b = Larghezza_Blocco;
  Posizioni = {Sinistra, Sinistra - 2 * b, Sinistra - 12 * b, Sinistra - 14 * b};
  std::vector<Riquadro> r;
  for (int passo = 0; passo < 7; ++passo)
    for (const auto& q : Avanza(true)) r.push_back(q);
  return r;
}

std::vector<Splash_Barra::Riquadro> Splash_Barra::Passo() { return Avanza(false); }

std::vector<Splash_Barra::Riquadro> Splash_Barra::Avanza(bool solo_dentro) {
  std::vector<Riquadro> r;
  for (std::size_t k = 0; k < Posizioni.size(); ++k) {
    int32_t& p = Posizioni[k];
    if (p >= Destra) p = Sinistra;
    if (!solo_dentro || p >= Sinistra) r.push_back({p, Alto, p + Larghezza_Blocco, Basso, Colori[k]});
    p += 2 * Larghezza_Blocco;
  }
  return r;
}

std::array<Rettangolo_Arrotondato, 4> Splash_Regione() {
  return {{{37, 5, 180, 149, 139, 139},
           {6, 27, 381, 127, 100, 100},
           {19, 39, 393, 140, 100, 100},
           {kSinistra_Px - 4, kAlto_Px, kDestra_Px + 4, kBasso_Px, 10, 10}}};
}

void Splash_Centro(int32_t sx, int32_t sy, int32_t& x, int32_t& y) {
  x = (sx - 400) / 2;
  y = (sy - 154) / 2;
}

}  // namespace qod
