// The search form of the archive viewer as data: the chosen search
// definition turned into up to eight key rows (label, captions, one or two
// criteria boxes) and the columns of the result list, and the criteria the
// user typed. The window shows this model; the checks (criteri.h) and the
// query (elenco.h) read and change it.
//
// A search definition (the body of a "CR" table reply, columns from 1):
//   1        "A": not offered
//   24-43    the name
//   44-59    the dictionary field of keys 1..8, two digits each, 0 = no key
//   68-75    the operator of keys 1..8: "1" from, "2" from..to, "3" equal,
//            "4" equal to the fixed value; anything else shows the label only
//   76-235   the fixed value of key q at column 56 + 20q (20 columns)
//   236-271  the dictionary fields of the list columns, two digits each; the
//            number of columns is the trimmed length halved, halves to even
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "qod/host/collegamento.h"

namespace qod {

inline constexpr int kChiavi_Massime = 8;
inline constexpr int kColonne_Massime = 18;
inline constexpr int kCaselle = 2 * kChiavi_Massime;  // boxes 1..16
inline constexpr int kDefinizione_Larghezza = 279;

// The colours of a criteria box: editable, locked (a fixed value) or invalid.
enum class Colore_Casella { Valida, Bloccata, Non_Valida };

// One criteria box (`txtDa`): box q holds the from or equal value of key q,
// box q + 8 the to value.
struct Casella {
  std::string Testo;  // ANSI
  bool Visibile = false;
  bool Bloccata = false;  // holds a fixed value the user cannot change
  Colore_Casella Colore = Colore_Casella::Valida;
};

struct Modello_Ricerca {
  // Two-digit number of the definition chosen, and of the one last opened
  // on the host by a query ("" before either).
  std::string Ricerca_Scelta;
  std::string Ricerca_Aperta;
  std::string Definizione = std::string(kDefinizione_Larghezza, ' ');
  // "Ricerche in maiuscolo": text criteria are upper-cased when checked.
  bool Ricerche_Maiuscolo = false;

  // Keys 1..8 (index 0 unused); Chiave_Posizione runs to 9, so that
  // Chiave_Posizione[Chiavi_Numero + 1] - 1 is the width of all keys.
  std::array<int32_t, kChiavi_Massime + 1> Chiave_Campo{};      // dictionary field, 0 none
  std::array<std::string, kChiavi_Massime + 1> Chiave_Tipo{};   // "A", "N", "D", "Z"
  std::array<int32_t, kChiavi_Massime + 1> Chiave_Lunghezza{};
  std::array<std::string, kChiavi_Massime + 1> Chiave_Operatore{};
  std::array<int32_t, kChiavi_Massime + 2> Chiave_Posizione{};
  int32_t Chiavi_Numero = 0;  // the last key in use, 0..8

  // The row of each key: its label (`lblChiave`) and the captions before
  // box q and box q + 8 (`lblDa`); an empty caption is a hidden one.
  std::array<std::string, kChiavi_Massime + 1> Etichetta_Chiave{};
  std::array<std::string, kCaselle + 1> Didascalia{};
  std::array<Casella, kCaselle + 1> txtDa{};  // 1..16

  // List columns 1..Colonne_Numero: the dictionary field each one shows.
  int32_t Colonne_Numero = 0;
  std::array<int32_t, kColonne_Massime + 1> Colonna_Campo{};

  // The box a failed check last gave the focus to (1..16), 0 none.
  int Casella_Focus = 0;
};

// Turns definition `numero` (1..32) with its text (`testo`; blanks when it
// could not be read) into the form: every key row is reset, then the keys
// and columns the definition names are set up from the dictionary. A field
// number 0 or beyond the dictionary makes no key (or an empty column).
void Definizione_Applica(Modello_Ricerca& m, int32_t numero, const std::string& testo, const Dizionario_Campi& d);

// The heading of list column c (1..Colonne_Numero): the column heading of
// its dictionary field, empty for no field.
std::string Colonna_Intestazione(const Modello_Ricerca& m, const Dizionario_Campi& d, int32_t c);

}  // namespace qod
