#include "qod/record/definizioni.h"

#include <algorithm>

namespace qod {

namespace {

using F = Riga_Definizione;
using G = Riga_Gruppo;

constexpr Campo_Record<F> kTracciato_Formato[] = {
    {"Genere", 'A', 1, 1, 0, &F::Genere},
    {"Numero", 'S', 2, 5, 0, &F::Numero},
    {"Riga", 'S', 7, 3, 0, &F::Riga},
    {"Riga_Fine", 'S', 10, 3, 0, &F::Riga_Fine},
    {"Colonna", 'S', 13, 3, 0, &F::Colonna},
    {"Lunghezza", 'S', 16, 3, 0, &F::Lunghezza},
    {"Tipo", 'A', 19, 1, 0, &F::Tipo},
    {"Costante", 'A', 20, 20, 0, &F::Costante},
    {"Testo", 'A', 20, 300, 0, &F::Testo},
};

constexpr Campo_Record<G> kTracciato_Posta[] = {
    {"Gruppo", 'A', 1, 1, 0, &G::Gruppo},
    {"Riga", 'S', 2, 3, 0, &G::Riga},
    {"Colonna", 'S', 5, 3, 0, &G::Colonna},
    {"Lunghezza", 'S', 8, 3, 0, &G::Lunghezza},
    {"Tipo", 'A', 11, 1, 0, &G::Tipo},
    {"Compattazione", 'A', 12, 1, 0, &G::Compattazione},
    {"Costante", 'A', 13, 60, 0, &G::Costante},
};

constexpr Campo_Record<G> kTracciato_XML[] = {
    {"Gruppo", 'A', 1, 1, 0, &G::Gruppo},
    {"Nome", 'A', 2, 10, 0, &G::Nome},
    {"Riga", 'S', 12, 3, 0, &G::Riga},
    {"Colonna", 'S', 15, 4, 0, &G::Colonna},
    {"Lunghezza", 'S', 19, 4, 0, &G::Lunghezza},
    {"Tipo", 'A', 23, 1, 0, &G::Tipo},
    {"Compattazione", 'A', 24, 1, 0, &G::Compattazione},
    {"Costante", 'A', 25, 60, 0, &G::Costante},
};

constexpr Lettura kNumeri_Val{.Numeri = Interi::Val};

}  // namespace

std::span<const Campo_Record<Riga_Definizione>> Riga_Definizione::Tracciato() { return kTracciato_Formato; }
std::span<const Campo_Record<Riga_Gruppo>> Riga_Gruppo::Tracciato_Posta() { return kTracciato_Posta; }
std::span<const Campo_Record<Riga_Gruppo>> Riga_Gruppo::Tracciato_XML() { return kTracciato_XML; }

Riga_Definizione Riga_Definizione::Decodifica(const Lettore_Campi& campo) {
  Riga_Definizione r;
  Campi_Leggi(Tracciato(), campo, r, kNumeri_Val);
  if (r.Genere == "C") {
    r.Costante = Trim(r.Testo);
    if (r.Riga_Fine == 0) r.Riga_Fine = r.Riga;
  }
  return r;
}

Riga_Gruppo Riga_Gruppo::Decodifica_Posta(const Lettore_Campi& campo) {
  Riga_Gruppo r;
  Campi_Leggi(Tracciato_Posta(), campo, r, kNumeri_Val);
  r.Riga_Fine = r.Riga;
  return r;
}

Riga_Gruppo Riga_Gruppo::Decodifica_XML(const Lettore_Campi& campo) {
  Riga_Gruppo r;
  Campi_Leggi(Tracciato_XML(), campo, r, kNumeri_Val);
  r.Nome = r.Gruppo == "6" ? Trim(r.Nome) : std::string();
  r.Riga_Fine = r.Riga;
  return r;
}

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
