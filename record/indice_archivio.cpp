#include "qod/record/indice_archivio.h"

#include <algorithm>

#include "qod/basic.h"

namespace qod {

namespace {

using I = Indice_Archivio;

constexpr Campo_Record<I> kTracciato[] = {
    {"Marca", 'A', 1, 1, 0, &I::Marca},
    {"Chiave_Archivio", 'A', 2, 10, 0, &I::Chiave_Archivio},
    {"Pagine", 'S', 12, 5, 0, &I::Pagine},
    {"Indice_33", 'A', 17, 4, 0, &I::Indice_33},
    {"Chiave", 'A', 21, 40, 0, &I::Chiave},
    {"Riservato", 'S', 61, 5, 0, &I::Riservato},
    {"Data_Ora", 'A', 66, 14, 0, &I::Data_Ora},
    {"Archivio_31", 'A', 80, 10, 0, &I::Archivio_31},
    {"Archivio_21", 'A', 90, 10, 0, &I::Archivio_21},
    {"Utente", 'A', 100, 10, 0, &I::Utente},
    {"Tipo_Immagine", 'A', 110, 1, 0, &I::Tipo_Immagine},
    {"Indice_127", 'A', 111, 1, 0, &I::Indice_127},
    {"Salva_PDF", 'A', 112, 1, 0, &I::Salva_PDF},
};

}  // namespace

std::span<const Campo_Record<Indice_Archivio>> Indice_Archivio::Tracciato() { return kTracciato; }

Indice_Archivio Indice_Archivio::Da_Attributi(const Attributi_Spool& a, bool testo, int32_t pagine,
                                              const std::string& chiave, const std::string& data_ora,
                                              const std::string& dati_archivio) {
  Indice_Archivio i;
  i.Marca = "U";
  // Five digits: a longer count is written as the largest that fits, never cut to its first digits.
  i.Pagine = Format(std::min<int32_t>(pagine, 99999), "00000");
  i.Indice_33 = a.Indice_33;
  i.Chiave = chiave;
  i.Riservato = "00000";
  i.Data_Ora = data_ora;
  i.Archivio_31 = a.Archivio_31;
  i.Archivio_21 = a.Archivio_21;
  i.Utente = a.Utente;
  i.Tipo_Immagine = testo ? "T" : a.Tipo_Immagine;
  i.Indice_127 = testo ? "T" : a.Indice_127;
  i.Salva_PDF = testo ? "T" : a.Salva_PDF;
  i.Dati_Archivio = dati_archivio;
  return i;
}

Indice_Archivio Indice_Archivio::Decodifica(const Lettore_Campi& campo) {
  Indice_Archivio i;
  Campi_Leggi(Tracciato(), campo, i);
  return i;
}

std::string Indice_Archivio::Componi(int32_t larghezza) const {
  std::string r = Space(kInizio_Dati - 1);
  for (const auto& c : kTracciato) {
    const std::string& valore = this->*std::get<std::string I::*>(c.Membro);
    r.replace(static_cast<size_t>(c.Posizione - 1), static_cast<size_t>(c.Lunghezza), Testo_Largo(valore, c.Lunghezza));
  }
  r += Dati_Archivio;
  return Testo_Largo(r, std::max<int32_t>(larghezza, 0));
}

}  // namespace qod
