#include "qod/testers/vista.h"

#include <algorithm>
#include <cmath>

#include "qod/basic.h"

namespace qod::testers {

Zoom Zoom_Calcola(std::string_view testo, int ctl_w, int ctl_h, int img_w, int img_h) {
  const double fit_w = img_w > 0 ? (ctl_w - 16) * 100.0 / img_w : 0;
  const double fit_h = img_h > 0 ? (ctl_h - 16) * 100.0 / img_h : 0;
  if (testo == "Adatta") {
    if (Arrotonda_Pari(fit_w) >= 1600 && Arrotonda_Pari(fit_h) >= 1600) return {false, 1600};
    return {true, 100};
  }
  double z;
  if (testo == "Altezza") {
    z = std::trunc(fit_h);
  } else if (testo == "Larghezza") {
    z = std::trunc(fit_w);
  } else {
    std::string cifre;
    for (char c : testo)
      if ((c >= '0' && c <= '9') || c == ',') cifre += c;
    if (cifre.size() >= 6) {
      z = 1600;
    } else if (cifre.empty()) {
      z = 0;
    } else {
      z = Val(cifre);  // stops at the first ","
    }
  }
  z = std::clamp(z, 10.0, 1600.0);
  return {false, static_cast<int32_t>(z)};
}

std::string Dimensione_File(int64_t n, std::string_view prefisso, Separatori s) {
  if (n <= 0) return "";
  std::string p(prefisso);
  if (n <= 1023) return p + Numero_Testo(static_cast<double>(n), 0, true, s) + " byte";
  if (n <= 1048575) return p + Numero_Testo(n / 1024.0, 2, true, s) + " KB";
  return p + Numero_Testo(n / 1048576.0, 2, true, s) + " MB";
}

float Trascina(float da, float a, float attuale, int immagine, int visibile) {
  float n = (da - a) + attuale;
  if (n < 0) n = 0;
  if (n > static_cast<float>(immagine - visibile)) n = static_cast<float>(immagine - visibile);
  if (immagine < visibile) n = 0;
  return n;
}

}  // namespace qod::testers
