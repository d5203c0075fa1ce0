#include "qod/viewer/puntatore.h"

#include "qod/basic.h"
#include "qod/viewer/cursori.h"

namespace qod::imv {

Azione_Puntatore Puntatore::Premuto(int pulsante, float x, float y, const Contesto& c) {
  pulsante_ = pulsante;
  premuto_x_ = x;
  premuto_y_ = y;
  return Mosso(x, y, c);
}

Azione_Puntatore Puntatore::Mosso(float x, float y, const Contesto& c) {
  Azione_Puntatore a;
  if (c.posizione) {
    stato_ = P_Posizione;
    if (x < 0 || x > c.img_w || y < 0 || y > c.img_h || !c.dentro) {
      pulsante_ = 0;
      stato_ = P_Normale;
    } else {
      a.riga1 = Testo_Coordinata('x', x);
      a.riga2 = Testo_Coordinata('y', y);
    }
  } else if (pulsante_ == 1) {
    stato_ = P_Presa;
    a.scorri = Origine{static_cast<long>(Arrotonda_Pari(premuto_x_ - x + c.origine_x)),
                       static_cast<long>(Arrotonda_Pari(premuto_y_ - y + c.origine_y))};
  } else if (c.dentro) {
    stato_ = P_Mano;
  } else {
    pulsante_ = 0;
    stato_ = P_Normale;
  }
  a.cursore = true;
  return a;
}

Azione_Puntatore Puntatore::Lascia(bool cambia, int nuovo) {
  Azione_Puntatore a;
  pulsante_ = 0;
  if (cambia) {
    stato_ = nuovo;
    a.cursore = true;
  }
  return a;
}

Azione_Puntatore Puntatore::Rilasciato() { return Lascia(stato_ == P_Normale || stato_ == P_Presa, P_Mano); }

Azione_Puntatore Puntatore::Fuori() { return Lascia(stato_ != P_Normale, P_Normale); }

}  // namespace qod::imv
