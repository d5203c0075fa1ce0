// Checks a printed page against the image it should show: the page, as a
// rasteriser made it, must be white outside the destination rectangle and
// show the image stretched into it, pixel by pixel after binarising, except
// within a pixel of an edge of the image's content.
#pragma once

#include <string>

#include "qod/imaging/immagine.h"

namespace qod::stampa::prova {

// The destination in page pixels: left and top inclusive, right and bottom exclusive.
struct Rettangolo_Pixel {
  double sinistra = 0, alto = 0, destra = 0, basso = 0;
};

struct Esito_Confronto {
  long confrontati = 0, diversi = 0;
  std::string Testo() const;
  // At most one pixel in a thousand differs.
  bool Buono() const { return confrontati > 0 && diversi * 1000 <= confrontati; }
};

Esito_Confronto Confronta_Pagina(const img::Immagine& pagina, const img::Immagine& immagine,
                                 const Rettangolo_Pixel& destinazione);

// The smallest rectangle holding every dark pixel of a page; all zero when none.
Rettangolo_Pixel Area_Scura(const img::Immagine& pagina);

}  // namespace qod::stampa::prova
