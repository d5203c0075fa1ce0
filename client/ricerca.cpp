#include "qod/client/ricerca.h"

#include "qod/basic.h"

namespace qod {

namespace {

// A dictionary field number read from two columns; 0 when it names no field.
int32_t Campo_Valido(const std::string& testo, int64_t colonna, const Dizionario_Campi& d) {
  const double v = Val(Mid(testo, colonna, 2));
  return v >= 1 && v <= d.Numero ? static_cast<int32_t>(v) : 0;
}

}  // namespace

void Definizione_Applica(Modello_Ricerca& m, int32_t numero, const std::string& testo, const Dizionario_Campi& d) {
  m.Ricerca_Scelta = Format(numero, "00");
  m.Definizione = testo.empty() || testo[0] == 'A' ? Space(kDefinizione_Larghezza) : testo;
  const std::string& def = m.Definizione;

  m.Chiave_Posizione[1] = 1;
  m.Chiavi_Numero = 0;
  m.Casella_Focus = 0;
  for (int q = 1; q <= kChiavi_Massime; ++q) {
    // Every row starts empty, so nothing of the previous definition stays.
    m.Etichetta_Chiave[q].clear();
    for (int i : {q, q + kChiavi_Massime}) {
      m.Didascalia[i].clear();
      m.txtDa[i] = Casella{};
    }
    m.Chiave_Campo[q] = Campo_Valido(def, 42 + 2 * q, d);
    m.Chiave_Tipo[q].clear();
    m.Chiave_Lunghezza[q] = 0;
    m.Chiave_Operatore[q].clear();
    const int32_t f = m.Chiave_Campo[q];
    if (f != 0) {
      m.Chiavi_Numero = q;
      m.Chiave_Lunghezza[q] = d.Larghezza[f];
      m.Chiave_Tipo[q] = d.Tipo[f];
      m.Chiave_Operatore[q] = Mid(def, 67 + q, 1);
      m.Etichetta_Chiave[q] = d.Etichetta[f];
      Casella& da = m.txtDa[q];
      Casella& a = m.txtDa[q + kChiavi_Massime];
      const std::string& op = m.Chiave_Operatore[q];
      if (op == "1" || op == "2" || op == "3" || op == "4") {
        m.Didascalia[q] = op == "1" || op == "2" ? "da" : "uguale a";
        da.Visibile = true;
      }
      if (op == "2") {
        m.Didascalia[q + kChiavi_Massime] = "a";
        a.Visibile = true;
      }
      if (op == "4") {
        da.Bloccata = true;
        da.Testo = Mid(def, 56 + 20 * q, 20);
      }
    }
    // An unused key takes no room, so the keys after it keep their places.
    m.Chiave_Posizione[q + 1] = m.Chiave_Posizione[q] + m.Chiave_Lunghezza[q];
  }

  const double colonne = Arrotonda_Pari(static_cast<double>(Trim(Mid(def, 236, 36)).size()) / 2.0);
  m.Colonne_Numero = static_cast<int32_t>(colonne);
  m.Colonna_Campo.fill(0);
  for (int c = 1; c <= m.Colonne_Numero; ++c) m.Colonna_Campo[c] = Campo_Valido(def, 234 + 2 * c, d);
}

std::string Colonna_Intestazione(const Modello_Ricerca& m, const Dizionario_Campi& d, int32_t c) {
  if (c < 1 || c > m.Colonne_Numero) return {};
  const int32_t f = m.Colonna_Campo[c];
  return f >= 1 && f <= d.Numero ? d.Intestazione[f] : std::string();
}

}  // namespace qod
