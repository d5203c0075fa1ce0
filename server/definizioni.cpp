#include "qod/server/definizioni.h"

#include <algorithm>

namespace qod {

int32_t Definizione_Formato::Lunghezza_Chiave() const {
  if (Numero_Chiavi < 1 || Numero_Chiavi > kChiavi) return 0;
  return std::max<int32_t>(0, E[static_cast<size_t>(Numero_Chiavi)] - 1);
}

void Definizione_Formato::Azzera() {
  Chiave.fill({});
  E.fill(0);
  E[0] = 1;
  Numero_Chiavi = 0;
  Indice.fill({});
  X.fill(0);
  X[0] = 113;
  Numero_Indici = 0;
  Costanti.clear();
}

void Gruppo_Campi::Aggiungi(Campo_Definizione c) {
  const int32_t lunghezza = std::max<int32_t>(0, c.Lunghezza);
  Inizi.push_back(Inizi.back() + lunghezza);
  Campi.push_back(std::move(c));
}

void Gruppo_Campi::Azzera() {
  Campi.clear();
  Inizi.assign(1, 1);
}

}  // namespace qod
