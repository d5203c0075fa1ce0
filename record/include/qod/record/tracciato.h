// The layout of a fixed-column host record as one table: a row per field
// with its name, kind, first column, width and decimals, and the member of
// the working value it fills. One loop reads every record through its
// table; the member's type says what the field's text becomes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "qod/basic.h"

namespace qod {

class Trasporto;
class Risposta_Host;

// Reads one field of a record: kind ("A", "S", "B"), first column (from
// 1), width, digits, decimals; as the transport's field decoder does.
using Lettore_Campi =
    std::function<std::string(std::string_view tipo, int32_t inizio, int32_t lunghezza, int32_t cifre, int32_t decimali)>;

// The fields of the reply body the transport holds in its record buffer.
Lettore_Campi Lettore_Trasporto(const Trasporto& trasporto);
// The fields of one reply, while it lives.
Lettore_Campi Lettore_Risposta(const Risposta_Host& risposta);

// How a fractional number is scaled once read.
enum class Scala_Campo : uint8_t {
  Nessuna,
  Centesimi,  // the value / 100
  Twips,      // millimetres into twips: the value x 56.6868 (not 1440 / 25.4)
};

// The member a field fills. Text keeps the field as decoded; a whole number
// is read by the record's rule (`Interi`); a fractional number is Val of
// the text, then scaled (a single-precision member takes the scaled value).
template <class R>
using Membro_Campo = std::variant<std::string R::*, int32_t R::*, double R::*, float R::*>;

// One row of a record's layout.
template <class R>
struct Campo_Record {
  std::string_view Nome;
  char Tipo;          // "A" text, "S" zoned decimal, "B" big-endian binary
  int32_t Posizione;  // first column, from 1
  int32_t Lunghezza;
  int32_t Decimali;
  Membro_Campo<R> Membro;
  Scala_Campo Scala = Scala_Campo::Nessuna;
  // The part of the record the field belongs to: a reader may take one
  // part alone.
  int Parte = 0;
};

// How a record's whole numbers are read from their text.
enum class Interi : uint8_t {
  CLng,  // as CLng reads them: a text that is no number reads as 0 and is reported
  Val,   // Val of the text rounded half to even; beyond a Long, 0
};

struct Lettura {
  Interi Numeri = Interi::CLng;
  int32_t Scarto = 0;  // every column moved by this much
  int Parte = -1;      // only the rows of this part; -1: every row
};

namespace dettaglio {

// The field's text, as the reader decodes it.
std::string Campo_Testo(const Lettore_Campi& campo, char tipo, int32_t posizione, int32_t lunghezza, int32_t decimali);
// A whole number by the rule; nothing when a CLng text holds no number.
std::optional<int32_t> Campo_Intero(Interi numeri, const std::string& testo);
double Campo_Scalato(Scala_Campo scala, double valore);

}  // namespace dettaglio

// Reads the rows of `tracciato` that `lettura` selects into `r`. Returns the
// lowest column (moved) whose whole number did not read, 0 when every one
// did; such a field reads as 0.
template <class R>
int32_t Campi_Leggi(std::span<const Campo_Record<R>> tracciato, const Lettore_Campi& campo, R& r,
                    const Lettura& lettura = {}) {
  int32_t errata = 0;
  for (const Campo_Record<R>& c : tracciato) {
    if (lettura.Parte >= 0 && c.Parte != lettura.Parte) continue;
    const int32_t posizione = c.Posizione + lettura.Scarto;
    const std::string testo = dettaglio::Campo_Testo(campo, c.Tipo, posizione, c.Lunghezza, c.Decimali);
    std::visit(
        [&](auto membro) {
          auto& valore = r.*membro;
          using T = std::remove_reference_t<decltype(valore)>;
          if constexpr (std::is_same_v<T, std::string>) {
            valore = testo;
          } else if constexpr (std::is_same_v<T, int32_t>) {
            const auto v = dettaglio::Campo_Intero(lettura.Numeri, testo);
            if (!v && (errata == 0 || posizione < errata)) errata = posizione;
            valore = v.value_or(0);
          } else {
            valore = static_cast<T>(dettaglio::Campo_Scalato(c.Scala, Val(testo)));
          }
        },
        c.Membro);
  }
  return errata;
}

// Compacts a fixed-column record: field i covers columns inizi[i-1] ..
// inizi[i]-1; kind "R" loses its trailing blanks, "Z" its leading zeros.
std::string Record_Comprimi(std::string record, const std::vector<std::string>& tipi,
                            const std::vector<int32_t>& inizi, int32_t numero);

}  // namespace qod
