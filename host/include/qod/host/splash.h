// The splash window's moving bar, in twips: four blocks that step along the
// bar and wrap at its right end, painting a dashed green segment that runs
// to the right. The window draws the boxes this model hands out.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace qod {

class Splash_Barra {
 public:
  // One filled box, in twips: (x1, y1) - (x2, y2), colour 0xRRGGBB.
  struct Riquadro {
    int32_t x1, y1, x2, y2;
    uint32_t colore;
    bool operator==(const Riquadro&) const = default;
  };

  // Fixes the geometry with the screen's twips per pixel and runs the seven
  // initial steps; returns the boxes they draw.
  std::vector<Riquadro> Carica(int32_t twips_x = 15, int32_t twips_y = 15);
  // One tick of the animation: every block draws its box.
  std::vector<Riquadro> Passo();

  int32_t Alto = 0, Basso = 0;        // drawn top and bottom
  int32_t Sinistra = 0, Destra = 0;   // the bar's ends; a block at or past Destra goes back to Sinistra
  int32_t Larghezza_Blocco = 90;      // twips, not converted
  std::array<int32_t, 4> Posizioni{};
  std::array<uint32_t, 4> Colori{};

 private:
  std::vector<Riquadro> Avanza(bool solo_dentro);
};

// The window's region: four rounded rectangles (x1, y1, x2, y2, corner
// ellipse width and height) in window pixels, joined.
struct Rettangolo_Arrotondato {
  int32_t x1, y1, x2, y2, w, h;
};
std::array<Rettangolo_Arrotondato, 4> Splash_Regione();

// The splash's top-left corner in pixels, centred as a 400 x 154 window.
void Splash_Centro(int32_t schermo_x, int32_t schermo_y, int32_t& x, int32_t& y);

}  // namespace qod
