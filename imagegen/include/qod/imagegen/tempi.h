// The cost of one page image split into its two halves, for measurements:
// composition (checks, canvas, text, logos, tags, turn and zoom) and save
// (encoding, file and resolution). The call is qodimg_Elabora otherwise.
#pragma once

#include "qod/imagegen/qod_img.h"

namespace qod {

struct Qod_IMG_Fasi {
  static void Elabora(Qod_IMG& g, bool inizializza, double& componi_ms, double& salva_ms);
};

}  // namespace qod
