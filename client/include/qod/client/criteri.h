// The checks of the search criteria before a query. Each box in use is
// checked by the type of its key field and brought into the form the query
// needs; a bad box is coloured (and, when the check concerns that box alone,
// given the focus); no message is shown.
//
//   "A" text: upper-cased when "Ricerche in maiuscolo" is on; bad when
//       longer than the key (trailing blanks do not count).
//   "N" number: whole, unsigned, blanks around allowed; bad when it has
//       more digits than the key.
//   "D" date, "Z" date and time: rewritten as "dd/mm/yyyy" and
//       "dd/mm/yyyy hh.nn.ss".
//   For a from..to key, the to-box also checks the range: text in the
//   host's collating order, numbers by value, dates by yyyymmdd[hhnnss].
//
// Dates are read the same way whatever the process locale: day/month/year
// with "/", a year of four digits or of two (00-69 = 20xx, 70-99 = 19xx),
// then optionally a time hh.nn[.ss] (":" accepted in place of ".").
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "qod/client/ricerca.h"

namespace qod {

// The text as "dd/mm/yyyy" (a time after the date is dropped), or false
// with the text unchanged when it is empty or no date.
bool Data_Normalizza(std::string& testo);
// The text as "dd/mm/yyyy hh.nn.ss" (no time: 00.00.00), or false with the
// text unchanged.
bool Data_Ora_Normalizza(std::string& testo);
// The sortable form of a normalised date: yyyymmdd, with `ora`
// yyyymmddhhnnss (the host's key bytes of a "D" or "Z" field).
std::string Data_Ordinabile(const std::string& testo, bool ora);

// Sets the colours of box `indice` (1..16): valid (locked or editable) or
// invalid; an invalid visible box takes the focus when `focus`.
void Casella_Colore(Modello_Ricerca& m, int indice, bool valida, bool focus);

// Checks box `indice` (1..16) and, for the to-box of a from..to key, the
// range. True when the box or the range is bad. `inversa` is the
// ANSI-to-EBCDIC table that orders text ranges as the host does.
bool Spool_Filtro(Modello_Ricerca& m, int indice, const std::array<uint8_t, 256>& inversa);

// Checks every box in use, key by key, stopping at the first bad one:
// true when all are good.
bool Criteri_Controlla(Modello_Ricerca& m, const std::array<uint8_t, 256>& inversa);

}  // namespace qod
